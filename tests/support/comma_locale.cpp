#include "tests/support/comma_locale.h"

#include <clocale>
#include <cstdlib>
#include <filesystem>

namespace kelvaro::testing {

std::optional<std::string> commaLocale(std::string& why) {
    static const std::string folder = [] {
        const std::filesystem::path path = std::filesystem::temp_directory_path() / "kelvaro-comma-locale";
        std::filesystem::create_directories(path);
        return path.string();
    }();
    static const int made = [] {
        ::setenv("LOCPATH", folder.c_str(), 1);
        const std::string command =
            "localedef -i de_DE -f UTF-8 '" + folder + "/de_DE.UTF-8' >/dev/null 2>&1";
        return std::system(command.c_str());
    }();
    if (made != 0) {
        why = "localedef could not make de_DE.UTF-8 (the package locales brings its sources)";
        return std::nullopt;
    }
    return "de_DE.UTF-8";
}

CommaLocaleScope::CommaLocaleScope(const std::string& name) { std::setlocale(LC_ALL, name.c_str()); }

CommaLocaleScope::~CommaLocaleScope() { std::setlocale(LC_ALL, "C"); }

bool CommaLocaleScope::active() { return std::strtod("1.5", nullptr) == 1.0; }

}  // namespace kelvaro::testing
