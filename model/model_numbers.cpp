#include "model/model_numbers.h"

#include <cmath>
#include <cstdint>
#include <cstdio>
#include <memory>

#include "common/bit_cast.h"
#include "common/number_text.h"
#include "model/model_lexer.h"

namespace kelvaro {
namespace {

// The characters a number of a model file is written with, and blanks. Anything else
// (comments and quoted words, which the lexer would skip, or a NUL, which ends its input)
// makes the text no number.
bool onlyNumberCharacters(std::string_view text) {
    for (const char c : text) {
        const bool allowed = (c >= '0' && c <= '9') || c == '.' || c == '-' || c == '+' || c == 'e' || c == 'E' ||
                             c == ' ' || c == '\t';
        if (!allowed) return false;
    }
    return true;
}

struct CloseFile {
    void operator()(std::FILE* file) const { std::fclose(file); }
};

}  // namespace

std::optional<float> readModelNumber(std::string_view text) {
    if (text.empty() || !onlyNumberCharacters(text)) return std::nullopt;
    std::string copy(text);
    const std::unique_ptr<std::FILE, CloseFile> stream(fmemopen(copy.data(), copy.size(), "r"));
    if (!stream) return std::nullopt;
    ModelLexer lexer(stream.get());
    try {
        const Token& token = lexer.nextToken();
        if (!token.isNumber()) return std::nullopt;
        const float value = token.number;
        if (lexer.nextToken().kind != TokenKind::EndOfFile) return std::nullopt;
        return value;
    } catch (int) {  // the lexer's error codes: an exponent without digits or beyond 300
        return std::nullopt;
    }
}

std::optional<std::string> modelNumberText(float value) {
    if (std::isnan(value)) return std::nullopt;
    if (std::isinf(value)) return value > 0.0f ? "1e300" : "-1e300";
    for (int digits = 1; digits <= 17; ++digits) {
        const NumberText text = numberText(static_cast<double>(value), digits);
        const std::optional<float> back = readModelNumber(text.c_str());
        if (back && bitCast<std::uint32_t>(*back) == bitCast<std::uint32_t>(value)) return text.c_str();
    }
    return std::nullopt;  // not reached: 17 digits state every float closely enough
}

}  // namespace kelvaro
