#pragma once
// The storage of potential grids: a surface's grid needs some 29 MB, its samples first and
// then its node, edge and cell objects, which are constructed only when asked for (a
// surface's own work writes the samples alone). Memory fresh from the system costs a page
// fault per page on first touch, and the C library hands a large freed block straight back
// to the system, so every grid would meet fresh pages. Instead the process keeps one block,
// handed to one grid after another and freed at exit, and asks for it in large pages where
// the system offers them (fewer faults when it is first touched).

#include <cstddef>

namespace kelvaro {

// A block of storage for one grid's objects, aligned for any of them: the process's kept
// block when no other grid holds it (grown first when too small; it then replaces the kept
// one, so that the process never keeps more than one grid needs), otherwise a block of its
// own, freed with the lease. Safe to use from any thread.
class GridStorage {
public:
    // At least `bytes`; empty when memory runs out.
    explicit GridStorage(std::size_t bytes);
    // Gives the block back: the kept block stays for the next grid.
    ~GridStorage();
    GridStorage(const GridStorage&) = delete;
    GridStorage& operator=(const GridStorage&) = delete;

    std::byte* data() const { return data_; }
    explicit operator bool() const { return data_ != nullptr; }

private:
    std::byte* data_ = nullptr;
};

}  // namespace kelvaro
