#pragma once
// A locale whose decimal point is a comma, as a host program of the Python module may set
// one: made once per process with localedef into a temporary folder that LOCPATH names.

#include <optional>
#include <string>

namespace kelvaro::testing {

// The name to give setlocale, or none with the reason in `why` (no localedef, no locale
// sources) so that the test can skip with it.
std::optional<std::string> commaLocale(std::string& why);

// While alive, the process's C locale (LC_ALL) is the comma locale; the "C" locale after.
class CommaLocaleScope {
public:
    explicit CommaLocaleScope(const std::string& name);
    ~CommaLocaleScope();
    CommaLocaleScope(const CommaLocaleScope&) = delete;
    CommaLocaleScope& operator=(const CommaLocaleScope&) = delete;
    // Whether the C library reads "1.5" as 1 here: the locale really took effect.
    static bool active();
};

}  // namespace kelvaro::testing
