#include "common/number_text.h"

#include <charconv>

namespace kelvaro {

NumberText numberText(double value, int digits) {
    NumberText result{};
    // The general format with a precision is defined as printf's %.*g in the C locale.
    const std::to_chars_result written = std::to_chars(result.text, result.text + sizeof result.text - 1, value,
                                                       std::chars_format::general, digits);
    *written.ptr = '\0';
    return result;
}

}  // namespace kelvaro
