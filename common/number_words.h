#pragma once
// Numbers read from words exactly as the C library reads them in the "C" locale, and
// written so, whatever locale the process has chosen: a host program (a Python session inside a GTK or Qt
// program) may have set one whose decimal point is a comma, which would make the plain
// strtod refuse "1.5". The whole word must be the number.

#include <optional>
#include <string>
#include <string_view>

namespace kelvaro {

// strtod's syntax: an optional sign, decimal digits with an optional point and exponent,
// a hexadecimal number after 0x, inf, infinity or nan. A value beyond the range gives
// the infinity of its sign, one below it zero or the nearest subnormal, as strtod does.
std::optional<double> doubleFromWord(std::string_view word);
// The same rounded once to single precision, as strtof reads it.
std::optional<float> floatFromWord(std::string_view word);
// An optional sign and decimal digits; a value beyond the range of long long gives the
// nearest end of that range.
std::optional<long long> integerFromWord(std::string_view word);

// `value` written as "%.*g" with `digits` significant digits, in the notation of the "C"
// locale (a full stop before the fraction) whatever locale the process has chosen.
std::string numberWord(double value, int digits);
// The shortest such word of `value` (at most nine digits, which state every float) that
// floatFromWord reads back to the same bits.
std::string shortestFloatWord(float value);

}  // namespace kelvaro
