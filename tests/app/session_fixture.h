#pragma once
// A fixture for tests of the session: each test runs in a fresh temporary folder of its
// own, with a session of its own.

#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <string>

#include "app/session.h"

namespace kelvaro {

class FreshSession : public ::testing::Test {
protected:
    void SetUp() override {
        previous_ = std::filesystem::current_path();
        directory_ = std::filesystem::temp_directory_path() /
                     ("kelvaro-session-" + std::to_string(getpid()) + "-" +
                      ::testing::UnitTest::GetInstance()->current_test_info()->name());
        std::filesystem::remove_all(directory_);
        std::filesystem::create_directories(directory_);
        std::filesystem::current_path(directory_);
    }
    void TearDown() override {
        session.end();
        std::filesystem::current_path(previous_);
        std::filesystem::remove_all(directory_);
    }

    static void write(const std::string& name, const std::string& text) { std::ofstream(name) << text; }

    Session session;

private:
    std::filesystem::path previous_;
    std::filesystem::path directory_;
};

}  // namespace kelvaro
