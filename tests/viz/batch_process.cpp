#include "tests/viz/batch_process.h"

#include "tests/support/e2e/e2e_harness.h"

namespace kelvaro::testing {

BatchRun runBatchProcess(const std::vector<std::string>& arguments) {
    e2e::ChildProcess child(KELVARO_BATCH_PATH, arguments);
    BatchRun run;
    run.status = child.wait_for_exit(120.0);
    run.out = child.output();
    run.err = child.errors();
    return run;
}

std::set<std::string> fileNames(const std::filesystem::path& folder) {
    std::set<std::string> names;
    for (const auto& entry : std::filesystem::directory_iterator(folder)) names.insert(entry.path().filename());
    return names;
}

}  // namespace kelvaro::testing
