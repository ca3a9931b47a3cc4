// libFuzzer target for the builders: a small model read from the front of the input, and
// from its last bytes the requests, kept small enough for thousands of runs: a few field
// lines per charge, a few hundred hedgehog lines, a surface on a coarse grid at a fuzzed
// level or exactly at a node's potential. Every builder must end and give only finite
// coordinates; the seed file is the bundled one, copied into a private working directory.

#include <fuzzer/FuzzedDataProvider.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

#include "model/model.h"
#include "tests/support/scene_checks.h"
#include "viz/field_lines.h"
#include "viz/hedgehog.h"
#include "viz/potential_grid.h"

namespace {

using namespace kelvaro;

// Field lines of crowded models cost too much per run for fuzzing; they are measured in
// the benchmarks instead.
constexpr int maxChargesTraced = 10;

void require(bool condition) {
    if (!condition) __builtin_trap();
}

// Traps on the first coordinate that is not finite, after saying which it is.
void requireSound(const Ref<Group>& built, const char* what) {
    if (!built) return;
    if (const auto bad = testing::firstNonFiniteVertex(*built)) {
        std::fprintf(stderr, "%s: %s\n", what, bad->c_str());
        __builtin_trap();
    }
}

}  // namespace

// Runs before libFuzzer reads its arguments: the paths among them (corpus folders, inputs
// to replay) are made absolute, then a private working directory with the seed file
// becomes the current one.
extern "C" int LLVMFuzzerInitialize(int* argc, char*** argv) {
    static std::vector<std::string> absolutePaths;
    absolutePaths.reserve(static_cast<std::size_t>(*argc));
    for (int i = 1; i < *argc; ++i) {
        if ((*argv)[i][0] == '-') continue;
        absolutePaths.push_back(std::filesystem::absolute((*argv)[i]).string());
        (*argv)[i] = absolutePaths.back().data();
    }
    char directory[] = "/tmp/kelvaro-builders-fuzz-XXXXXX";
    if (mkdtemp(directory) == nullptr) std::abort();
    std::filesystem::copy_file(std::filesystem::path(KELVARO_EXAMPLES_DIR) / "ElectronData",
                               std::filesystem::path(directory) / "ElectronData");
    std::filesystem::current_path(directory);
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    FuzzedDataProvider input(data, size);
    const int linesPerCharge = input.ConsumeIntegralInRange(1, 3);
    const int hedgehogLines = input.ConsumeIntegralInRange(0, 300);
    const int cellsX = input.ConsumeIntegralInRange(1, 10);
    const int cellsY = input.ConsumeIntegralInRange(1, 10);
    const int cellsZ = input.ConsumeIntegralInRange(1, 10);
    const bool levelOnANode = input.ConsumeBool();
    const auto nodeChoice = input.ConsumeIntegral<std::uint16_t>();
    const float level = input.ConsumeFloatingPointInRange(-10.0f, 10.0f);
    const bool enter = input.ConsumeBool();
    std::vector<char> text = input.ConsumeRemainingBytes<char>();
    if (text.empty()) return 0;

    std::FILE* stream = fmemopen(text.data(), text.size(), "r");
    if (!stream) return 0;
    try {
        const Model model(stream);
        if (model.chargeCount() <= maxChargesTraced) requireSound(makeFieldLines(model, linesPerCharge), "field lines");
        const Ref<Group> hedgehog = makeHedgehog(model, hedgehogLines);
        require(hedgehog && hedgehog->count() <= hedgehogLines);
        requireSound(hedgehog, "hedgehog");

        const Ref<PotentialGrid> grid = create<PotentialGrid>(model, cellsX, cellsY, cellsZ);
        require(grid && grid->complete());
        const float iso = levelOnANode ? grid->node(nodeChoice % grid->nodeCount()).sampleValue : level;
        requireSound(grid->surface(iso, enter), "surface");
    } catch (int) {
        // A file that does not read is the model reader's target.
    }
    std::fclose(stream);
    return 0;
}
