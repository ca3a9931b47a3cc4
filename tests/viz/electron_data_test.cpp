// Checks of the checked-in seed file examples/ElectronData.

#include <gtest/gtest.h>

#include <bit>
#include <cmath>
#include <cstdint>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <vector>

#include "tests/viz/viz_test_support.h"
#include "tools/electron_data/thomson.h"
#include "viz/seed_directions.h"

namespace kelvaro {
namespace {

using seeds::Direction;

constexpr int largestCount = 100;

std::vector<std::uint8_t> exampleImage() {
    std::ifstream file(std::filesystem::path(KELVARO_EXAMPLES_DIR) / "ElectronData", std::ios::binary);
    return {std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>()};
}

std::uint32_t wordAt(const std::vector<std::uint8_t>& image, std::size_t at) {
    return static_cast<std::uint32_t>(image[at]) | static_cast<std::uint32_t>(image[at + 1]) << 8 |
           static_cast<std::uint32_t>(image[at + 2]) << 16 | static_cast<std::uint32_t>(image[at + 3]) << 24;
}

// The stored set of `count` directions, widened and projected back onto the sphere, so
// that its energy is that of the arrangement, not of the rounding of its lengths.
std::vector<Direction> storedSet(const std::vector<std::uint8_t>& image, int count) {
    const std::size_t offset = wordAt(image, 4 * static_cast<std::size_t>(count));
    std::vector<Direction> set;
    for (int i = 0; i < count; ++i) {
        const std::size_t at = offset + 12 * static_cast<std::size_t>(i);
        const double x = std::bit_cast<float>(wordAt(image, at));
        const double y = std::bit_cast<float>(wordAt(image, at + 4));
        const double z = std::bit_cast<float>(wordAt(image, at + 8));
        const double length = std::sqrt(x * x + y * y + z * z);
        set.push_back({x / length, y / length, z / length});
    }
    return set;
}

TEST(ElectronDataFile, HoldsOneSetOfUnitVectorsForEveryCountUpToAHundred) {
    const std::vector<std::uint8_t> image = exampleImage();
    ASSERT_GE(image.size(), 4u * (largestCount + 1));
    EXPECT_EQ(wordAt(image, 0), static_cast<std::uint32_t>(largestCount));
    std::vector<bool> claimed(image.size(), false);  // no two sets share a byte
    for (int count = 1; count <= largestCount; ++count) {
        SCOPED_TRACE(count);
        const std::size_t offset = wordAt(image, 4 * static_cast<std::size_t>(count));
        ASSERT_GE(offset, 4u * (largestCount + 1));
        ASSERT_LE(offset + 12 * static_cast<std::size_t>(count), image.size());
        for (std::size_t at = offset; at < offset + 12 * static_cast<std::size_t>(count); ++at) {
            ASSERT_FALSE(claimed[at]);
            claimed[at] = true;
        }
        for (int i = 0; i < count; ++i) {
            const std::size_t at = offset + 12 * static_cast<std::size_t>(i);
            const double x = std::bit_cast<float>(wordAt(image, at));
            const double y = std::bit_cast<float>(wordAt(image, at + 4));
            const double z = std::bit_cast<float>(wordAt(image, at + 8));
            EXPECT_NEAR(std::sqrt(x * x + y * y + z * z), 1.0, 1e-6);
        }
    }
}

TEST(ElectronDataFile, ReadsBackThroughTheSeedReader) {
    testing::ScratchDirectory scratch;
    testing::installExampleSeedFile();
    const std::vector<std::uint8_t> image = exampleImage();
    for (int count : {1, 37, largestCount}) {
        const auto directions = readSeedDirections(count);
        ASSERT_TRUE(directions) << count;
        const std::size_t offset = wordAt(image, 4 * static_cast<std::size_t>(count));
        EXPECT_EQ(directions[count - 1].z, std::bit_cast<float>(wordAt(image, offset + 12 * (count - 1) + 8)));
    }
    EXPECT_FALSE(readSeedDirections(largestCount + 1));
}

TEST(ElectronDataFile, SetsReachThePublishedThomsonMinima) {
    const std::vector<std::uint8_t> image = exampleImage();
    const std::vector<std::pair<int, double>> published = {
        {2, 0.5}, {3, 1.732050808}, {4, 3.674234614}, {5, 6.474691495}, {6, 9.985281374}, {12, 49.165253058},
    };
    for (const auto& [count, energy] : published)
        EXPECT_NEAR(seeds::coulombEnergy(storedSet(image, count)), energy, 1e-8) << count;
}

TEST(ElectronDataFile, NoSetIsBeatenByAFreshQuickerSearch) {
    const std::vector<std::uint8_t> image = exampleImage();
    seeds::SpreadOptions quick;
    quick.minStarts = 15;
    quick.confirmations = 3;
    quick.maxStarts = 60;
    quick.seed = 20261207;  // another stream than the file's
    for (int count : {9, 24, 46, 61, 78, 100}) {
        const double stored = seeds::coulombEnergy(storedSet(image, count));
        const double fresh = seeds::spreadOnSphere(count, quick).energy;
        EXPECT_LE(stored, fresh + 1e-9 * fresh) << count;
    }
}

TEST(ElectronDataFile, SpreadIsReproducibleForASeed) {
    seeds::SpreadOptions options;
    options.minStarts = 3;
    options.maxStarts = 3;
    const auto first = seeds::spreadOnSphere(17, options);
    const auto second = seeds::spreadOnSphere(17, options);
    ASSERT_EQ(first.points.size(), 17u);
    EXPECT_EQ(first.energy, second.energy);
    EXPECT_EQ(first.points.back().x, second.points.back().x);
    EXPECT_EQ(seeds::spreadOnSphere(1, options).points.size(), 1u);
    EXPECT_TRUE(seeds::spreadOnSphere(0, options).points.empty());
}

}  // namespace
}  // namespace kelvaro
