#include "tools/electron_data/electron_data_file.h"

#include <bit>
#include <cerrno>
#include <cstdio>
#include <cstring>

namespace kelvaro::seeds {
namespace {

void putWord(std::vector<std::uint8_t>& image, std::size_t at, std::uint32_t word) {
    for (int byte = 0; byte < 4; ++byte) image[at + byte] = static_cast<std::uint8_t>(word >> (8 * byte));
}

}  // namespace

std::vector<std::uint8_t> encodeElectronData(const std::vector<std::vector<Direction>>& sets) {
    const std::size_t largest = sets.size();
    std::size_t size = 4 * (largest + 1);
    for (const auto& set : sets) size += 12 * set.size();
    std::vector<std::uint8_t> image(size);
    putWord(image, 0, static_cast<std::uint32_t>(largest));
    std::size_t offset = 4 * (largest + 1);
    for (std::size_t k = 1; k <= largest; ++k) {
        putWord(image, 4 * k, static_cast<std::uint32_t>(offset));
        for (const Direction& d : sets[k - 1]) {
            for (double component : {d.x, d.y, d.z}) {
                putWord(image, offset, std::bit_cast<std::uint32_t>(static_cast<float>(component)));
                offset += 4;
            }
        }
    }
    return image;
}

bool writeFile(const std::string& path, const std::vector<std::uint8_t>& image, std::string& error) {
    std::FILE* file = std::fopen(path.c_str(), "wb");
    if (file == nullptr) {
        error = "cannot open " + path + ": " + std::strerror(errno);
        return false;
    }
    const bool written = std::fwrite(image.data(), 1, image.size(), file) == image.size();
    const bool closed = std::fclose(file) == 0;
    if (!written || !closed) {
        error = "cannot write " + path;
        return false;
    }
    return true;
}

}  // namespace kelvaro::seeds
