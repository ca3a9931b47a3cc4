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
    ~Blocks() {
        for (const Block& block : blocks_) {
            KELVARO_ARENA_UNPOISON(block.start, block.bytes);
            ::operator delete(block.start);
        }
    }

    // A new block of `bytes`; null when memory runs out.
    std::byte* add(std::size_t bytes) {
        auto* start = static_cast<std::byte*>(::operator new(bytes, std::nothrow));
        if (start == nullptr) return nullptr;
        try {
            blocks_.push_back({start, bytes});
        } catch (const std::bad_alloc&) {
            ::operator delete(start);
            return nullptr;
        }
        return start;
    }

    // The handle goes, having made `made` objects: the blocks go with the last of them.
    void closeHandle(long made) {
        made_ = made;
        open_ = false;
        freeWhenDone();
    }

    // One object has been destroyed.
    void giveBack() {
        ++givenBack_;
        freeWhenDone();
    }

private:
    void freeWhenDone() {
        if (!open_ && givenBack_ == made_) delete this;
    }

    struct Block {
        std::byte* start;
        std::size_t bytes;
    };
    std::vector<Block> blocks_;
    bool open_ = true;  // the handle still makes objects
    long made_ = 0;     // known once the handle has gone
    long givenBack_ = 0;
};

void giveBack(void* object, std::size_t bytes) noexcept {
    std::byte* slot = static_cast<std::byte*>(object) - sizeof(Blocks*);
    Blocks* blocks = *std::launder(reinterpret_cast<Blocks**>(slot));
    // The address sanitizer then reports any later use of the destroyed object.
    KELVARO_ARENA_POISON(object, bytes);
    blocks->giveBack();
}

}  // namespace arena_detail

namespace {

// The smallest block: a few dozen objects.
constexpr std::size_t minimumBlockBytes = 4096;

}  // namespace

SceneArena::SceneArena(std::size_t expectedBytes)
    : blocks_(new arena_detail::Blocks), nextBlockBytes_(std::max(expectedBytes, minimumBlockBytes)) {}

SceneArena::~SceneArena() { blocks_->closeHandle(made_); }

bool SceneArena::addBlock(std::size_t bytes) {
    const std::size_t size = std::max(nextBlockBytes_, bytes);
    std::byte* start = blocks_->add(size);
    if (start == nullptr) return false;
    free_ = start;
    end_ = start + size;
    nextBlockBytes_ = 2 * size;
    return true;
}

}  // namespace kelvaro
