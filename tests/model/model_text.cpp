#include "tests/model/model_text.h"

#include <gtest/gtest.h>

#include <sstream>

namespace kelvaro::testing {
namespace {

const char* kindName(TokenKind kind) {
    switch (kind) {
        case TokenKind::Identifier: return "Identifier";
        case TokenKind::Integer: return "Integer";
        case TokenKind::Real: return "Real";
        case TokenKind::String: return "String";
        case TokenKind::EndOfLine: return "EndOfLine";
        case TokenKind::EndOfFile: return "EndOfFile";
        case TokenKind::Minus: return "Minus";
        case TokenKind::Comma: return "Comma";
        default: return nullptr;  // the other punctuation kinds
    }
}

}  // namespace

MemoryStream::MemoryStream(std::string_view text) : text_(text) {
    // fmemopen refuses an empty buffer, so an empty text reads from a stream at its end.
    file_ = text_.empty() ? std::tmpfile() : fmemopen(text_.data(), text_.size(), "r");
}

MemoryStream::~MemoryStream() {
    if (file_) std::fclose(file_);
}

std::unique_ptr<Model> readModel(std::string_view text) {
    MemoryStream stream(text);
    try {
        return std::make_unique<Model>(stream.file());
    } catch (int code) {
        ADD_FAILURE() << "reading raised " << code << " on line " << Model::lastReadLine() << " of:\n" << text;
        return nullptr;
    }
}

int readErrorCode(std::string_view text) {
    MemoryStream stream(text);
    try {
        Model model(stream.file());
    } catch (int code) {
        return code;
    }
    return 0;
}

std::string tokenList(std::string_view text) {
    TextLexer lexer(text);
    std::ostringstream out;
    for (;;) {
        const Token& token = lexer->nextToken();
        if (token.kind == TokenKind::EndOfFile) break;
        if (const char* name = kindName(token.kind)) {
            out << name;
        } else {
            out << "Punctuation " << static_cast<int>(token.kind);
        }
        if (token.isNumber()) out << ' ' << token.number;
        if (token.kind == TokenKind::Identifier || token.kind == TokenKind::String) out << ' ' << token.view();
        out << '\n';
    }
    return out.str();
}

int lexErrorCode(std::string_view text) {
    try {
        tokenList(text);
    } catch (int code) {
        return code;
    }
    return 0;
}

std::string describe(const Model& model) {
    std::ostringstream out;
    out.precision(17);
    const ABox& box = model.bounds();
    out << "name '" << model.name() << "' box " << model.boxOn() << " axes " << model.axesOn() << "\nbounds "
        << box.min.x << ' ' << box.min.y << ' ' << box.min.z << " .. " << box.max.x << ' ' << box.max.y << ' '
        << box.max.z << '\n';
    for (const Charge& charge : model.charges()) {
        out << charge.value << " at " << charge.position.x << ' ' << charge.position.y << ' ' << charge.position.z
            << '\n';
    }
    out << "spacing " << model.pointSpacing() << " potential " << model.potentialMin() << " .. "
        << model.potentialMax() << '\n';
    return out.str();
}

std::string unitBox(std::string_view statements) {
    return "BOUNDS FROM -1, -1, -1 TO 1, 1, 1\n" + std::string(statements);
}

}  // namespace kelvaro::testing
