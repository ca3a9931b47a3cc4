#include "model/block_pool.h"

#include <cstdlib>
#include <new>

#include "model/read_errors.h"

namespace kelvaro {
namespace {

void* mallocChunk(std::size_t bytes) { return std::malloc(bytes); }

}  // namespace

BlockPool::BlockPool(ChunkSource source) : source_(source ? source : &mallocChunk) {}

BlockPool::~BlockPool() {
    while (chunks_) {
        ChunkHeader* next = chunks_->next;
        std::free(chunks_);
        chunks_ = next;
    }
}

int BlockPool::classOf(std::size_t size) {
    const std::size_t rounded = size == 0 ? granule : (size + granule - 1) / granule * granule;
    return static_cast<int>(rounded / granule);
}

void* BlockPool::allocateBlock(std::size_t size) {
    const int k = classOf(size);
    // No class holds blocks this large, so no memory can be found for one.
    if (k > classCount) failRead(ReadError::OutOfMemory);
    SizeClass& sizeClass = classes_[k - 1];
    if (sizeClass.freeList) {
        FreeBlock* block = sizeClass.freeList;
        sizeClass.freeList = block->next;
        return block;
    }
    const std::size_t blockSize = static_cast<std::size_t>(k) * granule;
    if (static_cast<std::size_t>(sizeClass.end - sizeClass.next) < blockSize) {
        // What is left of the current chunk is abandoned; it is freed with the pool.
        const std::size_t chunkBytes = static_cast<std::size_t>(blocksPerChunk(k)) * blockSize;
        void* memory = source_(sizeof(ChunkHeader) + chunkBytes);
        if (!memory) failRead(ReadError::OutOfMemory);
        auto* header = static_cast<ChunkHeader*>(memory);
        header->next = chunks_;
        chunks_ = header;
        ++chunkCount_;
        sizeClass.next = reinterpret_cast<std::byte*>(header + 1);
        sizeClass.end = sizeClass.next + chunkBytes;
    }
    void* block = sizeClass.next;
    sizeClass.next += blockSize;
    return block;
}

void BlockPool::releaseBlock(void* block, std::size_t size) {
    SizeClass& sizeClass = classes_[classOf(size) - 1];
    sizeClass.freeList = new (block) FreeBlock{sizeClass.freeList};
}

}  // namespace kelvaro
