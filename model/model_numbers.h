#pragma once
// Numbers as model files state them: a typed text read exactly as the model reader reads
// a number of a file, and a single-precision value written so that reading the text back
// gives the same bits.

#include <optional>
#include <string>
#include <string_view>

namespace kelvaro {

// The value of `text` read as one number of a model file: an Integer or Real token with
// blanks around it allowed, rounded to single precision as the reader rounds it (so
// "1e39" gives infinity). None for anything else: an empty text, a word, two numbers,
// "+1" (a plus sign never starts a number), "1e400" (the reader refuses the exponent).
std::optional<float> readModelNumber(std::string_view text);

// The shortest "%.Ng" text (N = 1 to 17 significant digits, written as in the C locale
// whatever the process's locale) that readModelNumber reads back to exactly the bits of
// `value`; the infinities as "1e300" and "-1e300", which the
// reader rounds to them. None for not-a-number, which no model file states.
std::optional<std::string> modelNumberText(float value);

}  // namespace kelvaro
