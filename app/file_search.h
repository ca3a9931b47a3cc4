#pragma once
// The model-file chooser's directory search.

#include <string>
#include <vector>

namespace kelvaro {

// The names in the current directory that match `pattern` (shell wildcards, letter
// case ignored): regular files only, never a name beginning with ".", in name order.
// An unreadable directory gives no names.
std::vector<std::string> findFiles(const char* pattern);

}  // namespace kelvaro
