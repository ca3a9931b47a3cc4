// electron_data: computes evenly spread unit vectors for every count from 1 to 100 and
// writes them as the seed-direction file that the field-line builder reads.
//
// Usage: electron_data OUTPUT_FILE
// Prints one line per count: the count, the Coulomb energy reached and the starts made.

#include <cstdio>
#include <string>
#include <vector>

#include "tools/electron_data/electron_data_file.h"
#include "tools/electron_data/thomson.h"

int main(int argc, char** argv) {
    using namespace kelvaro::seeds;
    if (argc != 2) {
        std::fprintf(stderr, "usage: electron_data OUTPUT_FILE\n");
        return 2;
    }
    constexpr int largestCount = 100;
    const SpreadOptions options;  // the defaults are the settings of the checked-in file
    std::vector<std::vector<Direction>> sets;
    for (int count = 1; count <= largestCount; ++count) {
        SpreadResult result = spreadOnSphere(count, options);
        std::printf("%3d %.9f %d\n", count, result.energy, result.starts);
        std::fflush(stdout);
        sets.push_back(std::move(result.points));
    }
    std::string error;
    if (!writeFile(argv[1], encodeElectronData(sets), error)) {
        std::fprintf(stderr, "%s\n", error.c_str());
        return 1;
    }
    return 0;
}
