#pragma once
// Numbers read from words and written as text exactly as the C library does in the "C"
// locale, whatever locale the process has chosen: a host program (a Python session inside
// a GTK or Qt program) may have set one whose decimal point is a comma, which would make
// the plain strtod refuse "1.5" and printf write "1,5".

#include <optional>
#include <string_view>

namespace kelvaro {

// strtod's syntax: an optional sign, decimal digits with an optional point and exponent,
// a hexadecimal number after 0x, inf, infinity or nan; the whole word must be the number.
// A value beyond the range gives the infinity of its sign, one below it zero or the
// nearest subnormal, as strtod does.
std::optional<double> doubleFromWord(std::string_view word);
// The same rounded once to single precision, as strtof reads it.
std::optional<float> floatFromWord(std::string_view word);
// An optional sign and decimal digits; a value beyond the range of long long gives the
// nearest end of that range.
std::optional<long long> integerFromWord(std::string_view word);

// The text of a number, short enough to live on the stack.
struct NumberText {
    char text[32];  // the longest, "-2.2250738585072014e-308", takes 25 with its NUL
    const char* c_str() const { return text; }
};

// `value` as printf's "%.*g" writes it with `digits` significant digits (1 to 17) in the
// "C" locale: a full stop before the fraction, "inf" and "nan" with their signs.
NumberText numberText(double value, int digits = 6);
// The shortest such text of `value` (at most nine digits, which state every float) that
// floatFromWord reads back to the same bits.
NumberText shortestFloatText(float value);

}  // namespace kelvaro
