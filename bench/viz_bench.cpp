// Benchmarks of the visualisation builders on the 99-charge cloud example.
//
// Each builder's cost should be its evaluations of the field and the potential. The
// binary is linked with --wrap for Model::fieldAt, Model::potentialAt and
// Model::isStopPoint, so every call the builders make is counted here (the library itself
// is untouched). Each builder benchmark reports its evaluations per run and "eval_share":
// the evaluations' bare cost (unwrapped, measured before each run) as a share of the
// builder's time, all in thread CPU time.
// Each builder benchmark also reports the heap it needs: the peak of bytes held during
// the build above those held before it, and the bytes its result keeps.
//
// Run from anywhere: the working directory is set to examples/, for "ElectronData".

#include <benchmark/benchmark.h>

#include <malloc.h>
#include <time.h>

#include <algorithm>
#include <atomic>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <memory>
#include <new>
#include <vector>

#include "model/model.h"
#include "viz/field_lines.h"
#include "viz/hedgehog.h"
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

long potentialCalls = 0;
long fieldCalls = 0;
long stopTestCalls = 0;

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

const Model& cloudModel() {
    static const std::unique_ptr<Model> model = [] {
        std::filesystem::current_path(KELVARO_EXAMPLES_DIR);
        std::FILE* file = std::fopen("cloud.txt", "rt");
        if (file == nullptr) {
            std::fprintf(stderr, "cannot open examples/cloud.txt\n");
            std::exit(1);
        }
        try {
            auto read = std::make_unique<Model>(file);
            std::fclose(file);
            return read;
        } catch (int code) {
            std::fprintf(stderr, "examples/cloud.txt: error %d\n", code);
            std::exit(1);
        }
    }();
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

// Runs `build` once per iteration and reports its evaluations and their share of the time.
template <class Build>
void measureBuilder(benchmark::State& state, Build build) {
    const Model& model = cloudModel();
    long fields = 0, potentials = 0, stopTests = 0, peakBytes = 0, keptBytes = 0;
    double seconds = 0.0, evaluationSeconds = 0.0, stopTestSeconds = 0.0;
    for (auto _ : state) {
        state.PauseTiming();
        const BareCosts bare = measureBareCosts(model);
        fieldCalls = potentialCalls = stopTestCalls = 0;
        const long heapBefore = heapBytes.load();
        heapPeak = heapBefore;
        state.ResumeTiming();
        const double start = threadSeconds();
        auto result = build(model);
        benchmark::DoNotOptimize(result.get());
        state.PauseTiming();  // releasing the result is the caller's cost, not the builder's
        seconds += threadSeconds() - start;
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
    state.counters["fieldAt"] = fields / runs;
    state.counters["potentialAt"] = potentials / runs;
    state.counters["isStopPoint"] = stopTests / runs;
    state.counters["cpu_ms"] = 1000.0 * seconds / runs;
    state.counters["eval_share"] = evaluationSeconds / seconds;
    state.counters["eval_share_with_stop_tests"] = (evaluationSeconds + stopTestSeconds) / seconds;
    constexpr double mebibyte = 1024.0 * 1024.0;
    state.counters["peak_heap_MiB"] = static_cast<double>(peakBytes) / mebibyte;
    state.counters["kept_heap_MiB"] = static_cast<double>(keptBytes) / mebibyte;
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

void BM_FieldLines100PerCharge(benchmark::State& state) {
    measureBuilder(state, [](const Model& model) { return kelvaro::makeFieldLines(model, 100); });
}
BENCHMARK(BM_FieldLines100PerCharge)->Unit(benchmark::kMillisecond)->Iterations(3);

void BM_Hedgehog100000(benchmark::State& state) {
    measureBuilder(state, [](const Model& model) { return kelvaro::makeHedgehog(model, 100000); });
}
BENCHMARK(BM_Hedgehog100000)->Unit(benchmark::kMillisecond)->Iterations(5);

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

void BM_PotentialSurface(benchmark::State& state) {
    const double level = static_cast<double>(state.range(0)) / 10.0;
    measureBuilder(state, [level](const Model& model) { return kelvaro::makePotentialSurface(model, level, 0); });
}
// Levels -2, 0.5 and 6; the surface of 6 crosses the most cells of the cloud's grid.
BENCHMARK(BM_PotentialSurface)->Arg(-20)->Arg(5)->Arg(60)->Unit(benchmark::kMillisecond)->Iterations(3);

}  // namespace

BENCHMARK_MAIN();
