#include "viz/seed_directions.h"

#include <cerrno>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <new>

#include "common/bit_cast.h"

namespace kelvaro {
namespace {

// Closes the file when the read ends, whichever way it ends.
struct FileCloser {
    void operator()(std::FILE* file) const { std::fclose(file); }
};
using File = std::unique_ptr<std::FILE, FileCloser>;

std::uint32_t littleEndianWord(const unsigned char* bytes) {
    return static_cast<std::uint32_t>(bytes[0]) | static_cast<std::uint32_t>(bytes[1]) << 8 |
           static_cast<std::uint32_t>(bytes[2]) << 16 | static_cast<std::uint32_t>(bytes[3]) << 24;
}

// The signed 32-bit value at `offset`; 0 when the file ends before its four bytes.
std::int32_t readInt32At(std::FILE* file, long offset) {
    unsigned char bytes[4] = {};
    if (std::fseek(file, offset, SEEK_SET) != 0 || std::fread(bytes, 1, 4, file) != 4) return 0;
    return static_cast<std::int32_t>(littleEndianWord(bytes));
}

}  // namespace

std::unique_ptr<Vector3[]> readSeedDirections(int count) {
    const File file(std::fopen(seedFileName, "rb"));
    if (!file) return nullptr;
    return readSeedDirections(file.get(), count);
}

std::unique_ptr<Vector3[]> readSeedDirections(std::FILE* file, int count) {
    if (count < 1) return nullptr;
    std::unique_ptr<Vector3[]> directions(new (std::nothrow) Vector3[count]);
    const auto floatCount = static_cast<std::size_t>(count) * 3;
    std::unique_ptr<unsigned char[]> buffer(new (std::nothrow) unsigned char[4 * floatCount]);
    if (!directions || !buffer) return nullptr;

    const std::int32_t largestCount = readInt32At(file, 0);
    if (count > largestCount) return nullptr;
    const std::int32_t offset = readInt32At(file, 4L * count);
    if (offset <= 0) return nullptr;  // no set of this count (or an offset no file can have)
    if (std::fseek(file, offset, SEEK_SET) != 0) return nullptr;
    // A set cut short by the end of the file is not used: its missing directions are unknown.
    if (std::fread(buffer.get(), 4, floatCount, file) != floatCount) return nullptr;

    for (int i = 0; i < count; ++i) {
        const unsigned char* triple = buffer.get() + 12 * static_cast<std::size_t>(i);
        directions[i] = {bitCast<float>(littleEndianWord(triple)), bitCast<float>(littleEndianWord(triple + 4)),
                         bitCast<float>(littleEndianWord(triple + 8))};
    }
    return directions;
}

std::string seedFileProblem(int count) {
    std::error_code ignored;
    const std::string folder = std::filesystem::current_path(ignored).string();
    const std::string start = std::string("Field lines need the seed file ") + seedFileName;
    errno = 0;
    const File file(std::filesystem::is_directory(seedFileName, ignored) ? nullptr : std::fopen(seedFileName, "rb"));
    if (!file) {
        const char* why = errno != 0 ? std::strerror(errno) : "it is a folder";
        return start + ", which could not be opened in " + folder + ": " + why;
    }
    if (readSeedDirections(file.get(), count)) return {};
    return start + ", but the one in " + folder + " holds no usable set of " + std::to_string(count) +
           " directions";
}

}  // namespace kelvaro
