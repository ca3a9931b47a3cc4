#include "model/model_reader.h"

#include <algorithm>
#include <cstdio>
#include <utility>

#include "model/read_errors.h"

namespace kelvaro {
namespace {

constexpr const char* malformedBounds =
    "BOUNDS needs FROM, three numbers separated by commas, TO and three more numbers separated by commas; "
    "the line was skipped";
constexpr const char* malformedName = "MODEL needs a name in double quotes; the line was skipped";
constexpr const char* malformedCharge =
    "POINT needs a number (with no + before it), then AT and three numbers separated by commas; "
    "the line was skipped";
constexpr const char* tooManyCharges =
    "a model holds at most 99 charges; this POINT line and every later one were skipped";
constexpr const char* boxWithoutOn = "BOX takes the word ON; the line changed nothing";
constexpr const char* axesWithoutOn = "AXES takes the word ON; the line changed nothing";
constexpr const char* boxOffAfterOn = "BOX OFF cannot undo an earlier BOX ON; the box stays on";
constexpr const char* axesOffAfterOn = "AXES OFF cannot undo an earlier AXES ON; the axes stay on";

}  // namespace

StatementOutcome ModelReader::readStatement() {
    const Token& first = lexer_.nextToken();
    if (first.kind == TokenKind::EndOfFile) return StatementOutcome::EndOfInput;
    if (first.kind != TokenKind::Identifier) failRead(ReadError::StatementWithoutKeyword);
    const KeywordEntry* keyword = keywords_.findKeyword(first.view());
    if (!keyword) failRead(ReadError::UnknownKeyword);
    const int line = first.line;
    if (warnings_) lexer_.keepLine(line);
    const int commentLineFeedsBefore = lexer_.commentLineFeeds();
    const int chargesBefore = model_.chargeCount_;

    problem_.clear();
    bool done = false;
    switch (keyword->code) {
        case Keyword::Bounds: done = readBounds(); break;
        case Keyword::Model: done = readName(); break;
        case Keyword::Box: readFlag(model_.boxOn_, boxWithoutOn, boxOffAfterOn); done = true; break;
        case Keyword::Axes: readFlag(model_.axesOn_, axesWithoutOn, axesOffAfterOn); done = true; break;
        case Keyword::Point: done = readCharge(); break;
        default:  // FROM, TO, ON, OFF and AT start no statement
            problem_ = "a line cannot begin with " + std::string(first.view()) + "; the line was skipped";
            break;
    }
    // Also when the statement's last token was already its line's end, which then
    // discards the following line as well; or when a comment at the end of its line took
    // the line feed with it, so that the token that cut the statement short stands on a
    // following line, whose rest is discarded.
    const bool endedWithItsLine = lexer_.token().kind == TokenKind::EndOfLine;
    const bool endedInComment = !problem_.empty() && lexer_.commentLineFeeds() != commentLineFeedsBefore &&
                                lexer_.token().line != line;
    lexer_.skipLine();
    if (warnings_) {
        if (!problem_.empty()) warn(line, std::move(problem_));
        const int discarded = lexer_.line();
        if ((endedWithItsLine || endedInComment) && discarded != line &&
            !warningText(lexer_.lineText(discarded)).empty()) {
            warn(discarded, "skipped as well, because the statement on line " + std::to_string(line) + " stopped at " +
                                (endedWithItsLine ? "the end of its line" : "the comment at the end of its line"));
        }
        if (model_.chargeCount_ != chargesBefore) {
            statedCharges_.push_back({line, warningText(lexer_.lineText(line))});
        }
    }
    return done ? StatementOutcome::Done : StatementOutcome::Dropped;
}

void ModelReader::warnChargesOutsideBox() {
    if (!warnings_ || !boundsRead_) return;
    const ABox& box = *model_.bounds_;
    const char axisNames[] = {'x', 'y', 'z'};
    bool told = false;
    for (std::size_t i = 0; i < statedCharges_.size(); ++i) {
        const Vector3& p = model_.charges_[i].position;
        const float coordinates[] = {p.x, p.y, p.z};
        const float lows[] = {box.min.x, box.min.y, box.min.z};
        const float highs[] = {box.max.x, box.max.y, box.max.z};
        for (int axis = 0; axis < 3; ++axis) {
            const bool below = coordinates[axis] < lows[axis], above = coordinates[axis] > highs[axis];
            if (!below && !above) continue;
            char reason[200];
            std::snprintf(reason, sizeof reason,
                          "this charge lies outside the box (%c = %g is beyond %g); it is kept, but no field line "
                          "or surface reaches it",
                          axisNames[axis], static_cast<double>(coordinates[axis]),
                          static_cast<double>(below ? lows[axis] : highs[axis]));
            warnings_->push_back(ReadWarning{statedCharges_[i].line, statedCharges_[i].text, reason, false});
            told = true;
            break;
        }
    }
    if (told) {
        std::stable_sort(warnings_->begin(), warnings_->end(),
                         [](const ReadWarning& a, const ReadWarning& b) { return a.line < b.line; });
    }
}

void ModelReader::warn(int line, std::string reason) {
    warnings_->push_back(ReadWarning{line, warningText(lexer_.lineText(line)), std::move(reason)});
}

std::optional<float> ModelReader::readNumber() {
    const Token& token = lexer_.nextToken();
    if (!token.isNumber()) return std::nullopt;
    return token.number;
}

std::optional<Vector3> ModelReader::readPoint() {
    Vector3 point;
    float* coordinates[] = {&point.x, &point.y, &point.z};
    for (int axis = 0; axis < 3; ++axis) {
        if (axis > 0 && lexer_.nextToken().kind != TokenKind::Comma) return std::nullopt;
        const std::optional<float> number = readNumber();
        if (!number) return std::nullopt;
        *coordinates[axis] = *number;
    }
    return point;
}

bool ModelReader::expectKeyword(Keyword code) {
    const Token& token = lexer_.nextToken();
    if (token.kind != TokenKind::Identifier) return false;
    const KeywordEntry* entry = keywords_.findKeyword(token.view());
    return entry && entry->code == code;
}

bool ModelReader::readBounds() {
    const std::optional<Vector3> from = expectKeyword(Keyword::From) ? readPoint() : std::nullopt;
    const std::optional<Vector3> to = from && expectKeyword(Keyword::To) ? readPoint() : std::nullopt;
    if (!to) {
        problem_ = malformedBounds;
        return false;
    }
    model_.setBounds(*from, *to);
    boundsRead_ = true;
    return true;
}

bool ModelReader::readName() {
    const Token& token = lexer_.nextToken();
    if (token.kind != TokenKind::String) {
        problem_ = malformedName;
        return false;
    }
    model_.setName({token.text, static_cast<std::size_t>(token.length)});
    return true;
}

void ModelReader::readFlag(bool& flag, const char* withoutOn, const char* offAfterOn) {
    // Any other word leaves the flag as it is: OFF cannot undo an earlier ON. OFF on a flag
    // that is still off says what the file means and is not worth a warning.
    if (expectKeyword(Keyword::On)) {
        flag = true;
        return;
    }
    const Token& token = lexer_.token();
    const KeywordEntry* word = token.kind == TokenKind::Identifier ? keywords_.findKeyword(token.view()) : nullptr;
    if (!word || word->code != Keyword::Off) {
        problem_ = withoutOn;
    } else if (flag) {
        problem_ = offAfterOn;
    }
}

bool ModelReader::readCharge() {
    const std::optional<float> value = readNumber();
    const std::optional<Vector3> position = value && expectKeyword(Keyword::At) ? readPoint() : std::nullopt;
    if (!position) {
        problem_ = malformedCharge;
        return false;
    }
    if (model_.chargeCount_ >= Model::maxCharges) {
        if (!std::exchange(chargeLimitTold_, true)) problem_ = tooManyCharges;
        return false;
    }
    model_.charges_[model_.chargeCount_++] = Charge{static_cast<double>(*value), *position};
    return true;
}

}  // namespace kelvaro
