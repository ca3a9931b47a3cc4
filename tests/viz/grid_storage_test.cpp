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
        const GridStorage first(4096);
        ASSERT_TRUE(first);
        kept = first.data();
        std::memset(first.data(), 1, 4096);
        const GridStorage meanwhile(4096);
        ASSERT_TRUE(meanwhile);
        EXPECT_NE(meanwhile.data(), kept);
        std::memset(meanwhile.data(), 1, 4096);
    }
    {
        const GridStorage again(100);
        EXPECT_EQ(again.data(), kept);
    }
    constexpr std::size_t larger = std::size_t{64} << 20;  // more than any grid of the tests
    {
        const GridStorage grown(larger);
        ASSERT_TRUE(grown);
        std::memset(grown.data(), 2, larger);
        kept = grown.data();
    }
    const GridStorage next(4096);
    EXPECT_EQ(next.data(), kept);
}

}  // namespace
}  // namespace kelvaro
