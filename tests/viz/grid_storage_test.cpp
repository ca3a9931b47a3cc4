#include "viz/grid_storage.h"

#include <gtest/gtest.h>

#include <cstring>

namespace kelvaro {
namespace {

// The process keeps one block for grid after grid; a grid made while another holds it gets
// a block of its own; a larger grid replaces the kept block. (Blocks are written whole, so
// that the address sanitizer sees their bounds.)
TEST(GridStorage, KeepsOneBlockForGridAfterGridAndLendsAnotherWhileItIsHeld) {
    std::byte* kept = nullptr;
    {
        const GridStorage first(4096), meanwhile(4096);
        ASSERT_TRUE(first && meanwhile);
        EXPECT_NE(meanwhile.data(), first.data());
        std::memset(first.data(), 1, 4096);
        std::memset(meanwhile.data(), 1, 4096);
        kept = first.data();
    }
    EXPECT_EQ(GridStorage(100).data(), kept);
    constexpr std::size_t larger = std::size_t{64} << 20;  // more than any grid of the tests
    {
        const GridStorage grown(larger);
        ASSERT_TRUE(grown);
        std::memset(grown.data(), 2, larger);
        kept = grown.data();
    }
    EXPECT_EQ(GridStorage(4096).data(), kept);
}

}  // namespace
}  // namespace kelvaro
