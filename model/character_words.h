#pragma once
// A character that a model file cannot hold, told in words that show it: the code point
// and the name of the characters that text editors and word processors slip into numbers
// (a minus sign, a dash, a no-break space, curly quotes), and its bytes.

#include <string>
#include <string_view>

namespace kelvaro {

// `bytes` (one character, as the lexer found it) in words: "U+2212 MINUS SIGN, bytes E2 88
// 92" for a character written in UTF-8 ("U+0007, byte 07" when its name is not known
// here), or "the byte B0, which does not begin a character in UTF-8".
std::string describeCharacter(std::string_view bytes);

// Whether `bytes` is one printable ASCII character, which shows as itself.
bool isPlainCharacter(std::string_view bytes);

}  // namespace kelvaro
