#pragma once
// BlockPool: a small-block allocator with 32 size classes (8, 16, ..., 256 bytes). Each
// class hands out blocks from a free list of returned blocks first (last returned, first
// taken), otherwise from its current chunk of 256 / k blocks (k = 1 .. 32). Chunks are
// kept until the pool is destroyed; the keyword table draws its entries from one.

#include <cstddef>

namespace kelvaro {

class BlockPool {
public:
    static constexpr int classCount = 32;
    static constexpr std::size_t granule = 8;
    static constexpr std::size_t largestBlock = classCount * granule;

    // Where chunks come from: answers memory that std::free can release, or null.
    using ChunkSource = void* (*)(std::size_t bytes);

    // An empty pool; `source` (default: std::malloc) provides the chunks. Tests pass a
    // source that fails in order to exercise the out-of-memory path.
    explicit BlockPool(ChunkSource source = nullptr);
    // Frees every chunk; blocks still handed out become invalid.
    ~BlockPool();
    BlockPool(const BlockPool&) = delete;
    BlockPool& operator=(const BlockPool&) = delete;

    // A block of at least `size` bytes (0 counts as 8), aligned to 8 bytes, owned by the
    // caller until it is released. Raises ReadError::OutOfMemory (48000) when a needed
    // chunk cannot be obtained or `size` is above 256; the pool is unchanged then.
    void* allocateBlock(std::size_t size);
    // Returns a block taken with allocateBlock(size) to its class's free list.
    void releaseBlock(void* block, std::size_t size);

    // Blocks per chunk of class k (1 .. 32): 256 / k.
    static int blocksPerChunk(int sizeClass) { return 256 / sizeClass; }
    // Chunks obtained so far.
    int chunkCount() const { return chunkCount_; }

private:
    struct FreeBlock {
        FreeBlock* next;
    };
    // Every chunk starts with this header, which links it into the list freed at the end.
    struct alignas(alignof(std::max_align_t)) ChunkHeader {
        ChunkHeader* next;
    };
    struct SizeClass {
        FreeBlock* freeList = nullptr;
        std::byte* next = nullptr;
        std::byte* end = nullptr;
    };

    static int classOf(std::size_t size);

    SizeClass classes_[classCount];
    ChunkHeader* chunks_ = nullptr;
    int chunkCount_ = 0;
    ChunkSource source_;
};

}  // namespace kelvaro
