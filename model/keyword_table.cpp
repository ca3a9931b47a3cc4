#include "model/keyword_table.h"

#include <algorithm>
#include <new>
#include <utility>

namespace kelvaro {
namespace {

// The process-wide pair; the members are destroyed in reverse order, so the table returns
// its entries to the pool before the pool frees its chunks.
struct ReaderTables {
    BlockPool pool;
    KeywordTable keywords{pool};
};

KeywordTable* installedTable = nullptr;

}  // namespace

int KeywordTable::hashName(std::string_view name) {
    auto h = static_cast<std::int16_t>(3 * name.size());
    for (const char character : name) {
        const int c = static_cast<unsigned char>(character);
        h = static_cast<std::int16_t>((h >> 1) ^ c);
    }
    // The mathematical modulo, also for a negative h (possible only with bytes above 127).
    return h & 0xFF;
}

void KeywordTable::addKeyword(std::string_view name, Keyword code) {
    void* block = pool_.allocateBlock(sizeof(KeywordEntry));
    const int bucketIndex = hashName(name);
    auto* entry = new (block) KeywordEntry{buckets_[bucketIndex], {}, static_cast<std::int16_t>(name.size()), code};
    const std::size_t kept = std::min<std::size_t>(name.size(), KeywordEntry::maxNameLength);
    std::copy_n(name.data(), kept, entry->name);
    entry->name[kept] = '\0';
    buckets_[bucketIndex] = entry;
    ++count_;
}

const KeywordEntry* KeywordTable::findKeyword(std::string_view name) const {
    for (const KeywordEntry* entry = buckets_[hashName(name)]; entry; entry = entry->next) {
        if (std::string_view(entry->name) == name) return entry;
    }
    return nullptr;
}

void KeywordTable::fillKeywords() {
    static constexpr std::pair<std::string_view, Keyword> keywords[] = {
        {"POINT", Keyword::Point}, {"AT", Keyword::At},     {"ON", Keyword::On},         {"OFF", Keyword::Off},
        {"BOX", Keyword::Box},     {"AXES", Keyword::Axes}, {"MODEL", Keyword::Model},   {"BOUNDS", Keyword::Bounds},
        {"FROM", Keyword::From},   {"TO", Keyword::To},
    };
    try {
        for (const auto& [name, code] : keywords) addKeyword(name, code);
    } catch (int) {
        clear();
        throw;
    }
}

void KeywordTable::clear() {
    for (KeywordEntry*& head : buckets_) {
        while (head) {
            KeywordEntry* entry = head;
            head = entry->next;
            entry->~KeywordEntry();
            pool_.releaseBlock(entry, sizeof(KeywordEntry));
        }
    }
    count_ = 0;
}

KeywordTable& KeywordTable::processTable() {
    if (installedTable) return *installedTable;
    static ReaderTables tables;
    return tables.keywords;
}

KeywordTable* KeywordTable::replaceProcessTable(KeywordTable* replacement) {
    return std::exchange(installedTable, replacement);
}

}  // namespace kelvaro
