#include "scene/print_checked.h"

#include <cstdarg>
#include <cstring>

namespace kelvaro {
namespace {

// The length a write of `format` must at least report: its literal characters, with every
// conversion counted as one character ("%%" is one literal percent sign).
int requiredLength(const char* format) {
    int length = 0;
    for (const char* c = format; *c != '\0'; ++c) {
        ++length;
        if (*c != '%') continue;
        ++c;
        if (*c == '%') continue;
        // Skip flags, width, precision and length modifiers up to the conversion letter.
        while (*c != '\0' && std::strchr("-+ #0123456789.*hlLqjzt", *c) != nullptr) ++c;
        if (*c == '\0') break;
    }
    return length;
}

}  // namespace

bool printChecked(std::FILE* stream, const char* format, ...) {
    std::va_list arguments;
    va_start(arguments, format);
    const int written = std::vfprintf(stream, format, arguments);
    va_end(arguments);
    return written >= requiredLength(format);
}

}  // namespace kelvaro
