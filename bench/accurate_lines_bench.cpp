// The accurate field lines against a reference, and their cost against the program's own
// tracer.
//
// Accuracy: every line of a request (20 a charge: the 99-charge cloud's 1,980 and the
// dipole's 40) is traced from the same start point by the accurate tracer, by the
// program's own tracer and by the reference (Dormand-Prince 8(5,3) at a relative
// tolerance of 1e-10 with the field in double precision, tests/support). Reported:
// the lines that end in another place than the reference's (another charge, or the box
// instead of a charge), the largest distance of a line's points from the reference line
// (of the lines that end in the same place) as a fraction of the box's diagonal, and the
// farthest a line ends outside the box. Targets for the accurate tracer: at most 2 wrong
// ends of the cloud's 1,980 lines, no point farther than 1e-3 of the diagonal.
//
// Cost: the whole request built by each tracer, on one thread and on the default number,
// side by side in one run so that the ratio holds on a loaded machine. Target: the
// accurate lines cost at most 3 times the program's own.
//
// Run from anywhere: the working directory is set to examples/, for "ElectronData".

#include <benchmark/benchmark.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "model/model.h"
#include "tests/support/reference_field_lines.h"
#include "viz/accurate_field_lines.h"
#include "viz/field_lines.h"
#include "viz/seed_directions.h"

namespace {

using namespace kelvaro;

constexpr int linesPerCharge = 20;

const Model& example(const char* name) {
    static std::vector<std::pair<std::string, std::unique_ptr<Model>>> models;
    for (const auto& [known, model] : models) {
        if (known == name) return *model;
    }
    std::filesystem::current_path(KELVARO_EXAMPLES_DIR);
    std::FILE* file = std::fopen(name, "rt");
    if (file == nullptr) {
        std::fprintf(stderr, "cannot open examples/%s\n", name);
        std::exit(1);
    }
    try {
        models.emplace_back(name, std::make_unique<Model>(file));
    } catch (int code) {
        std::fprintf(stderr, "examples/%s: error %d\n", name, code);
        std::exit(1);
    }
    std::fclose(file);
    return *models.back().second;
}

// The start of every line of a request of linesPerCharge a charge, in the builders' order.
std::vector<LineStart> startsOf(const Model& model) {
    const std::unique_ptr<Vector3[]> seeds = readSeedDirections(linesPerCharge);
    if (!seeds) {
        std::fprintf(stderr, "cannot read ElectronData\n");
        std::exit(1);
    }
    std::vector<LineStart> starts;
    const double radius = model.chargeRadius();
    for (int c = 0; c < model.chargeCount(); ++c) {
        const Charge& charge = model.charges()[static_cast<std::size_t>(c)];
        for (int s = 0; s < linesPerCharge; ++s) {
            const Vector3 seed{static_cast<float>(seeds[s].x * radius), static_cast<float>(seeds[s].y * radius),
                               static_cast<float>(seeds[s].z * radius)};
            starts.push_back({sum(charge.position, seed), charge.value > 0.0 ? 1.0 : -1.0, c});
        }
    }
    return starts;
}

// The program's own line from `start`, as its builder traces it.
std::vector<Vector3> eulerLine(const Model& model, const LineStart& start) {
    PolyLine* line = create<PolyLine>(maxFieldLinePoints).detach();
    line->append(start.point);
    traceFieldLine(model, *line, start.sign, model.traceStep(), model.pointSpacing(), maxFieldLinePoints);
    std::vector<Vector3> points;
    for (std::int32_t i = 0; i < line->count(); ++i) points.push_back(line->point(i));
    line->release();
    return points;
}

double outsideBox(const Model& model, const Vector3& p) {
    const ABox& box = model.bounds();
    double farthest = 0.0;
    const float low[3] = {box.min.x, box.min.y, box.min.z}, high[3] = {box.max.x, box.max.y, box.max.z};
    const float at[3] = {p.x, p.y, p.z};
    for (int axis = 0; axis < 3; ++axis) {
        farthest = std::max({farthest, double(low[axis]) - at[axis], double(at[axis]) - high[axis]});
    }
    return farthest;
}

struct Score {
    int wrongEnds = 0;
    double largestStray = 0.0;  // as a fraction of the diagonal
    double farthestOutside = 0.0;
};

void score(const Model& model, const LineStart& start, const std::vector<Vector3>& line,
           const testing::ReferenceLine& reference, Score& into) {
    if (line.size() < 2) return;  // not drawn
    into.farthestOutside = std::max(into.farthestOutside, outsideBox(model, line.back()));
    if (testing::endOfLine(model, line.back(), start.charge) != reference.end) {
        ++into.wrongEnds;
        return;
    }
    into.largestStray = std::max(into.largestStray, testing::strayFrom(reference, line) / testing::boxDiagonal(model));
}

void accuracy(benchmark::State& state, const char* name) {
    const Model& model = example(name);
    const std::vector<LineStart> starts = startsOf(model);
    Score accurate, euler;
    for (auto _ : state) {
        const std::vector<std::vector<Vector3>> lines = traceAccurateLines(model, starts);
        accurate = euler = Score{};
        for (std::size_t i = 0; i < starts.size(); ++i) {
            const testing::ReferenceLine reference =
                testing::referenceFieldLine(model, starts[i].point, starts[i].sign, starts[i].charge);
            score(model, starts[i], lines[i], reference, accurate);
            score(model, starts[i], eulerLine(model, starts[i]), reference, euler);
        }
    }
    state.counters["lines"] = static_cast<double>(starts.size());
    state.counters["accurate_wrong_ends"] = accurate.wrongEnds;
    state.counters["accurate_stray_of_diagonal"] = accurate.largestStray;
    state.counters["accurate_outside"] = accurate.farthestOutside;
    state.counters["euler_wrong_ends"] = euler.wrongEnds;
    state.counters["euler_stray_of_diagonal"] = euler.largestStray;
    state.counters["euler_outside"] = euler.farthestOutside;
}

// Both tracers' whole request, one after the other in each iteration.
void cost(benchmark::State& state, const char* name) {
    const Model& model = example(name);
    const BuildOptions options{static_cast<int>(state.range(0)), false};
    double eulerMs = 0.0, accurateMs = 0.0;
    long eulerPoints = 0, accuratePoints = 0;
    const auto timed = [&](FieldLineMethod method, double& ms, long& points) {
        const auto start = std::chrono::steady_clock::now();
        const Ref<Group> lines = makeFieldLines(model, linesPerCharge, method, options);
        ms += std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start).count();
        points = 0;
        for (std::int32_t i = 0; i < lines->count(); ++i) points += static_cast<const PolyLine&>(lines->child(i)).count();
    };
    for (auto _ : state) {
        timed(FieldLineMethod::Euler, eulerMs, eulerPoints);
        timed(FieldLineMethod::Accurate, accurateMs, accuratePoints);
    }
    const auto runs = static_cast<double>(state.iterations());
    state.counters["threads"] = options.threadCount();
    state.counters["euler_ms"] = eulerMs / runs;
    state.counters["accurate_ms"] = accurateMs / runs;
    state.counters["cost_ratio"] = accurateMs / eulerMs;
    state.counters["euler_points"] = static_cast<double>(eulerPoints);
    state.counters["accurate_points"] = static_cast<double>(accuratePoints);
}

BENCHMARK_CAPTURE(accuracy, cloud, "cloud.txt")->Iterations(1)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(accuracy, dipole, "dipole.txt")->Iterations(1)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(cost, cloud, "cloud.txt")->Arg(1)->Arg(0)->MinTime(2.0)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
