#pragma once
// Scene objects made in a few large blocks that a builder shares out, instead of one heap
// allocation each: the 100000 lines of a hedgehog and their attribute sets take a handful
// of blocks rather than 200000 allocations, and are freed as few blocks rather than 200000
// frees. An object made here keeps the scene's contract: it holds its creation reference,
// is retained and released like any other, may be released in any order and may outlive
// the builder and its arena handle. The blocks are freed together once the handle is gone
// and the last of their objects has been released: kept by the process for the next arenas
// (up to 32 MB), so that a request meets pages it has touched before.
//
// Like the objects' own reference counts, an arena is used by one thread at a time: the
// builders make scene objects on the calling thread only.

#include <cstddef>
#include <new>
#include <utility>

#include "scene/scene_object.h"

namespace kelvaro {

namespace arena_detail {

// What an arena's objects share: the blocks' addresses, and how many objects were made and
// have been destroyed, so that the last to go frees the blocks.
class Blocks;

// A scene class made in an arena: the same object, whose memory goes back to its arena's
// blocks when it is destroyed (through release(), as every scene object is).
template <class Base>
class ArenaObject final : public Base {
public:
    using Base::Base;

    static void* operator new(std::size_t, void* place) noexcept { return place; }
    static void* operator new(std::size_t) = delete;
    // After the destructor: hands the memory back to the blocks it came from.
    static void operator delete(void* object, std::size_t bytes) noexcept;
    // Only when a constructor throws: the slot stays unused in its block.
    static void operator delete(void*, void*) noexcept {}

private:
    // Destroyed only through release(), as every scene object is.
    ~ArenaObject() override = default;
};

// Hands back the `bytes` of a destroyed object at `object`, made by an arena: the blocks go
// once nothing holds them.
void giveBack(void* object, std::size_t bytes) noexcept;

template <class Base>
void ArenaObject<Base>::operator delete(void* object, std::size_t bytes) noexcept {
    giveBack(object, bytes);
}

}  // namespace arena_detail

class SceneArena {
public:
    // An arena whose first block has room for about `expectedBytes` of objects (objectBytes
    // tells what an object takes); each later block is twice as large as the one before.
    explicit SceneArena(std::size_t expectedBytes);
    // Gives up this handle's hold on the blocks; the objects made here live on.
    ~SceneArena();
    SceneArena(const SceneArena&) = delete;
    SceneArena& operator=(const SceneArena&) = delete;

    // A new T made in the arena (one reference, the caller's); empty when memory runs out, for
    // the object's block or for storage its constructor allocates, as create<T> answers.
    template <class T, class... Arguments>
    Ref<T> make(Arguments&&... arguments) {
        using Made = arena_detail::ArenaObject<T>;
        static_assert(alignof(Made) <= slotAlignment, "arena slots are aligned for pointers and floats only");
        void* place = slotFor(sizeof(Made));
        if (place == nullptr) return {};
        try {
            Made* object = new (place) Made(std::forward<Arguments>(arguments)...);
            ++made_;
            return Ref<T>::adopt(object);
        } catch (const std::bad_alloc&) {
            return {};
        }
    }

    // The bytes an object of class T takes in an arena, for sizing its first block.
    template <class T>
    static constexpr std::size_t objectBytes() {
        return slotBytes(sizeof(arena_detail::ArenaObject<T>));
    }

private:
    static constexpr std::size_t slotAlignment = alignof(void*);
    // A slot: the address of its blocks' shared part, then the object, rounded up for the next slot.
    static constexpr std::size_t slotBytes(std::size_t objectSize) {
        return (sizeof(void*) + objectSize + slotAlignment - 1) / slotAlignment * slotAlignment;
    }

    // The object's place in a new slot; null when no block can be had.
    void* slotFor(std::size_t objectSize) {
        const std::size_t bytes = slotBytes(objectSize);
        if (static_cast<std::size_t>(end_ - free_) < bytes && !addBlock(bytes)) return nullptr;
        std::byte* slot = free_;
        free_ += bytes;
        *new (slot) arena_detail::Blocks* = blocks_;
        return slot + sizeof(void*);
    }
    // Starts a block with room for at least `bytes`; false when memory runs out.
    bool addBlock(std::size_t bytes);

    arena_detail::Blocks* blocks_;
    std::byte* free_ = nullptr;  // the room left in the last block
    std::byte* end_ = nullptr;
    std::size_t nextBlockBytes_;
    long made_ = 0;
};

}  // namespace kelvaro
