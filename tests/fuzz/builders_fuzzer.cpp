// libFuzzer target for the builders: a small model read from the front of the input, and
// from its last bytes the requests, kept small enough for thousands of runs: a few field
// lines per charge, a few hundred hedgehog lines (up to 20,100 for one input in eight on
// models that field lines are traced for, so that runs pass from one block of samples to
// the next), a surface on a coarse grid at a fuzzed level or exactly at a node's potential,
// accurate field lines, and a Gauss sphere round the box's centre (the fuzzed level's
// magnitude its radius) with its flux. Every builder must end and give only finite
// coordinates, and its fast path (two worker threads) exactly what its reference path
// gives. The seed file is the bundled one.

#include <fcntl.h>
#include <fuzzer/FuzzedDataProvider.h>
#include <unistd.h>

#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

#include "model/model.h"
#include "tests/support/scene_checks.h"
#include "viz/field_lines.h"
#include "viz/gauss_flux.h"
#include "viz/hedgehog.h"
#include "viz/potential_grid.h"

namespace {

using namespace kelvaro;

// Field lines and long hedgehog runs of crowded models cost too much per run for fuzzing;
// they are measured in the benchmarks instead.
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

// Traps when the fast path's result is not the reference path's to the bit.
void requireSame(const Ref<Group>& fast, const Ref<Group>& reference, const char* what) {
    if (!fast && !reference) return;
    if (fast && reference) {
        const std::string difference = testing::firstDifference(testing::exactForm(*reference), testing::exactForm(*fast));
        if (difference.empty()) return;
        std::fprintf(stderr, "%s: the fast path differs at %s\n", what, difference.c_str());
    } else {
        std::fprintf(stderr, "%s: only one path answered none\n", what);
    }
    __builtin_trap();
}

// A private folder holding a copy of the bundled seed file, which the field-line builder
// opens by its bare name: the builders run with it as the working directory.
int seedDirectory = -1;
int startDirectory = -1;
std::filesystem::path seedDirectoryPath;

void removeSeedDirectory() {
    std::error_code ignored;
    std::filesystem::remove_all(seedDirectoryPath, ignored);
}

// Makes the seed folder the working directory for its lifetime; libFuzzer writes its
// findings relative to the directory it was started in.
class InSeedDirectory {
public:
    InSeedDirectory() { require(fchdir(seedDirectory) == 0); }
    ~InSeedDirectory() { require(fchdir(startDirectory) == 0); }
    InSeedDirectory(const InSeedDirectory&) = delete;
    InSeedDirectory& operator=(const InSeedDirectory&) = delete;
};

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
    char directory[] = "/tmp/kelvaro-builders-fuzz-XXXXXX";
    if (mkdtemp(directory) == nullptr) std::abort();
    seedDirectoryPath = directory;
    std::atexit(removeSeedDirectory);
    std::filesystem::copy_file(std::filesystem::path(KELVARO_EXAMPLES_DIR) / "ElectronData",
                               seedDirectoryPath / "ElectronData");
    seedDirectory = open(directory, O_RDONLY | O_DIRECTORY);
    startDirectory = open(".", O_RDONLY | O_DIRECTORY);
    if (seedDirectory < 0 || startDirectory < 0) std::abort();
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    FuzzedDataProvider input(data, size);
    const int linesPerCharge = input.ConsumeIntegralInRange(1, 3);
    const int fewHedgehogLines = input.ConsumeIntegralInRange(0, 300);
    const bool manyHedgehogLines = input.ConsumeIntegralInRange(0, 7) == 0;
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
    const InSeedDirectory seeds;
    try {
        const Model model(stream);
        const BuildOptions fast{2, false};
        const BuildOptions reference = BuildOptions::referencePath();
        if (model.chargeCount() <= maxChargesTraced) {
            const Ref<Group> lines = makeFieldLines(model, linesPerCharge, fast);
            requireSound(lines, "field lines");
            requireSame(lines, makeFieldLines(model, linesPerCharge, reference), "field lines");
            const Ref<Group> accurate = makeFieldLines(model, linesPerCharge, FieldLineMethod::Accurate, fast);
            requireSound(accurate, "accurate field lines");
            requireSame(accurate, makeFieldLines(model, linesPerCharge, FieldLineMethod::Accurate, reference),
                        "accurate field lines");
        }
        const ABox& box = model.bounds();
        const Vector3 middle = scaled(sum(box.min, box.max), 0.5f);
        const Ref<Group> sphere = makeGaussSphere(model, middle, std::fabs(level), fast);
        if (sphere) requireSound(sphere, "gauss sphere");
        requireSame(sphere, makeGaussSphere(model, middle, std::fabs(level), reference), "gauss sphere");
        if (model.chargeCount() <= maxChargesTraced && gaussSphereProblem(middle, std::fabs(level)).empty()) {
            const SphereFlux flux = fluxThroughSphere(model, middle, std::fabs(level), fast);
            const SphereFlux plain = fluxThroughSphere(model, middle, std::fabs(level), reference);
            require(flux.known == plain.known && std::memcmp(&flux.flux, &plain.flux, sizeof flux.flux) == 0);
        }
        const int hedgehogLines =
            manyHedgehogLines && model.chargeCount() <= maxChargesTraced ? 67 * fewHedgehogLines : fewHedgehogLines;
        Random15 generator = hedgehogRandom();
        Random15 referenceGenerator = generator;
        const Ref<Group> hedgehog = makeHedgehog(model, hedgehogLines, generator, fast);
        require(hedgehog && hedgehog->count() <= hedgehogLines);
        requireSound(hedgehog, "hedgehog");
        requireSame(hedgehog, makeHedgehog(model, hedgehogLines, referenceGenerator, reference), "hedgehog");
        require(generator.state() == referenceGenerator.state());

        const Ref<PotentialGrid> grid = create<PotentialGrid>(model, cellsX, cellsY, cellsZ, fast);
        const Ref<PotentialGrid> referenceGrid = create<PotentialGrid>(model, cellsX, cellsY, cellsZ, reference);
        require(grid && grid->complete() && referenceGrid && referenceGrid->complete());
        const float iso = levelOnANode ? grid->node(nodeChoice % grid->nodeCount()).sampleValue : level;
        const Ref<Group> surface = grid->surface(iso, enter, fast);
        requireSound(surface, "surface");
        requireSame(surface, referenceGrid->surface(iso, enter, reference), "surface");
    } catch (int) {
        // A file that does not read is the model reader's target.
    }
    std::fclose(stream);
    return 0;
}
