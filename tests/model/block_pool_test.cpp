#include <gtest/gtest.h>

#include <cstdint>
#include <cstdlib>

#include "model/block_pool.h"
#include "model/read_errors.h"

namespace kelvaro {
namespace {

TEST(BlockPool, HandsOutDistinctAlignedBlocksAndNewChunksWhenFull) {
    BlockPool pool;
    std::uintptr_t previous = 0;
    for (int i = 0; i < 64; ++i) {
        const auto address = reinterpret_cast<std::uintptr_t>(pool.allocateBlock(32));
        EXPECT_EQ(address % 8, 0u);
        // Blocks of one chunk follow each other 32 bytes apart.
        if (i > 0) {
            EXPECT_EQ(address, previous + 32);
        }
        previous = address;
    }
    EXPECT_EQ(pool.chunkCount(), 1);
    pool.allocateBlock(32);
    EXPECT_EQ(pool.chunkCount(), 2);
}

TEST(BlockPool, RoundsSizesUpToTheirClass) {
    BlockPool pool;
    void* small = pool.allocateBlock(1);
    pool.releaseBlock(small, 1);
    EXPECT_EQ(pool.allocateBlock(8), small);  // 1 and 8 share the 8-byte class
    void* nine = pool.allocateBlock(9);
    pool.releaseBlock(nine, 16);
    EXPECT_EQ(pool.allocateBlock(16), nine);
    EXPECT_EQ(pool.chunkCount(), 2);
}

TEST(BlockPool, ReusesTheLastReturnedBlockFirst) {
    BlockPool pool;
    void* first = pool.allocateBlock(24);
    void* second = pool.allocateBlock(24);
    pool.releaseBlock(first, 24);
    pool.releaseBlock(second, 24);
    EXPECT_EQ(pool.allocateBlock(24), second);
    EXPECT_EQ(pool.allocateBlock(24), first);
    EXPECT_NE(pool.allocateBlock(24), first);
}

void* noMemory(std::size_t) { return nullptr; }

TEST(BlockPool, RaisesOutOfMemoryWhenNoChunkComes) {
    BlockPool pool(&noMemory);
    try {
        pool.allocateBlock(32);
        FAIL() << "no error raised";
    } catch (int code) {
        EXPECT_EQ(code, static_cast<int>(ReadError::OutOfMemory));
    }
    EXPECT_EQ(pool.chunkCount(), 0);
}

TEST(BlockPool, RefusesBlocksLargerThanItsLargestClass) {
    BlockPool pool;
    EXPECT_NE(pool.allocateBlock(256), nullptr);
    EXPECT_THROW(pool.allocateBlock(257), int);
}

}  // namespace
}  // namespace kelvaro
