#include "viz/scene_arena.h"

#include <algorithm>
#include <iterator>
#include <mutex>
#include <optional>
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

struct Block {
    std::byte* start;
    std::size_t bytes;
};

// Blocks of arenas whose objects have all gone, kept for the next arenas up to a bound:
// memory fresh from the system costs a page fault per page on first touch, and a request
// that makes 100000 objects would otherwise meet fresh pages every time. Safe to use from
// any thread (builders may run on several at once).
class KeptBlocks {
public:
    // The kept block of at least `bytes` kept last (its pages the likeliest to be in the
    // caches), or a new one; none when memory runs out.
    std::optional<Block> take(std::size_t bytes) {
        {
            const std::lock_guard lock(mutex_);
            for (auto block = kept_.rbegin(); block != kept_.rend(); ++block) {
                if (block->bytes < bytes) continue;
                const Block taken = *block;
                kept_.erase(std::next(block).base());
                keptBytes_ -= taken.bytes;
                KELVARO_ARENA_UNPOISON(taken.start, taken.bytes);
                return taken;
            }
        }
        auto* start = static_cast<std::byte*>(::operator new(bytes, std::nothrow));
        if (start == nullptr) return std::nullopt;
        return Block{start, bytes};
    }

    // Keeps `block` while the bound allows, otherwise frees it.
    void giveBack(const Block& block) noexcept {
        {
            const std::lock_guard lock(mutex_);
            if (keptBytes_ + block.bytes <= maxKeptBytes && kept_.size() < kept_.capacity()) {
                // The address sanitizer reports any use of a destroyed object in a kept block.
                KELVARO_ARENA_POISON(block.start, block.bytes);
                kept_.push_back(block);
                keptBytes_ += block.bytes;
                return;
            }
        }
        ::operator delete(block.start);
    }

private:
    // A hedgehog of 100000 lines takes 12 MB.
    static constexpr std::size_t maxKeptBytes = std::size_t{32} << 20;
    static constexpr std::size_t maxKeptBlocks = 64;

    std::mutex mutex_;
    std::vector<Block> kept_ = [] {
        std::vector<Block> room;
        room.reserve(maxKeptBlocks);  // so that keeping a block never allocates
        return room;
    }();
    std::size_t keptBytes_ = 0;
};

// Never destroyed: objects of scenes that the process releases at its very end may give
// their blocks back after every static object has gone.
KeptBlocks& keptBlocks() {
    static KeptBlocks* const kept = new KeptBlocks;
    return *kept;
}

class Blocks {
public:
    ~Blocks() {
        for (const Block& block : blocks_) keptBlocks().giveBack(block);
    }

    // A block of at least `bytes`; none when memory runs out.
    std::optional<Block> add(std::size_t bytes) {
        const std::optional<Block> block = keptBlocks().take(bytes);
        if (!block) return std::nullopt;
        try {
            blocks_.push_back(*block);
        } catch (const std::bad_alloc&) {
            keptBlocks().giveBack(*block);
            return std::nullopt;
        }
        return block;
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
    const std::optional<arena_detail::Block> block = blocks_->add(std::max(nextBlockBytes_, bytes));
    if (!block) return false;
    free_ = block->start;
    end_ = block->start + block->bytes;
    nextBlockBytes_ = 2 * std::max(nextBlockBytes_, bytes);
    return true;
}

}  // namespace kelvaro
