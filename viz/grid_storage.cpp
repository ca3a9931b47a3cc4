#include "viz/grid_storage.h"

#include <sys/mman.h>

#include <mutex>
#include <new>

namespace kelvaro {
namespace {

// The size and alignment of a large page on x86-64 (transparent huge pages).
constexpr std::size_t largePage = std::size_t{2} << 20;

// A block aligned to a large page, whose whole large pages are marked for the system to back
// with large pages (advice only: where it has none, the block has small ones).
std::byte* allocate(std::size_t bytes) {
    void* block = ::operator new(bytes, std::align_val_t{largePage}, std::nothrow);
    // Only whole large pages: a partly used one would make the process hold up to 2 MB more.
    if (block != nullptr && bytes >= largePage) madvise(block, bytes / largePage * largePage, MADV_HUGEPAGE);
    return static_cast<std::byte*>(block);
}

void release(std::byte* block) { ::operator delete(block, std::align_val_t{largePage}); }

// The one block the process keeps, lent to one grid at a time.
class KeptBlock {
public:
    ~KeptBlock() {
        if (!lent_) release(block_);
    }

    std::byte* lend(std::size_t bytes) {
        const std::lock_guard lock(mutex_);
        if (lent_) return allocate(bytes);
        if (bytes > size_) {
            // Freed before the larger one is made: the process never holds both.
            release(block_);
            size_ = 0;
            block_ = allocate(bytes);
            if (block_ == nullptr) return nullptr;
            size_ = bytes;
        }
        lent_ = true;
        return block_;
    }

    void giveBack(std::byte* block) {
        const std::lock_guard lock(mutex_);
        if (block == block_) {
            lent_ = false;
        } else {
            release(block);
        }
    }

private:
    std::mutex mutex_;
    std::byte* block_ = nullptr;
    std::size_t size_ = 0;
    bool lent_ = false;
};

KeptBlock& keptBlock() {
    static KeptBlock kept;
    return kept;
}

}  // namespace

GridStorage::GridStorage(std::size_t bytes) : data_(keptBlock().lend(bytes)) {}

GridStorage::~GridStorage() {
    if (data_ != nullptr) keptBlock().giveBack(data_);
}

}  // namespace kelvaro
