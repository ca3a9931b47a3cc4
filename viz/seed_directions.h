#pragma once
// Reading the seed directions of field lines from the binary file "ElectronData".

#include <cstdio>
#include <memory>
#include <string>

#include "common/vector3.h"

namespace kelvaro {

// The name under which the seed file is opened, relative to the current directory.
inline constexpr const char* seedFileName = "ElectronData";

// Reads the set of `count` directions from "ElectronData" in the current directory
// (little-endian: the largest count N at byte 0, the byte offset of the set of k
// directions at byte 4k, each set k triples of floats). The directions are returned as
// stored, not normalised; the caller owns the array. Answers null when the file cannot
// be opened, `count` is below 1 or above N, the table entry for `count` is 0, the set is
// shorter than 3 x `count` floats, or memory runs out.
std::unique_ptr<Vector3[]> readSeedDirections(int count);

// The same read from `file`, an open binary stream positioned anywhere; it is left open.
std::unique_ptr<Vector3[]> readSeedDirections(std::FILE* file, int count);

// Why readSeedDirections(count) fails, as a line for the user that names the file and the
// folder it was looked for in: it cannot be opened (and the system's reason), or it holds
// no usable set of `count` directions. Empty when the read succeeds.
std::string seedFileProblem(int count);

}  // namespace kelvaro
