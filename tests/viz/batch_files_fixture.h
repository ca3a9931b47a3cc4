// The fixture of the tests of kelvaro-batch's files: a scratch working folder with the
// seed file, and runs of the built tool with no X display.
#pragma once

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <set>
#include <string>
#include <vector>

#include "tests/support/e2e/e2e_harness.h"
#include "tests/viz/viz_test_support.h"

namespace kelvaro {

class BatchFiles : public ::testing::Test {
protected:
    void SetUp() override {
        if (const char* display = std::getenv("DISPLAY")) savedDisplay_ = display;
        unsetenv("DISPLAY");
        testing::installExampleSeedFile();
    }
    void TearDown() override {
        if (!savedDisplay_.empty()) setenv("DISPLAY", savedDisplay_.c_str(), 1);
    }

    static testing::BatchRun batch(const std::vector<std::string>& arguments) {
        e2e::ChildProcess child(KELVARO_BATCH_PATH, arguments);
        testing::BatchRun run;
        run.status = child.wait_for_exit(120.0);
        run.out = child.output();
        run.err = child.errors();
        return run;
    }

    // The names in the working folder.
    std::set<std::string> files() const {
        std::set<std::string> names;
        for (const auto& entry : std::filesystem::directory_iterator(scratch_.path())) names.insert(entry.path().filename());
        return names;
    }

    testing::ScratchDirectory scratch_;
    std::string savedDisplay_;
};

}  // namespace kelvaro
