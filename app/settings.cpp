#include "app/settings.h"

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>

#include "common/whole_file.h"

namespace kelvaro {
namespace {

constexpr const char* styleKey = "style";

std::string trimmed(const std::string& text) {
    const std::size_t first = text.find_first_not_of(" \t\r");
    if (first == std::string::npos) return {};
    return text.substr(first, text.find_last_not_of(" \t\r") - first + 1);
}

}  // namespace

std::string settingsPath() {
    const char* config = std::getenv("XDG_CONFIG_HOME");
    std::filesystem::path folder;
    if (config != nullptr && config[0] != '\0') {
        folder = config;
    } else if (const char* home = std::getenv("HOME"); home != nullptr && home[0] != '\0') {
        folder = std::filesystem::path(home) / ".config";
    } else {
        return {};
    }
    return (folder / "kelvaro" / "settings").string();
}

Settings readSettings() {
    Settings settings;
    const std::string path = settingsPath();
    // Only a regular file: a FIFO there would keep the program from starting.
    std::error_code ignored;
    if (path.empty() || !std::filesystem::is_regular_file(path, ignored)) return settings;
    std::ifstream file(path);
    std::string line;
    while (std::getline(file, line)) {
        const std::size_t equals = line.find('=');
        if (equals == std::string::npos || trimmed(line.substr(0, equals)) != styleKey) continue;
        const std::string value = trimmed(line.substr(equals + 1));
        if (value == "teaching") settings.teachingStyle = true;
        if (value == "plain") settings.teachingStyle = false;
    }
    return settings;
}

std::string writeSettings(const Settings& settings) {
    const std::string path = settingsPath();
    if (path.empty()) return "neither XDG_CONFIG_HOME nor HOME is set";
    std::error_code error;
    std::filesystem::create_directories(std::filesystem::path(path).parent_path(), error);
    if (error) return error.message();
    const std::filesystem::file_status status = std::filesystem::status(path, error);
    if (std::filesystem::exists(status) && !std::filesystem::is_regular_file(status)) {
        return path + " is not a regular file";
    }
    const std::string text = std::string("# Kelvaro's settings, written by the program.\n") + styleKey + " = " +
                             (settings.teachingStyle ? "teaching" : "plain") + "\n";
    WholeFile file(path);
    if (!file.stream()) return file.error();
    if (std::fwrite(text.data(), 1, text.size(), file.stream()) != text.size()) return std::strerror(errno);
    if (!file.commit()) return file.error();
    return {};
}

}  // namespace kelvaro
