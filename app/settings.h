#pragma once
// What the program remembers between runs: the look of the main window (the teaching
// style, or the plain look of the first version). A small text file, one "name = value" a
// line, in $XDG_CONFIG_HOME/kelvaro/ (~/.config/kelvaro/ when that is not set).

#include <string>

namespace kelvaro {

struct Settings {
    bool teachingStyle = false;
};

// The settings file's path; empty when neither XDG_CONFIG_HOME nor HOME is set.
std::string settingsPath();

// The settings in the file; an absent, unreadable or broken file (or line) gives the
// defaults, the first version's look.
Settings readSettings();

// Writes `settings` to the file (and its folder when needed), whole or not at all.
// Answers why it could not, or an empty text.
std::string writeSettings(const Settings& settings);

}  // namespace kelvaro
