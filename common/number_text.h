#pragma once
// Numbers as text, the same in every locale.

namespace kelvaro {

// The text of a number, short enough to live on the stack.
struct NumberText {
    char text[32];  // the longest, "-2.2250738585072014e-308", takes 25 with its NUL
    const char* c_str() const { return text; }
};

// `value` as printf's "%.*g" writes it with `digits` significant digits (1 to 17) in the C
// locale: a full stop before the fraction, "inf" and "nan" with their signs. printf itself
// follows the process's locale, which a host program may set to one with a decimal comma
// (a Python session inside a GUI program), so files and texts are written through this.
NumberText numberText(double value, int digits = 6);

}  // namespace kelvaro
