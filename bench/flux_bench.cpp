// The flux of the field through a Gauss sphere (viz/gauss_flux.h): on the 99-charge cloud
// a sphere round the middle of the box (its rule of 64 x 128 points) and a smaller one that
// passes near two charges (the largest rule, 512 x 1024), and on the dipole a sphere round
// one charge; each on the reference path and on the default number of threads. Target: a
// sphere under 10 ms. Reported: the rule's n and its error bound.
//
// Run from anywhere: the models are read from examples/.

#include <benchmark/benchmark.h>

#include <cstdio>
#include <cstdlib>
#include <memory>
#include <string>

#include "model/model.h"
#include "viz/gauss_flux.h"

namespace {

using namespace kelvaro;

std::unique_ptr<Model> example(const std::string& name) {
    const std::string path = std::string(KELVARO_EXAMPLES_DIR) + "/" + name;
    std::FILE* file = std::fopen(path.c_str(), "rt");
    if (file == nullptr) {
        std::fprintf(stderr, "cannot open %s\n", path.c_str());
        std::exit(1);
    }
    auto model = std::make_unique<Model>(file);
    std::fclose(file);
    return model;
}

void flux(benchmark::State& state, const char* name, Vector3 centre, double radius) {
    static const std::unique_ptr<Model> cloud = example("cloud.txt");
    static const std::unique_ptr<Model> dipole = example("dipole.txt");
    const Model& model = std::string(name) == "cloud.txt" ? *cloud : *dipole;
    const BuildOptions options = state.range(0) == 0 ? BuildOptions::referencePath() : BuildOptions{};
    SphereFlux result;
    for (auto _ : state) {
        result = fluxThroughSphere(model, centre, radius, options);
        benchmark::DoNotOptimize(result.flux);
    }
    if (!result.known) state.SkipWithError("the rule cannot keep its error on this sphere");
    state.counters["threads"] = options.threadCount();
    state.counters["rule_n"] = result.nodes;
    state.counters["error_bound"] = result.errorBound;
}

BENCHMARK_CAPTURE(flux, cloud_middle, "cloud.txt", Vector3{0, 0, 0}, 0.5)
    ->ArgName("path")->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK_CAPTURE(flux, cloud_near_charges, "cloud.txt", Vector3{0, 0, 0}, 0.3)
    ->ArgName("path")->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK_CAPTURE(flux, dipole_one_charge, "dipole.txt", Vector3{-0.5f, 0, 0}, 0.5)
    ->ArgName("path")->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond)->UseRealTime();

}  // namespace

BENCHMARK_MAIN();
