// Edit-to-scene time: one charge of a loaded model moves, and the model is made again
// from the values and the scene built again from every remembered visualisation, as the
// program does for each step of a drag. Each iteration moves the charge by 0.01 along x
// and back, so that every build has work. The targets on the 2-core machine: the dipole
// with 20 field lines a charge, a surface and 1000 hedgehog lines under 15 ms; the
// 99-charge cloud with 20 lines a charge and a surface under 100 ms; the same with a plane
// through the centre (16 field lines round each charge in it) added, within those plus the
// plane's own time (BM_FieldPlane of viz_bench). The CPU column is
// the whole process's (the builders' worker threads included), which a loaded machine
// stretches less than the wall time.
//
// Run from anywhere: the working directory is set to examples/, for "ElectronData".

#include <benchmark/benchmark.h>

#include <filesystem>
#include <vector>

#include "app/session.h"

namespace {

using kelvaro::Charge;
using Kind = kelvaro::VisualisationRequest::Kind;

void moveOneCharge(benchmark::State& state, const char* model, float surface, int hedgehogLines, bool plane = false) {
    kelvaro::Session session;
    if (session.load(model) != kelvaro::LoadOutcome::Loaded) {
        state.SkipWithError("the model could not be loaded");
        return;
    }
    session.add({Kind::FieldLines, 20});
    session.add({Kind::Surface, 0, surface, 0});
    if (hedgehogLines > 0) session.add({Kind::Hedgehog, hedgehogLines});
    if (plane) {
        kelvaro::VisualisationRequest request{Kind::Plane};
        request.plane.linesPerCharge = 16;
        session.add(request);
    }
    std::vector<Charge> charges(session.model()->charges().begin(), session.model()->charges().end());
    const kelvaro::Vector3 home = charges[0].position;
    bool away = false;
    for (auto _ : state) {
        away = !away;
        charges[0].position.x = away ? home.x + 0.01f : home.x;
        if (!session.setCharges(charges)) state.SkipWithError("the charges could not be set");
        benchmark::DoNotOptimize(session.scene());
    }
    state.counters["children"] = static_cast<double>(session.scene()->count());
}

BENCHMARK_CAPTURE(moveOneCharge, dipole_lines20_surface5_hedgehog1000, "dipole.txt", 5.0f, 1000)
    ->Unit(benchmark::kMillisecond)
    ->MeasureProcessCPUTime()
    ->UseRealTime();
BENCHMARK_CAPTURE(moveOneCharge, cloud_lines20_surface6, "cloud.txt", 6.0f, 0)
    ->Unit(benchmark::kMillisecond)
    ->MeasureProcessCPUTime()
    ->UseRealTime();
BENCHMARK_CAPTURE(moveOneCharge, dipole_lines20_surface5_hedgehog1000_plane, "dipole.txt", 5.0f, 1000, true)
    ->Unit(benchmark::kMillisecond)
    ->MeasureProcessCPUTime()
    ->UseRealTime();
BENCHMARK_CAPTURE(moveOneCharge, cloud_lines20_surface6_plane, "cloud.txt", 6.0f, 0, true)
    ->Unit(benchmark::kMillisecond)
    ->MeasureProcessCPUTime()
    ->UseRealTime();

}  // namespace

int main(int argc, char** argv) {
    std::filesystem::current_path(KELVARO_EXAMPLES_DIR);
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
