#include "common/number_text.h"

#include <locale.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "common/bit_cast.h"

namespace kelvaro {
namespace {

// The "C" locale as an object of its own, made once; the process's locale is not touched.
locale_t cLocale() {
    static const locale_t locale = newlocale(LC_ALL_MASK, "C", locale_t{});
    return locale;
}

// Reads `word` with `read` (a strto*_l function); none unless every character was read.
template <class Number, class Read>
std::optional<Number> wholeWord(std::string_view word, Read read) {
    if (word.empty()) return std::nullopt;
    const std::string text(word);  // the C functions need the terminating NUL
    char* end = nullptr;
    const Number value = read(text.c_str(), &end);
    if (end != text.c_str() + text.size()) return std::nullopt;
    return value;
}

}  // namespace

std::optional<double> doubleFromWord(std::string_view word) {
    return wholeWord<double>(word, [](const char* text, char** end) { return strtod_l(text, end, cLocale()); });
}

std::optional<float> floatFromWord(std::string_view word) {
    return wholeWord<float>(word, [](const char* text, char** end) { return strtof_l(text, end, cLocale()); });
}

std::optional<long long> integerFromWord(std::string_view word) {
    // Digits do not depend on the locale; strtoll saturates at the ends of the range.
    return wholeWord<long long>(word, [](const char* text, char** end) { return std::strtoll(text, end, 10); });
}

NumberText numberText(double value, int digits) {
    NumberText result{};
    // The "C" locale for this thread alone, for the one write (std::to_chars would do the
    // same, but the browser edition's C++ library lacks it for floating point).
    const locale_t before = uselocale(cLocale());
    std::snprintf(result.text, sizeof result.text, "%.*g", digits, value);
    uselocale(before);
    return result;
}

NumberText shortestFloatText(float value) {
    for (int digits = 1; digits < 9; ++digits) {
        const NumberText text = numberText(value, digits);
        const std::optional<float> back = floatFromWord(text.c_str());
        if (back && bitCast<std::uint32_t>(*back) == bitCast<std::uint32_t>(value)) return text;
    }
    return numberText(value, 9);
}

}  // namespace kelvaro
