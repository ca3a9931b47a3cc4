#include "model/character_words.h"

#include <cstdint>
#include <cstdio>
#include <optional>

namespace kelvaro {
namespace {

struct NamedCharacter {
    std::uint32_t code;
    const char* name;
};

// Characters that look like, or stand where, the ones a model file takes.
constexpr NamedCharacter namedCharacters[] = {
    {0x00A0, "NO-BREAK SPACE"},
    {0x00AD, "SOFT HYPHEN"},
    {0x00B0, "DEGREE SIGN"},
    {0x00B1, "PLUS-MINUS SIGN"},
    {0x00B2, "SUPERSCRIPT TWO"},
    {0x00B3, "SUPERSCRIPT THREE"},
    {0x00B5, "MICRO SIGN"},
    {0x00B7, "MIDDLE DOT"},
    {0x00D7, "MULTIPLICATION SIGN"},
    {0x00F7, "DIVISION SIGN"},
    {0x2002, "EN SPACE"},
    {0x2003, "EM SPACE"},
    {0x2009, "THIN SPACE"},
    {0x200B, "ZERO WIDTH SPACE"},
    {0x2010, "HYPHEN"},
    {0x2011, "NON-BREAKING HYPHEN"},
    {0x2012, "FIGURE DASH"},
    {0x2013, "EN DASH"},
    {0x2014, "EM DASH"},
    {0x2018, "LEFT SINGLE QUOTATION MARK"},
    {0x2019, "RIGHT SINGLE QUOTATION MARK"},
    {0x201C, "LEFT DOUBLE QUOTATION MARK"},
    {0x201D, "RIGHT DOUBLE QUOTATION MARK"},
    {0x2026, "HORIZONTAL ELLIPSIS"},
    {0x202F, "NARROW NO-BREAK SPACE"},
    {0x2032, "PRIME"},
    {0x2060, "WORD JOINER"},
    {0x2212, "MINUS SIGN"},
    {0x2215, "DIVISION SLASH"},
    {0x2217, "ASTERISK OPERATOR"},
    {0x22C5, "DOT OPERATOR"},
    {0xFEFF, "ZERO WIDTH NO-BREAK SPACE"},
    {0xFF0C, "FULLWIDTH COMMA"},
    {0xFF0E, "FULLWIDTH FULL STOP"},
};

// The code point that `bytes` encode in UTF-8 (a single byte below 128 is itself); none
// for bytes that are no well-formed character (overlong forms, surrogates included).
std::optional<std::uint32_t> decoded(std::string_view bytes) {
    if (bytes.empty()) return std::nullopt;
    const auto byte = [&](std::size_t i) { return static_cast<std::uint8_t>(bytes[i]); };
    const std::uint8_t lead = byte(0);
    if (lead < 0x80) return bytes.size() == 1 ? std::optional<std::uint32_t>(lead) : std::nullopt;
    const std::size_t length = (lead & 0xE0) == 0xC0 ? 2 : (lead & 0xF0) == 0xE0 ? 3 : (lead & 0xF8) == 0xF0 ? 4 : 0;
    if (length == 0 || bytes.size() != length) return std::nullopt;
    std::uint32_t code = lead & (0x7F >> length);
    for (std::size_t i = 1; i < length; ++i) {
        if ((byte(i) & 0xC0) != 0x80) return std::nullopt;
        code = (code << 6) | (byte(i) & 0x3F);
    }
    constexpr std::uint32_t smallest[] = {0, 0, 0x80, 0x800, 0x10000};
    if (code < smallest[length] || code > 0x10FFFF || (code >= 0xD800 && code <= 0xDFFF)) return std::nullopt;
    return code;
}

std::string hexBytes(std::string_view bytes) {
    std::string text;
    for (const char c : bytes) {
        char hex[4];
        std::snprintf(hex, sizeof hex, "%02X", static_cast<unsigned>(static_cast<std::uint8_t>(c)));
        if (!text.empty()) text += ' ';
        text += hex;
    }
    return text;
}

}  // namespace

bool isPlainCharacter(std::string_view bytes) {
    return bytes.size() == 1 && bytes[0] >= 0x20 && bytes[0] < 0x7F;
}

std::string describeCharacter(std::string_view bytes) {
    const std::optional<std::uint32_t> code = decoded(bytes);
    if (!code) return "the byte " + hexBytes(bytes.substr(0, 1)) + ", which does not begin a character in UTF-8";
    char text[16];
    std::snprintf(text, sizeof text, "U+%04X", static_cast<unsigned>(*code));
    std::string words = text;
    for (const NamedCharacter& named : namedCharacters) {
        if (named.code == *code) words += std::string(" ") + named.name;
    }
    return words + (bytes.size() == 1 ? ", byte " : ", bytes ") + hexBytes(bytes);
}

}  // namespace kelvaro
