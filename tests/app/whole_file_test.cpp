// WholeFile: several files committed as one, and a special file written in place.

#include "app/whole_file.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <set>
#include <sstream>
#include <string>

namespace kelvaro {
namespace {

namespace fs = std::filesystem;

class WholeFileTest : public ::testing::Test {
protected:
    void SetUp() override {
        folder_ = fs::temp_directory_path() / ("kelvaro-whole-file-" + std::to_string(getpid()));
        fs::remove_all(folder_);
        fs::create_directories(folder_);
    }
    void TearDown() override { fs::remove_all(folder_); }

    std::string path(const std::string& name) const { return (folder_ / name).string(); }
    std::set<std::string> names() const {
        std::set<std::string> found;
        for (const auto& entry : fs::directory_iterator(folder_)) found.insert(entry.path().filename());
        return found;
    }
    static std::string contents(const std::string& file) {
        std::stringstream bytes;
        bytes << std::ifstream(file).rdbuf();
        return bytes.str();
    }

    fs::path folder_;
};

TEST_F(WholeFileTest, FilesCommittedTogetherAreAllReplacedOrNoneIs) {
    std::ofstream(path("scene.mtl")) << "old materials";
    std::ofstream(path("scene.obj")) << "old scene";
    {
        WholeFile materials(path("scene.mtl"));
        WholeFile full("/dev/full");  // a device: written in place, and every write fails
        WholeFile scene(path("scene.obj"));
        ASSERT_TRUE(materials.stream() && full.stream() && scene.stream());
        std::fputs("new materials", materials.stream());
        std::fputs("new scene", scene.stream());
        std::fputs("more than nothing", full.stream());
        EXPECT_EQ(commitTogether({&materials, &full, &scene}), &full);
        EXPECT_EQ(full.error(), "No space left on device");
    }
    EXPECT_TRUE(fs::is_character_file("/dev/full"));
    EXPECT_EQ(contents(path("scene.mtl")), "old materials");
    EXPECT_EQ(contents(path("scene.obj")), "old scene");
    EXPECT_EQ(names(), (std::set<std::string>{"scene.mtl", "scene.obj"}));

    WholeFile materials(path("scene.mtl"));
    WholeFile scene(path("scene.obj"));
    std::fputs("new materials", materials.stream());
    std::fputs("new scene", scene.stream());
    EXPECT_EQ(contents(path("scene.obj")), "old scene");  // until the commit
    EXPECT_EQ(commitTogether({&materials, &scene}), nullptr);
    EXPECT_EQ(contents(path("scene.mtl")), "new materials");
    EXPECT_EQ(contents(path("scene.obj")), "new scene");
    EXPECT_EQ(names(), (std::set<std::string>{"scene.mtl", "scene.obj"}));
}

}  // namespace
}  // namespace kelvaro
