#include "model/model_reader.h"

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
    // discards the following line as well.
    const bool endedWithItsLine = lexer_.token().kind == TokenKind::EndOfLine;
    lexer_.skipLine();
    if (warnings_) {
        if (!problem_.empty()) warn(line, std::move(problem_));
        const int discarded = lexer_.line();
        if (endedWithItsLine && discarded != line && !warningText(lexer_.lineText(discarded)).empty()) {
            warn(discarded, "skipped as well, because the statement on line " + std::to_string(line) +
                                " stopped at the end of its line");
        }
    }
    return done ? StatementOutcome::Done : StatementOutcome::Dropped;
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
