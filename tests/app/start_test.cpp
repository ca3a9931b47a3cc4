// What the program takes at start: the command line, and the settings kept between runs
// (in a folder of the test's own, never the real home).
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>

#include "app/command_line.h"
#include "app/settings.h"

namespace kelvaro {
namespace {

namespace fs = std::filesystem;

TEST(CommandLine, TakesTheStyleAndOneModelFileAndTellsWhatItLeavesOut) {
    StartOptions options = readCommandLine({"dipole.txt"});
    EXPECT_EQ(options.modelFile, "dipole.txt");
    EXPECT_FALSE(options.teachingStyle);
    EXPECT_EQ(options.refusals, "");

    options = readCommandLine({"--style", "teaching", "ring.txt"});
    EXPECT_EQ(options.teachingStyle, true);
    EXPECT_EQ(options.modelFile, "ring.txt");
    EXPECT_EQ(readCommandLine({"--style", "plain"}).teachingStyle, false);

    options = readCommandLine({"--style", "fancy", "-x", "a.txt", "b.txt", "--style"});
    EXPECT_FALSE(options.teachingStyle);
    EXPECT_EQ(options.modelFile, "a.txt");
    EXPECT_EQ(options.refusals,
              "--style needs \"teaching\" or \"plain\", not \"fancy\"; the remembered look is used.\n"
              "Unknown option -x: kelvaro takes --style teaching|plain and a model file.\n"
              "Only one model file is loaded at start: b.txt was left out.\n"
              "--style needs \"teaching\" or \"plain\"; the remembered look is used.\n");
}

class SettingsTest : public ::testing::Test {
protected:
    void SetUp() override {
        for (const char* name : {"XDG_CONFIG_HOME", "HOME"}) {
            const char* value = std::getenv(name);
            saved_.emplace_back(name, value ? std::optional<std::string>(value) : std::nullopt);
        }
        folder_ = fs::temp_directory_path() / ("kelvaro-settings-" + std::to_string(getpid()));
        fs::remove_all(folder_);
        setenv("XDG_CONFIG_HOME", folder_.c_str(), 1);
    }
    void TearDown() override {
        for (const auto& [name, value] : saved_) {
            if (value) {
                setenv(name.c_str(), value->c_str(), 1);
            } else {
                unsetenv(name.c_str());
            }
        }
        fs::remove_all(folder_);
    }

    fs::path folder_;

private:
    std::vector<std::pair<std::string, std::optional<std::string>>> saved_;
};

TEST_F(SettingsTest, TheStyleIsKeptBetweenRunsInTheConfigurationFolder) {
    EXPECT_EQ(settingsPath(), (folder_ / "kelvaro" / "settings").string());
    EXPECT_FALSE(readSettings().teachingStyle) << "no file: the first version's look";
    EXPECT_EQ(writeSettings(Settings{true}), "");
    EXPECT_TRUE(readSettings().teachingStyle);
    EXPECT_EQ(writeSettings(Settings{false}), "");
    EXPECT_FALSE(readSettings().teachingStyle);

    setenv("XDG_CONFIG_HOME", "", 1);
    setenv("HOME", folder_.c_str(), 1);
    EXPECT_EQ(settingsPath(), (folder_ / ".config" / "kelvaro" / "settings").string());
}

TEST_F(SettingsTest, ABrokenOrStrangeFileGivesTheFirstVersionsLook) {
    fs::create_directories(folder_ / "kelvaro");
    const std::string path = settingsPath();
    for (const std::string& text : {std::string("style = fancy\n"), std::string("\x01\xff\0style\n", 8),
                                   std::string("style teaching\n"), std::string(100000, '=')}) {
        std::ofstream(path, std::ios::binary) << text;
        EXPECT_FALSE(readSettings().teachingStyle);
    }
    std::ofstream(path) << "# comments and unknown names are passed over\nsize = 3\n  style =  teaching  \n";
    EXPECT_TRUE(readSettings().teachingStyle);

    // A FIFO or a folder in its place: neither a wait nor a crash.
    fs::remove(path);
    ASSERT_EQ(mkfifo(path.c_str(), 0600), 0);
    EXPECT_FALSE(readSettings().teachingStyle);
    EXPECT_NE(writeSettings(Settings{true}), "");
    fs::remove(path);
    fs::create_directory(path);
    EXPECT_FALSE(readSettings().teachingStyle);
    EXPECT_NE(writeSettings(Settings{true}), "");
}

}  // namespace
}  // namespace kelvaro
