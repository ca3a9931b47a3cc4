#pragma once
// The binary seed-direction file "ElectronData", little-endian:
//   bytes 0..3        N, the largest count held (signed 32-bit)
//   bytes 4k..4k+3    for k = 1..N: byte offset of the set of k directions, 0 when absent
//   at that offset    k directions, each three single-precision floats x, y, z

#include <cstdint>
#include <string>
#include <vector>

#include "tools/electron_data/thomson.h"

namespace kelvaro::seeds {

// The file image holding sets[k - 1] as the set of k directions, for k = 1..sets.size(),
// each set stored in order right after the table. Every sets[k - 1] must hold k points.
std::vector<std::uint8_t> encodeElectronData(const std::vector<std::vector<Direction>>& sets);

// Writes `image` to the file `path`; answers false (and leaves a message in `error`) on failure.
bool writeFile(const std::string& path, const std::vector<std::uint8_t>& image, std::string& error);

}  // namespace kelvaro::seeds
