// commitTogether: several files replaced all together, or none of them; the reason a file
// cannot be written.

#include "common/whole_file.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>

namespace kelvaro {
namespace {

namespace fs = std::filesystem;

std::string contents(const fs::path& file) {
    std::stringstream bytes;
    bytes << std::ifstream(file).rdbuf();
    return bytes.str();
}

TEST(WholeFile, FilesCommittedTogetherAreAllReplacedOrNoneIs) {
    const fs::path folder = fs::temp_directory_path() / ("kelvaro-whole-file-" + std::to_string(getpid()));
    fs::create_directories(folder);
    const std::string mtl = folder / "scene.mtl", obj = folder / "scene.obj";
    std::ofstream(mtl) << "old materials";
    std::ofstream(obj) << "old scene";
    for (const bool deviceFails : {true, false}) {
        WholeFile materials(mtl), full("/dev/full"), scene(obj);  // /dev/full: written in place, every write fails
        std::fputs("new materials", materials.stream());
        std::fputs("new scene", scene.stream());
        EXPECT_EQ(contents(obj), "old scene");  // until the commit
        if (deviceFails) {
            std::fputs("more than nothing", full.stream());
            EXPECT_EQ(commitTogether({&materials, &full, &scene}), &full);
            EXPECT_EQ(full.error(), "No space left on device");
            EXPECT_EQ(contents(mtl), "old materials");
        } else {
            EXPECT_EQ(commitTogether({&materials, &scene}), nullptr);
            EXPECT_EQ(contents(mtl), "new materials");
        }
        EXPECT_EQ(std::distance(fs::directory_iterator(folder), fs::directory_iterator()), 2) << "a temporary left";
    }
    EXPECT_EQ(contents(obj), "new scene");
    EXPECT_TRUE(fs::is_character_file("/dev/full"));
    fs::remove_all(folder);
}

// /proc takes no new files (for root it answers "No such file or directory", for others
// "Permission denied"): the file there cannot be replaced, and its folder is the cause.
TEST(WholeFile, AFileThatCannotBeReplacedBlamesItsFolder) {
    const WholeFile version("/proc/version");
    EXPECT_EQ(version.stream(), nullptr);
    EXPECT_EQ(version.error().rfind("no file can be made beside it to replace it whole (", 0), 0) << version.error();
    const WholeFile missing("/proc/no-such-folder/new.txt");
    EXPECT_EQ(missing.error(), "No such file or directory");
}

}  // namespace
}  // namespace kelvaro
