#pragma once
// KeywordTable: the hash table of the model file's keywords. 256 buckets, each a chain of
// entries with the entry added last at its head. Entries come from a BlockPool and go back
// to it when the table is emptied (at the latest when it is destroyed).

#include <cstdint>
#include <string_view>

#include "model/block_pool.h"

namespace kelvaro {

// The keyword codes that the table stores and the statement reader tests.
enum class Keyword : std::int16_t {
    Bounds = 1,
    Model = 2,
    From = 3,
    To = 4,
    Box = 5,
    On = 6,
    Off = 7,
    Axes = 8,
    Point = 9,
    At = 10,
};

struct KeywordEntry {
    static constexpr int maxNameLength = 15;

    KeywordEntry* next;
    char name[maxNameLength + 1];  // the first 15 characters of the name, terminated
    std::int16_t nameLength;       // the length of the full name
    Keyword code;
};
// 32 bytes with 8-byte pointers, 24 with the 4-byte ones of WebAssembly.
static_assert(sizeof(KeywordEntry) <= 32, "a keyword entry fits in one 32-byte block");

class KeywordTable {
public:
    static constexpr int bucketCount = 256;

    // An empty table whose entries will come from `pool`, which must outlive it.
    explicit KeywordTable(BlockPool& pool) : pool_(pool) {}
    // Returns every entry to the pool.
    ~KeywordTable() { clear(); }
    KeywordTable(const KeywordTable&) = delete;
    KeywordTable& operator=(const KeywordTable&) = delete;

    // The bucket of `name`, 0..255: h = 3 * length, then h = (h >> 1) ^ c for every
    // character, all in 16-bit signed arithmetic; the bucket is h modulo 256.
    static int hashName(std::string_view name);

    // Adds `name` (its first 15 characters are kept) at the head of its bucket's chain.
    // Raises ReadError::OutOfMemory (48000) when the pool has no memory; the table is
    // unchanged then.
    void addKeyword(std::string_view name, Keyword code);
    // The most recently added entry whose stored name equals `name` exactly (case
    // matters), or null. A name longer than 15 characters is never found.
    const KeywordEntry* findKeyword(std::string_view name) const;
    // Adds the ten keywords of the model file. When the pool fails part way, the table is
    // emptied again before the error goes on, so that a later read fills it afresh.
    void fillKeywords();
    // Returns every entry to the pool; the table is empty afterwards.
    void clear();

    int count() const { return count_; }
    // The head of a bucket's chain (null when the bucket is empty).
    const KeywordEntry* bucket(int index) const { return buckets_[index]; }

    // The table the model reader uses: the process-wide one, whose entries come from the
    // process-wide BlockPool. At process exit the table is emptied into the pool first and
    // then the pool frees its chunks.
    static KeywordTable& processTable();
    // Makes processTable() answer `replacement` (null restores the process-wide table) and
    // answers the previous replacement. For tests that need a table with a pool of their own.
    static KeywordTable* replaceProcessTable(KeywordTable* replacement);

private:
    BlockPool& pool_;
    KeywordEntry* buckets_[bucketCount] = {};
    int count_ = 0;
};

}  // namespace kelvaro
