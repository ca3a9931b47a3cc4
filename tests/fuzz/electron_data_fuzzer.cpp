// libFuzzer target for the reader of the seed-direction file: the input is the whole file.
// Every count the dialog allows is read, and the count the file claims if it is small; a
// set is answered only when the file really holds all of it where its table entry points.

#include <bit>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstring>

#include "viz/seed_directions.h"

namespace {

void require(bool condition) {
    if (!condition) __builtin_trap();
}

std::int32_t wordAt(const std::uint8_t* data, std::size_t offset) {
    std::uint32_t word = 0;
    for (int b = 3; b >= 0; --b) word = word << 8 | data[offset + static_cast<std::size_t>(b)];
    return static_cast<std::int32_t>(word);
}

// When `count` directions were answered: the table says the file holds them, and each
// direction is bit for bit the stored one.
void checkAnswer(const std::uint8_t* data, std::size_t size, int count, const kelvaro::Vector3* directions) {
    if (directions == nullptr) return;
    require(size >= 4 * static_cast<std::size_t>(count) + 4);
    require(wordAt(data, 0) >= count);
    const std::int32_t offset = wordAt(data, 4 * static_cast<std::size_t>(count));
    require(offset > 0 && static_cast<std::size_t>(offset) + 12 * static_cast<std::size_t>(count) <= size);
    for (int i = 0; i < count; ++i) {
        const std::size_t at = static_cast<std::size_t>(offset) + 12 * static_cast<std::size_t>(i);
        const float stored[3] = {std::bit_cast<float>(wordAt(data, at)), std::bit_cast<float>(wordAt(data, at + 4)),
                                 std::bit_cast<float>(wordAt(data, at + 8))};
        require(std::memcmp(stored, &directions[i], sizeof stored) == 0);
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size == 0) return 0;  // fmemopen refuses an empty buffer
    std::FILE* file = fmemopen(const_cast<std::uint8_t*>(data), size, "rb");
    if (!file) return 0;
    const std::int32_t claimed = size >= 4 ? wordAt(data, 0) : 0;
    for (int count = -1; count <= 100; ++count) {
        checkAnswer(data, size, count, kelvaro::readSeedDirections(file, count).get());
    }
    if (claimed > 100 && claimed <= 4096) {
        checkAnswer(data, size, claimed, kelvaro::readSeedDirections(file, claimed).get());
    }
    std::fclose(file);
    return 0;
}
