#pragma once
// kelvaro-batch run as a child process in the working folder: what the tests of its files
// and outputs share.

#include <filesystem>
#include <set>
#include <string>
#include <vector>

#include "tests/viz/viz_test_support.h"

namespace kelvaro::testing {

// Runs KELVARO_BATCH_PATH with `arguments` and waits (two minutes at most) for its end.
BatchRun runBatchProcess(const std::vector<std::string>& arguments);

// The names in `folder`.
std::set<std::string> fileNames(const std::filesystem::path& folder);

}  // namespace kelvaro::testing
