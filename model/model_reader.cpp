#include "model/model_reader.h"

#include "model/read_errors.h"

namespace kelvaro {

StatementOutcome ModelReader::readStatement() {
    const Token& first = lexer_.nextToken();
    if (first.kind == TokenKind::EndOfFile) return StatementOutcome::EndOfInput;
    if (first.kind != TokenKind::Identifier) failRead(ReadError::StatementWithoutKeyword);
    const KeywordEntry* keyword = keywords_.findKeyword(first.view());
    if (!keyword) failRead(ReadError::UnknownKeyword);

    bool done = false;
    switch (keyword->code) {
        case Keyword::Bounds: done = readBounds(); break;
        case Keyword::Model: done = readName(); break;
        case Keyword::Box: readFlag(model_.boxOn_); done = true; break;
        case Keyword::Axes: readFlag(model_.axesOn_); done = true; break;
        case Keyword::Point: done = readCharge(); break;
        default: break;  // FROM, TO, ON, OFF and AT start no statement
    }
    // Also when the statement's last token was already its line's end, which then
    // discards the following line as well.
    lexer_.skipLine();
    return done ? StatementOutcome::Done : StatementOutcome::Dropped;
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
    if (!expectKeyword(Keyword::From)) return false;
    const std::optional<Vector3> from = readPoint();
    if (!from || !expectKeyword(Keyword::To)) return false;
    const std::optional<Vector3> to = readPoint();
    if (!to) return false;
    model_.setBounds(*from, *to);
    boundsRead_ = true;
    return true;
}

bool ModelReader::readName() {
    const Token& token = lexer_.nextToken();
    if (token.kind != TokenKind::String) return false;
    model_.setName({token.text, static_cast<std::size_t>(token.length)});
    return true;
}

void ModelReader::readFlag(bool& flag) {
    // Any other word leaves the flag as it is: OFF cannot undo an earlier ON.
    if (expectKeyword(Keyword::On)) flag = true;
}

bool ModelReader::readCharge() {
    const std::optional<float> value = readNumber();
    if (!value || !expectKeyword(Keyword::At)) return false;
    const std::optional<Vector3> position = readPoint();
    if (!position || model_.chargeCount_ >= Model::maxCharges) return false;
    model_.charges_[model_.chargeCount_++] = Charge{static_cast<double>(*value), *position};
    return true;
}

}  // namespace kelvaro
