#include "viz/seed_directions.h"

#include <gtest/gtest.h>

#include <bit>
#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

#include "tests/viz/viz_test_support.h"

namespace kelvaro {
namespace {

using testing::ScratchDirectory;
using testing::writeBytes;

// Builds seed-file images byte by byte, little-endian.
class ImageBuilder {
public:
    ImageBuilder& word(std::uint32_t value) {
        for (int byte = 0; byte < 4; ++byte) bytes.push_back(static_cast<std::uint8_t>(value >> (8 * byte)));
        return *this;
    }
    ImageBuilder& real(float value) { return word(std::bit_cast<std::uint32_t>(value)); }
    ImageBuilder& point(float x, float y, float z) { return real(x).real(y).real(z); }

    std::vector<std::uint8_t> bytes;
};

void expectDirection(const Vector3& actual, float x, float y, float z) {
    EXPECT_EQ(actual.x, x);
    EXPECT_EQ(actual.y, y);
    EXPECT_EQ(actual.z, z);
}

// N = 3; sets for 1 and 3 stored in reverse order after the table, no set for 2.
std::vector<std::uint8_t> sparseImage() {
    ImageBuilder image;
    image.word(3).word(16 + 36).word(0).word(16);
    image.point(1, 0, 0).point(0, 2.5f, 0).point(-0.25f, 0, 1);  // the set of 3, at byte 16
    image.point(0, 0, -1);                                      // the set of 1, at byte 52
    return image.bytes;
}

TEST(SeedDirections, ReadsTheSetOfTheRequestedCountWhereverItLies) {
    ScratchDirectory scratch;
    writeBytes("ElectronData", sparseImage());
    const auto one = readSeedDirections(1);
    ASSERT_TRUE(one);
    expectDirection(one[0], 0, 0, -1);
    const auto three = readSeedDirections(3);  // exactly N
    ASSERT_TRUE(three);
    expectDirection(three[0], 1, 0, 0);
    expectDirection(three[1], 0, 2.5f, 0);  // returned as stored, not normalised
    expectDirection(three[2], -0.25f, 0, 1);
}

TEST(SeedDirections, FailsForAbsentSetsAndCountsOutsideTheTable) {
    ScratchDirectory scratch;
    writeBytes("ElectronData", sparseImage());
    EXPECT_FALSE(readSeedDirections(2));  // table entry 0
    EXPECT_FALSE(readSeedDirections(4));  // more than N
    EXPECT_FALSE(readSeedDirections(0));
    EXPECT_FALSE(readSeedDirections(-1));
}

TEST(SeedDirections, FailsOnMissingTooSmallAndTruncatedFiles) {
    ScratchDirectory scratch;
    EXPECT_FALSE(readSeedDirections(1));  // no file
    writeBytes("ElectronData", {});
    EXPECT_FALSE(readSeedDirections(1));
    writeBytes("ElectronData", {5, 0});  // shorter than N itself
    EXPECT_FALSE(readSeedDirections(1));
    writeBytes("ElectronData", ImageBuilder().word(2).bytes);  // N but no table
    EXPECT_FALSE(readSeedDirections(1));

    ImageBuilder cut;
    cut.word(2).word(0).word(12).point(1, 0, 0).real(0);  // the set of 2 ends after 4 floats
    writeBytes("ElectronData", cut.bytes);
    EXPECT_FALSE(readSeedDirections(2));

    ImageBuilder beyond;
    beyond.word(1).word(4000);  // an offset past the end of the file
    writeBytes("ElectronData", beyond.bytes);
    EXPECT_FALSE(readSeedDirections(1));
}

TEST(SeedDirections, TheProblemNamesTheFileAndTheFolder) {
    ScratchDirectory scratch;
    const std::string folder = scratch.path().string();
    EXPECT_EQ(seedFileProblem(1),
              "Field lines need the seed file ElectronData, which could not be opened in " + folder +
                  ": No such file or directory");
    std::filesystem::create_directory("ElectronData");
    EXPECT_EQ(seedFileProblem(1), "Field lines need the seed file ElectronData, which could not be opened in " +
                                      folder + ": it is a folder");
    std::filesystem::remove("ElectronData");
    writeBytes("ElectronData", sparseImage());
    EXPECT_EQ(seedFileProblem(3), "");
    EXPECT_EQ(seedFileProblem(2),
              "Field lines need the seed file ElectronData, but the one in " + folder +
                  " holds no usable set of 2 directions");
}

}  // namespace
}  // namespace kelvaro
