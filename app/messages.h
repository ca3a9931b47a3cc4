#pragma once
// What the program tells its user: one line, or a few, at a time.

#include <string_view>

namespace kelvaro {

// Prints `message` (its line end included) on standard output, flushed at once.
void say(std::string_view message);

}  // namespace kelvaro
