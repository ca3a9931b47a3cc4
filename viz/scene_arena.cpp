#include "viz/scene_arena.h"

#include <algorithm>
#include <vector>

#if defined(__SANITIZE_ADDRESS__)
#include <sanitizer/asan_interface.h>
#define KELVARO_ARENA_POISON(address, size) ASAN_POISON_MEMORY_REGION(address, size)
#define KELVARO_ARENA_UNPOISON(address, size) ASAN_UNPOISON_MEMORY_REGION(address, size)
#else
#define KELVARO_ARENA_POISON(address, size) ((void)(address), (void)(size))
#define KELVARO_ARENA_UNPOISON(address, size) ((void)(address), (void)(size))
#endif

namespace kelvaro {
namespace arena_detail {

class Blocks {
public:
    explicit Blocks(std::size_t firstBytes) : nextBytes_(std::max<std::size_t>(firstBytes, minimumBytes)) {}

    ~Blocks() {
        for (const Block& block : blocks_) {
            KELVARO_ARENA_UNPOISON(block.start, block.bytes);
            ::operator delete(block.start);
        }
    }

    // A slot of `bytes` holding this object's address first; null when no block can be had.
    std::byte* slot(std::size_t bytes) {
        if (static_cast<std::size_t>(end_ - free_) < bytes) {
            const std::size_t size = std::max(nextBytes_, bytes);
            auto* start = static_cast<std::byte*>(::operator new(size, std::nothrow));
            if (start == nullptr) return nullptr;
            try {
                blocks_.push_back({start, size});
            } catch (const std::bad_alloc&) {
                ::operator delete(start);
                return nullptr;
            }
            free_ = start;
            end_ = start + size;
            nextBytes_ = 2 * size;
        }
        std::byte* taken = free_;
        free_ += bytes;
        *new (taken) Blocks* = this;
        return taken;
    }

    void hold() { ++holds_; }

    // Drops one hold; the last one frees every block, and this.
    void drop() {
        if (--holds_ == 0) delete this;
    }

private:
    static constexpr std::size_t minimumBytes = 4096;

    struct Block {
        std::byte* start;
        std::size_t bytes;
    };
    std::vector<Block> blocks_;
    std::byte* free_ = nullptr;
    std::byte* end_ = nullptr;
    std::size_t nextBytes_;
    long holds_ = 1;  // the handle's
};

void giveBack(void* object, std::size_t bytes) noexcept {
    std::byte* slot = static_cast<std::byte*>(object) - sizeof(Blocks*);
    Blocks* blocks = *std::launder(reinterpret_cast<Blocks**>(slot));
    // The address sanitizer then reports any later use of the destroyed object.
    KELVARO_ARENA_POISON(object, bytes);
    blocks->drop();
}

}  // namespace arena_detail

SceneArena::SceneArena(std::size_t expectedBytes) : blocks_(new arena_detail::Blocks(expectedBytes)) {}

SceneArena::~SceneArena() { blocks_->drop(); }

void* SceneArena::slotFor(std::size_t objectSize) {
    std::byte* slot = blocks_->slot(slotBytes(objectSize));
    return slot == nullptr ? nullptr : slot + sizeof(void*);
}

void SceneArena::countObject() { blocks_->hold(); }

}  // namespace kelvaro
