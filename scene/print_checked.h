#pragma once
// Checked formatted writes for the text forms of scene objects.

#include <cstdio>

namespace kelvaro {

// Writes like fprintf and answers whether the write succeeded: the character count it
// reports must reach the length of the text it had to produce, counting every
// conversion (every number) as one character.
bool printChecked(std::FILE* stream, const char* format, ...) __attribute__((format(printf, 2, 3)));

}  // namespace kelvaro
