#include <gtest/gtest.h>

#include <cstdlib>
#include <string>
#include <utility>

#include "model/keyword_table.h"

namespace kelvaro {
namespace {

TEST(KeywordTable, HashesTheKeywordsIntoTheirBuckets) {
    const std::pair<const char*, int> expected[] = {
        {"POINT", 109}, {"AT", 117},  {"ON", 104},     {"OFF", 119},  {"BOX", 110},
        {"AXES", 111},  {"MODEL", 114}, {"BOUNDS", 110}, {"FROM", 118}, {"TO", 100},
    };
    for (const auto& [name, bucket] : expected) EXPECT_EQ(KeywordTable::hashName(name), bucket) << name;
}

TEST(KeywordTable, HashesEveryByteIntoRange) {
    std::string name;
    for (int c = 1; c < 256; ++c) {
        name += static_cast<char>(c);
        const int bucket = KeywordTable::hashName(name);
        EXPECT_TRUE(bucket >= 0 && bucket < KeywordTable::bucketCount) << c;
    }
}

TEST(KeywordTable, FindsBothKeywordsOfASharedBucket) {
    BlockPool pool;
    KeywordTable table(pool);
    table.fillKeywords();
    EXPECT_EQ(table.count(), 10);
    ASSERT_NE(table.findKeyword("BOX"), nullptr);
    ASSERT_NE(table.findKeyword("BOUNDS"), nullptr);
    EXPECT_EQ(table.findKeyword("BOX")->code, Keyword::Box);
    EXPECT_EQ(table.findKeyword("BOUNDS")->code, Keyword::Bounds);
    // BOUNDS was added after BOX, so it heads the chain of bucket 110.
    EXPECT_EQ(std::string(table.bucket(110)->name), "BOUNDS");
    EXPECT_EQ(std::string(table.bucket(110)->next->name), "BOX");
    EXPECT_EQ(table.bucket(110)->next->next, nullptr);
}

TEST(KeywordTable, MatchesNamesExactly) {
    BlockPool pool;
    KeywordTable table(pool);
    table.fillKeywords();
    EXPECT_EQ(table.findKeyword("point"), nullptr);
    EXPECT_EQ(table.findKeyword("POIN"), nullptr);
    EXPECT_EQ(table.findKeyword("POINTS"), nullptr);
    EXPECT_EQ(table.findKeyword(""), nullptr);
    EXPECT_EQ(table.findKeyword("AT")->code, Keyword::At);
}

TEST(KeywordTable, FindsTheEntryAddedLastFirst) {
    BlockPool pool;
    KeywordTable table(pool);
    table.addKeyword("ON", Keyword::On);
    table.addKeyword("ON", Keyword::Off);
    EXPECT_EQ(table.findKeyword("ON")->code, Keyword::Off);
    EXPECT_EQ(table.count(), 2);
}

TEST(KeywordTable, KeepsFifteenCharactersOfAName) {
    BlockPool pool;
    KeywordTable table(pool);
    table.addKeyword("ABCDEFGHIJKLMNOPQ", Keyword::Model);
    const KeywordEntry* entry = table.bucket(KeywordTable::hashName("ABCDEFGHIJKLMNOPQ"));
    ASSERT_NE(entry, nullptr);
    EXPECT_EQ(std::string(entry->name), "ABCDEFGHIJKLMNO");
    EXPECT_EQ(entry->nameLength, 17);
}

TEST(KeywordTable, ReturnsEntriesToItsPool) {
    BlockPool pool;
    {
        KeywordTable table(pool);
        table.fillKeywords();
        table.clear();
        EXPECT_EQ(table.count(), 0);
        EXPECT_EQ(table.findKeyword("POINT"), nullptr);
        table.fillKeywords();  // reuses the returned blocks
        EXPECT_EQ(table.findKeyword("POINT")->code, Keyword::Point);
    }
    EXPECT_EQ(pool.chunkCount(), 1);
}

int chunksGranted = 0;
// A chunk source that grants one chunk and then has no more memory.
void* oneChunkOnly(std::size_t bytes) { return chunksGranted++ == 0 ? std::malloc(bytes) : nullptr; }

TEST(KeywordTable, EmptiesItselfWhenFillingRunsOutOfMemory) {
    chunksGranted = 0;
    BlockPool pool(&oneChunkOnly);
    // Take all but five blocks of the class, so the fill runs out part way.
    for (int i = 0; i < BlockPool::blocksPerChunk(4) - 5; ++i) pool.allocateBlock(sizeof(KeywordEntry));
    KeywordTable table(pool);
    EXPECT_THROW(table.fillKeywords(), int);
    EXPECT_EQ(table.count(), 0);
    // The five entries made before the failure went back to the pool.
    for (int i = 0; i < 5; ++i) EXPECT_NO_THROW(pool.allocateBlock(sizeof(KeywordEntry)));
    EXPECT_THROW(pool.allocateBlock(sizeof(KeywordEntry)), int);
}

}  // namespace
}  // namespace kelvaro
