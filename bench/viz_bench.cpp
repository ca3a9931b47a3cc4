// Benchmarks of the visualisation builders on the 99-charge cloud example (and the dipole's
// surface and hedgehog, where fixed costs show), each on its reference path (one thread,
// one point at a time) and its fast path (batched SIMD evaluation on the default number of
// threads) side by side in one run, so that their ratio holds even on a loaded machine.
// "threads" says how many threads a run used, "ms" its wall time (the benchmark's own time
// column is wall time too).
//
// The binary is linked with --wrap for Model::fieldAt, Model::potentialAt and
// Model::isStopPoint, so every call of the reference path is counted here (the library
// itself is untouched): its runs report their evaluations and "eval_share", the
// evaluations' bare cost (unwrapped, measured before each run) as a share of the
// builder's thread CPU time. The per-point costs of the batched evaluations, for each
// kernel set this processor runs, are measured beside the one-point ones.
// Each builder benchmark also reports the heap it needs: the peak of bytes held during
// the build above those held before it, and the bytes its result keeps. The blocks of the
// scene arenas (hedgehog lines, surface cells) are kept by the process from one build to
// the next, like a surface grid's storage, and so are left out once the warm-up build has
// made them; the cold runs' peak memory below counts everything.
//
// The first surface of a process also meets memory the process has never used: a run
// started as `viz_bench --cold-surfaces` builds the cloud's largest surface four times in a
// fresh process, and a benchmark starts such runs and reports the first build beside the
// later ones, with the process's peak memory.
//
// Run from anywhere: the working directory is set to examples/, for "ElectronData".

#include <benchmark/benchmark.h>

#include <malloc.h>
#include <sys/resource.h>
#include <time.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <memory>
#include <new>
#include <string>
#include <vector>

#include "model/field_kernels.h"
#include "model/model.h"
#include "viz/field_lines.h"
#include "viz/field_plane.h"
#include "viz/hedgehog.h"
#include "viz/point_evaluation.h"
#include "viz/potential_surface.h"

using kelvaro::Model;
using kelvaro::Vector3;

// The unwrapped functions and their counting wrappers (Itanium ABI: `this` comes first).
extern "C" {
double __real__ZNK7kelvaro5Model11potentialAtERKNS_7Vector3E(const Model*, const Vector3&);
Vector3 __real__ZNK7kelvaro5Model7fieldAtERKNS_7Vector3E(const Model*, const Vector3&);
bool __real__ZNK7kelvaro5Model11isStopPointERKNS_7Vector3E(const Model*, const Vector3&);
}

namespace {

std::atomic<long> potentialCalls{0};
std::atomic<long> fieldCalls{0};
std::atomic<long> stopTestCalls{0};

// Heap bytes in use and their peak, for the memory figure.
std::atomic<long> heapBytes{0};
std::atomic<long> heapPeak{0};

}  // namespace

extern "C" {
double __wrap__ZNK7kelvaro5Model11potentialAtERKNS_7Vector3E(const Model* model, const Vector3& p) {
    ++potentialCalls;
    return __real__ZNK7kelvaro5Model11potentialAtERKNS_7Vector3E(model, p);
}
Vector3 __wrap__ZNK7kelvaro5Model7fieldAtERKNS_7Vector3E(const Model* model, const Vector3& p) {
    ++fieldCalls;
    return __real__ZNK7kelvaro5Model7fieldAtERKNS_7Vector3E(model, p);
}
bool __wrap__ZNK7kelvaro5Model11isStopPointERKNS_7Vector3E(const Model* model, const Vector3& p) {
    ++stopTestCalls;
    return __real__ZNK7kelvaro5Model11isStopPointERKNS_7Vector3E(model, p);
}
}

namespace {

void* trackedAllocation(std::size_t size) {
    void* block = std::malloc(size == 0 ? 1 : size);
    if (block != nullptr) {
        const long now = heapBytes += static_cast<long>(malloc_usable_size(block));
        long peak = heapPeak.load();
        while (now > peak && !heapPeak.compare_exchange_weak(peak, now)) {
        }
    }
    return block;
}

void trackedRelease(void* block) {
    if (block == nullptr) return;
    heapBytes -= static_cast<long>(malloc_usable_size(block));
    std::free(block);
}

}  // namespace

void* operator new(std::size_t size) {
    void* block = trackedAllocation(size);
    if (block == nullptr) throw std::bad_alloc();
    return block;
}
void* operator new[](std::size_t size) { return operator new(size); }
void* operator new(std::size_t size, const std::nothrow_t&) noexcept { return trackedAllocation(size); }
void* operator new[](std::size_t size, const std::nothrow_t&) noexcept { return trackedAllocation(size); }
void operator delete(void* block) noexcept { trackedRelease(block); }
void operator delete[](void* block) noexcept { trackedRelease(block); }
void operator delete(void* block, std::size_t) noexcept { trackedRelease(block); }
void operator delete[](void* block, std::size_t) noexcept { trackedRelease(block); }
void operator delete(void* block, const std::nothrow_t&) noexcept { trackedRelease(block); }
void operator delete[](void* block, const std::nothrow_t&) noexcept { trackedRelease(block); }

namespace {

// The example model of `file` in examples/, read once.
std::unique_ptr<Model> readExample(const char* file) {
    std::filesystem::current_path(KELVARO_EXAMPLES_DIR);
    std::FILE* stream = std::fopen(file, "rt");
    if (stream == nullptr) {
        std::fprintf(stderr, "cannot open examples/%s\n", file);
        std::exit(1);
    }
    try {
        auto read = std::make_unique<Model>(stream);
        std::fclose(stream);
        return read;
    } catch (int code) {
        std::fprintf(stderr, "examples/%s: error %d\n", file, code);
        std::exit(1);
    }
}

const Model& cloudModel() {
    static const std::unique_ptr<Model> model = readExample("cloud.txt");
    return *model;
}

// The smallest model, where a builder's fixed costs show.
const Model& dipoleModel() {
    static const std::unique_ptr<Model> model = readExample("dipole.txt");
    return *model;
}

// A point of the box away from every charge, for the bare evaluations.
constexpr Vector3 probe{0.123f, -0.456f, 0.789f};

// CPU time of this thread: the machine is shared, so wall time would count other work.
double threadSeconds() {
    timespec now{};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &now);
    return static_cast<double>(now.tv_sec) + static_cast<double>(now.tv_nsec) * 1e-9;
}

// Seconds per unwrapped call of each evaluation, measured just before each build so that
// both see the same load on the shared machine.
struct BareCosts {
    double field;
    double potential;
    double stopTest;
};

template <class Call>
double secondsPerCall(Call call) {
    constexpr int calls = 20000;
    const double start = threadSeconds();
    for (int i = 0; i < calls; ++i) call();
    return (threadSeconds() - start) / calls;
}

BareCosts measureBareCosts(const Model& model) {
    return {secondsPerCall([&] { benchmark::DoNotOptimize(__real__ZNK7kelvaro5Model7fieldAtERKNS_7Vector3E(&model, probe)); }),
            secondsPerCall(
                [&] { benchmark::DoNotOptimize(__real__ZNK7kelvaro5Model11potentialAtERKNS_7Vector3E(&model, probe)); }),
            secondsPerCall(
                [&] { benchmark::DoNotOptimize(__real__ZNK7kelvaro5Model11isStopPointERKNS_7Vector3E(&model, probe)); })};
}

// The path of a builder run, by its argument: 0 the reference path, 1 the fast path on the
// default number of threads, 2 the fast path on the calling thread alone (what batching
// gains without a second core, which a loaded machine may not give), 3 the fast path on
// two threads (where a target is set for two).
kelvaro::BuildOptions pathOf(const benchmark::State& state, int argument) {
    switch (state.range(argument)) {
        case 0:
            return kelvaro::BuildOptions::referencePath();
        case 2:
            return kelvaro::BuildOptions{1, false};
        case 3:
            return kelvaro::BuildOptions{2, false};
        default:
            return kelvaro::BuildOptions{};
    }
}

// Runs `build` once per iteration on the path `options` name, on the cloud unless another
// model is given, and reports its time, its heap and, on the reference path, its
// evaluations and their share of the time. One build beforehand is not measured: the first
// also pays for pages the process has never used.
template <class Build>
void measureBuilder(benchmark::State& state, const kelvaro::BuildOptions& options, Build build,
                    const Model& model = cloudModel()) {
    build(model, options).reset();
    long fields = 0, potentials = 0, stopTests = 0, peakBytes = 0, keptBytes = 0;
    double seconds = 0.0, cpuSeconds = 0.0, evaluationSeconds = 0.0, stopTestSeconds = 0.0;
    for (auto _ : state) {
        state.PauseTiming();
        const BareCosts bare = measureBareCosts(model);
        fieldCalls = potentialCalls = stopTestCalls = 0;
        const long heapBefore = heapBytes.load();
        heapPeak = heapBefore;
        state.ResumeTiming();
        const auto start = std::chrono::steady_clock::now();
        const double cpuStart = threadSeconds();
        auto result = build(model, options);
        benchmark::DoNotOptimize(result.get());
        state.PauseTiming();  // releasing the result is the caller's cost, not the builder's
        cpuSeconds += threadSeconds() - cpuStart;
        seconds += std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
        peakBytes = std::max(peakBytes, heapPeak.load() - heapBefore);
        keptBytes = std::max(keptBytes, heapBytes.load() - heapBefore);
        fields += fieldCalls;
        potentials += potentialCalls;
        stopTests += stopTestCalls;
        evaluationSeconds += fieldCalls * bare.field + potentialCalls * bare.potential;
        stopTestSeconds += stopTestCalls * bare.stopTest;
        result.reset();
        state.ResumeTiming();
    }
    const double runs = static_cast<double>(state.iterations());
    state.counters["threads"] = options.threadCount();
    state.counters["ms"] = 1000.0 * seconds / runs;
    if (options.reference) {
        state.counters["fieldAt"] = fields / runs;
        state.counters["potentialAt"] = potentials / runs;
        state.counters["isStopPoint"] = stopTests / runs;
        state.counters["eval_share"] = evaluationSeconds / cpuSeconds;
        state.counters["eval_share_with_stop_tests"] = (evaluationSeconds + stopTestSeconds) / cpuSeconds;
    }
    constexpr double mebibyte = 1024.0 * 1024.0;
    state.counters["peak_heap_MiB"] = static_cast<double>(peakBytes) / mebibyte;
    state.counters["kept_heap_MiB"] = static_cast<double>(keptBytes) / mebibyte;
}

// Points of the box away from the charges, for the per-point costs.
const std::vector<Vector3>& probeRow() {
    static const std::vector<Vector3> points = [] {
        std::vector<Vector3> row(4096);
        for (std::size_t i = 0; i < row.size(); ++i)
            row[i] = {probe.x + 0.0001f * static_cast<float>(i), probe.y, probe.z - 0.00005f * static_cast<float>(i)};
        return row;
    }();
    return points;
}

// The kernel set of argument 0, an index into the sets this processor runs (0 baseline,
// 1 AVX2); none, having skipped the run, past the last.
const kelvaro::FieldKernels* kernelsOf(benchmark::State& state) {
    const auto& sets = kelvaro::runnableKernels();
    if (static_cast<std::size_t>(state.range(0)) < sets.size()) return sets[static_cast<std::size_t>(state.range(0))];
    state.SkipWithError("this processor runs no such kernel set");
    return nullptr;
}

// Runs `evaluate` over the probe row per iteration and reports nanoseconds per point.
template <class Evaluate>
void measurePerPoint(benchmark::State& state, Evaluate evaluate) {
    const kelvaro::FieldKernels* kernels = kernelsOf(state);
    if (kernels == nullptr) return;
    const double start = threadSeconds();
    for (auto _ : state) evaluate(*kernels, probeRow());
    const double points = static_cast<double>(state.iterations()) * static_cast<double>(probeRow().size());
    state.SetLabel(kernels->name);
    state.counters["ns_per_point"] = 1e9 * (threadSeconds() - start) / points;
}

void BM_FieldAt(benchmark::State& state) {
    const Model& model = cloudModel();
    for (auto _ : state) benchmark::DoNotOptimize(__real__ZNK7kelvaro5Model7fieldAtERKNS_7Vector3E(&model, probe));
}
BENCHMARK(BM_FieldAt);

void BM_PotentialAt(benchmark::State& state) {
    const Model& model = cloudModel();
    for (auto _ : state)
        benchmark::DoNotOptimize(__real__ZNK7kelvaro5Model11potentialAtERKNS_7Vector3E(&model, probe));
}
BENCHMARK(BM_PotentialAt);

void BM_IsStopPoint(benchmark::State& state) {
    const Model& model = cloudModel();
    for (auto _ : state)
        benchmark::DoNotOptimize(__real__ZNK7kelvaro5Model11isStopPointERKNS_7Vector3E(&model, probe));
}
BENCHMARK(BM_IsStopPoint);

void BM_PotentialsBatched(benchmark::State& state) {
    std::vector<double> out(probeRow().size());
    measurePerPoint(state, [&](const kelvaro::FieldKernels& kernels, const std::vector<Vector3>& points) {
        cloudModel().potentialsAt(kernels, points, out.data());
        benchmark::DoNotOptimize(out.data());
    });
}
BENCHMARK(BM_PotentialsBatched)->DenseRange(0, 1);

void BM_FieldsBatched(benchmark::State& state) {
    std::vector<Vector3> out(probeRow().size());
    measurePerPoint(state, [&](const kelvaro::FieldKernels& kernels, const std::vector<Vector3>& points) {
        cloudModel().fieldsAt(kernels, points, out.data());
        benchmark::DoNotOptimize(out.data());
    });
}
BENCHMARK(BM_FieldsBatched)->DenseRange(0, 1);

void BM_StopPointsBatched(benchmark::State& state) {
    std::vector<std::uint8_t> out(probeRow().size());
    measurePerPoint(state, [&](const kelvaro::FieldKernels& kernels, const std::vector<Vector3>& points) {
        cloudModel().stopPointsAt(kernels, points, out.data());
        benchmark::DoNotOptimize(out.data());
    });
}
BENCHMARK(BM_StopPointsBatched)->DenseRange(0, 1);

// A million points of the cloud's box: the centres of a 100 x 100 x 100 lattice of cells,
// x varying slowest, each coordinate low + (high - low) * ((i + 0.5) / 100) in double
// precision, then rounded to single. bench/python_module.py makes the same points.
const std::vector<Vector3>& millionPoints() {
    static const std::vector<Vector3> points = [] {
        constexpr int side = 100;
        const kelvaro::ABox& box = cloudModel().bounds();
        const auto along = [](float low, float high, int i) {
            return static_cast<float>(low + (static_cast<double>(high) - low) * ((i + 0.5) / side));
        };
        std::vector<Vector3> lattice;
        lattice.reserve(side * side * side);
        for (int i = 0; i < side; ++i)
            for (int j = 0; j < side; ++j)
                for (int k = 0; k < side; ++k)
                    lattice.push_back({along(box.min.x, box.max.x, i), along(box.min.y, box.max.y, j),
                                       along(box.min.z, box.max.z, k)});
        return lattice;
    }();
    return points;
}

// The potentials of the million points on the builders' path (batched, on the default
// number of threads): what the Python module's Model.potential runs, without Python. Its
// CPU time is the whole process's, all threads, which a loaded machine disturbs less than
// the wall time.
void BM_PotentialsOfMillionPoints(benchmark::State& state) {
    std::vector<double> out(millionPoints().size());
    const kelvaro::BuildOptions options;
    for (auto _ : state) {
        kelvaro::potentialsOf(cloudModel(), millionPoints(), out.data(), options);
        benchmark::DoNotOptimize(out.data());
    }
    state.counters["threads"] = options.threadCount();
}
BENCHMARK(BM_PotentialsOfMillionPoints)->Unit(benchmark::kMillisecond)->MeasureProcessCPUTime()->UseRealTime();

// Arguments: the level times 10, then the path. The grid's storage is kept by the process
// from one surface to the next (and allocated aligned, which the heap figures leave out):
// the first surface of a process is measured by BM_PotentialSurfaceColdProcess.
void BM_PotentialSurface(benchmark::State& state) {
    const double level = static_cast<double>(state.range(0)) / 10.0;
    measureBuilder(state, pathOf(state, 1), [level](const Model& model, const kelvaro::BuildOptions& options) {
        return kelvaro::makePotentialSurface(model, level, 0, options);
    });
}
// Levels -2, 0.5 and 6; the surface of 6 crosses the most cells of the cloud's grid.
BENCHMARK(BM_PotentialSurface)
    ->ArgNames({"level10", "path"})
    ->ArgsProduct({{-20, 5, 60}, {0, 1, 2}})
    ->Unit(benchmark::kMillisecond)
    ->Iterations(5)
    ->UseRealTime();

// The level of the cloud's largest surface.
constexpr double largestSurfaceLevel = 6.0;
constexpr int coldRunBuilds = 4;

long minorFaults() {
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return usage.ru_minflt;
}

// The fresh process of a cold run: the milliseconds and page faults of its first build and
// the mean of the later ones, and its peak resident memory in KiB, on one line.
int coldSurfaces() {
    const Model& model = cloudModel();
    double milliseconds[coldRunBuilds];
    long faults[coldRunBuilds];
    for (int build = 0; build < coldRunBuilds; ++build) {
        const long faultsBefore = minorFaults();
        const auto start = std::chrono::steady_clock::now();
        auto surface = kelvaro::makePotentialSurface(model, largestSurfaceLevel, 0);
        milliseconds[build] = std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start).count();
        faults[build] = minorFaults() - faultsBefore;
        if (!surface) return 1;
    }
    double laterMilliseconds = 0.0, laterFaults = 0.0;
    for (int build = 1; build < coldRunBuilds; ++build) {
        laterMilliseconds += milliseconds[build] / (coldRunBuilds - 1);
        laterFaults += static_cast<double>(faults[build]) / (coldRunBuilds - 1);
    }
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    std::printf("%f %f %ld %f %ld\n", milliseconds[0], laterMilliseconds, faults[0], laterFaults, usage.ru_maxrss);
    return 0;
}

// Each iteration starts a cold run (a fresh process) and reads its figures.
void BM_PotentialSurfaceColdProcess(benchmark::State& state) {
    char self[4096] = {};
    if (readlink("/proc/self/exe", self, sizeof self - 1) <= 0) {
        state.SkipWithError("cannot find this program");
        return;
    }
    const std::string command = std::string("'") + self + "' --cold-surfaces";
    double first = 0.0, later = 0.0, firstFaults = 0.0, laterFaults = 0.0;
    long peakKiB = 0;
    for (auto _ : state) {
        std::FILE* run = popen(command.c_str(), "r");
        double f = 0.0, l = 0.0, lf = 0.0;
        long ff = 0, kib = 0;
        const bool read = run != nullptr && std::fscanf(run, "%lf %lf %ld %lf %ld", &f, &l, &ff, &lf, &kib) == 5;
        if (run == nullptr || pclose(run) != 0 || !read) {
            state.SkipWithError("the cold run failed");
            return;
        }
        first += f;
        later += l;
        firstFaults += static_cast<double>(ff);
        laterFaults += lf;
        peakKiB = std::max(peakKiB, kib);
    }
    const double runs = static_cast<double>(state.iterations());
    state.counters["first_ms"] = first / runs;
    state.counters["later_ms"] = later / runs;
    state.counters["first_over_later"] = first / later;
    state.counters["first_faults"] = firstFaults / runs;
    state.counters["later_faults"] = laterFaults / runs;
    state.counters["peak_rss_MiB"] = static_cast<double>(peakKiB) / 1024.0;
}
BENCHMARK(BM_PotentialSurfaceColdProcess)->Unit(benchmark::kMillisecond)->Iterations(5)->UseRealTime();

// Argument 0 of every builder benchmark: the path (pathOf).
void BM_FieldLines100PerCharge(benchmark::State& state) {
    measureBuilder(state, pathOf(state, 0), [](const Model& model, const kelvaro::BuildOptions& options) {
        return kelvaro::makeFieldLines(model, 100, options);
    });
}
BENCHMARK(BM_FieldLines100PerCharge)->ArgName("path")->Arg(0)->Arg(1)->Arg(2)->Unit(benchmark::kMillisecond)->Iterations(3)->UseRealTime();

// A plane through the cloud's centre, normal to z: 256 x 256 samples of the potential and
// its colours, and the equipotential lines of the 15 levels it shows by default. The
// target: under 50 ms on two threads (path 3).
void BM_FieldPlane(benchmark::State& state) {
    measureBuilder(state, pathOf(state, 0), [](const Model& model, const kelvaro::BuildOptions& options) {
        kelvaro::FieldPlane plane;
        plane.levelCount = 15;
        return kelvaro::makeFieldPlane(model, plane, false, options);
    });
}
BENCHMARK(BM_FieldPlane)->ArgName("path")->Arg(0)->Arg(1)->Arg(2)->Arg(3)->Unit(benchmark::kMillisecond)->Iterations(5)->UseRealTime();

// Each run draws from a generator of its own in the same state, so both paths make the
// same lines.
void BM_Hedgehog100000(benchmark::State& state) {
    measureBuilder(state, pathOf(state, 0), [](const Model& model, const kelvaro::BuildOptions& options) {
        kelvaro::Random15 generator;
        return kelvaro::makeHedgehog(model, 100000, generator, options);
    });
}
BENCHMARK(BM_Hedgehog100000)->ArgName("path")->Arg(0)->Arg(1)->Arg(2)->Unit(benchmark::kMillisecond)->Iterations(5)->UseRealTime();

// The dipole's surface at V = 1 and its hedgehog of 100000 lines: on the smallest model a
// builder's fixed costs (its threads, the grid's memory, an allocation per object) are most
// of its time. Argument 0: the path.
void BM_DipoleSurface(benchmark::State& state) {
    measureBuilder(
        state, pathOf(state, 0),
        [](const Model& model, const kelvaro::BuildOptions& options) {
            return kelvaro::makePotentialSurface(model, 1.0, 0, options);
        },
        dipoleModel());
}
BENCHMARK(BM_DipoleSurface)->ArgName("path")->Arg(0)->Arg(1)->Arg(2)->Unit(benchmark::kMillisecond)->Iterations(20)->UseRealTime();

void BM_DipoleHedgehog100000(benchmark::State& state) {
    measureBuilder(
        state, pathOf(state, 0),
        [](const Model& model, const kelvaro::BuildOptions& options) {
            kelvaro::Random15 generator;
            return kelvaro::makeHedgehog(model, 100000, generator, options);
        },
        dipoleModel());
}
BENCHMARK(BM_DipoleHedgehog100000)->ArgName("path")->Arg(0)->Arg(1)->Arg(2)->Unit(benchmark::kMillisecond)->Iterations(10)->UseRealTime();

// The part of the hedgehog's time that is the result group's growth alone: adding 100000
// children to a Group(20, 20), which grows 20 slots at a time.
void BM_HedgehogGroupGrowth(benchmark::State& state) {
    std::vector<kelvaro::Ref<kelvaro::Line>> lines;
    for (int i = 0; i < 100000; ++i) lines.push_back(kelvaro::create<kelvaro::Line>(probe, probe));
    for (auto _ : state) {
        auto group = kelvaro::create<kelvaro::Group>(20, 20);
        for (const auto& line : lines) group->add(*line);
        benchmark::DoNotOptimize(group.get());
        state.PauseTiming();
        group.reset();  // the lines stay, held by `lines`
        state.ResumeTiming();
    }
}
BENCHMARK(BM_HedgehogGroupGrowth)->Unit(benchmark::kMillisecond)->Iterations(5);

}  // namespace

int main(int argc, char** argv) {
    if (argc == 2 && std::strcmp(argv[1], "--cold-surfaces") == 0) return coldSurfaces();
    // Every other figure is that of a process whose heap already holds its pages: the C
    // library keeps what is freed instead of handing large blocks back to the system, which
    // by default it does or not depending on what the process freed before, so that the
    // order of the benchmarks moved their figures.
    mallopt(M_MMAP_THRESHOLD, 32 << 20);
    mallopt(M_TRIM_THRESHOLD, 1 << 30);
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
