#include "viz/field_lines.h"

#include <algorithm>
#include <atomic>
#include <cmath>
#include <map>
#include <memory>
#include <new>
#include <optional>
#include <span>
#include <utility>
#include <vector>

#include "model/model_colors.h"
#include "scene/attribute_set.h"
#include "viz/accurate_field_lines.h"
#include "viz/seed_directions.h"
#include "viz/side_by_side_traces.h"

namespace kelvaro {
namespace {

// The turning thresholds of the step control, from the same value of pi as ever.
constexpr double tenDegrees = 10.0 * 3.1415926 / 180.0;
constexpr double oneDegree = 3.1415926 / 180.0;

// A trace whose candidates no longer move (a line that runs into a point where the field
// vanishes) or whose step oscillates records nothing and would never end. A sound line
// needs a few passes per recorded point, at most some tens near a charge, so this bound
// on passes per allowed point is never reached by one.
constexpr long passesPerPoint = 200;

double distance(const Vector3& a, const Vector3& b) {
    const Vector3 d = difference(a, b);
    const double x = d.x;
    const double y = d.y;
    const double z = d.z;
    return std::sqrt(x * x + y * y + z * z);
}

Vector3 normalized(Vector3 v) {
    normalize(v);
    return v;
}

// One trace as a search that asks for the field (and the stop test) at one point at a
// time, so that many traces can run side by side with their fields computed together.
// It appends the points it records to `line` (a PointArray or any class with its append).
template <class Points>
class FieldLineTrace {
public:
    // Starts from `start`, the one point `line` holds; the first question is the field there.
    FieldLineTrace(Points& line, const Vector3& start, double sign, double step, double spacing, int maxPoints)
        : line_(line),
          spacing_(spacing),
          maxPoints_(maxPoints),
          maxPasses_(passesPerPoint * std::max(maxPoints, 1)),
          current_(start),
          recorded_(current_),
          candidate_(current_),
          h_(sign * step) {}

    bool done() const { return done_; }
    // The point whose field the trace wants next.
    const Vector3& query() const { return started_ ? candidate_ : current_; }
    // Whether it also wants the stop test there (not at the start point).
    bool wantsStopTest() const { return started_; }
    // Gives the field at query() and, when wanted, whether it is a stop point.
    void supply(const Vector3& field, bool stop);
    // Appends made or attempted so far.
    unsigned recordedCount() const { return recordedCount_; }

private:
    void propose() { candidate_ = sum(current_, scaled(direction_, static_cast<float>(h_))); }
    void step(const Vector3& field);
    void finish(bool cutOff);

    Points& line_;
    const double spacing_;
    const int maxPoints_;
    const long maxPasses_;
    Vector3 current_;
    Vector3 direction_;
    Vector3 recorded_;
    Vector3 candidate_;
    double h_;
    unsigned recordedCount_ = 0;
    long pass_ = 0;
    bool started_ = false;
    bool done_ = false;
};

template <class Points>
void FieldLineTrace<Points>::supply(const Vector3& field, bool stop) {
    if (!started_) {
        direction_ = normalized(field);
        started_ = true;
        propose();
        return;
    }
    step(field);
    if (stop || static_cast<long>(recordedCount_) >= maxPoints_) {
        finish(false);
    } else if (++pass_ == maxPasses_) {
        finish(true);
    } else {
        propose();
    }
}

// One pass with the field at the candidate: the step control, and the record of an
// accepted candidate far enough from the last recorded point.
template <class Points>
void FieldLineTrace<Points>::step(const Vector3& field) {
    const Vector3 next = normalized(field);
    const float turn = direction_.x * next.x + direction_.y * next.y + direction_.z * next.z;
    bool accepted = true;
    if (turn > 1.0f) {
        h_ *= 2.0;
    } else {
        // std::max keeps a not-a-number turn, which then neither grows nor shrinks the step.
        const double angle = std::acos(std::max(static_cast<double>(turn), -1.0));
        if (angle > tenDegrees) {
            h_ *= 0.45;
            accepted = false;
        } else if (angle < oneDegree) {
            h_ *= 2.0;
        }
    }
    if (!accepted) return;
    current_ = candidate_;
    direction_ = next;
    if (distance(candidate_, recorded_) > spacing_) {
        recorded_ = candidate_;
        ++recordedCount_;
        line_.append(candidate_);
    }
}

// The line ends on the point where the stop test fired; a trace cut off by the bound on
// passes keeps only what it recorded.
template <class Points>
void FieldLineTrace<Points>::finish(bool cutOff) {
    if (!cutOff && distance(candidate_, recorded_) > 0.0) {
        ++recordedCount_;
        line_.append(candidate_);
    }
    done_ = true;
}

// The points of a line being traced on a worker: like a PointArray of capacity
// maxFieldLinePoints (appends beyond it are dropped), but holding only what it needs.
struct GrowingPoints {
    std::vector<Vector3> points;
    void append(const Vector3& p) {
        if (points.size() < static_cast<std::size_t>(maxFieldLinePoints)) points.push_back(p);
    }
};

// One trace of the program's own tracer with its points, traced side by side with others.
struct SteppedJob {
    using Point = Vector3;
    using Field = Vector3;
    static constexpr bool wantsStopTests = true;

    SteppedJob(const Vector3& start, double sign, const Model& model)
        : line{{start}}, trace(line, start, sign, model.traceStep(), model.pointSpacing(), maxFieldLinePoints) {}
    SteppedJob(const SteppedJob&) = delete;
    SteppedJob& operator=(const SteppedJob&) = delete;

    bool done() const { return trace.done(); }
    const Vector3& query() const { return trace.query(); }
    void supply(const Vector3& field, bool stop) { trace.supply(field, stop); }

    GrowingPoints line;
    FieldLineTrace<GrowingPoints> trace;
};

// The traced lines of a request: the points of line i in exactly-sized storage, or null
// for a line that is not kept.
struct TracedLines {
    explicit TracedLines(int total) : points(static_cast<std::size_t>(total)), counts(points.size()) {}
    std::vector<std::unique_ptr<Vector3[]>> points;
    std::vector<std::int32_t> counts;

    void keep(int index, const std::vector<Vector3>& line) {
        auto exact = std::make_unique<Vector3[]>(line.size());
        std::copy(line.begin(), line.end(), exact.get());
        points[static_cast<std::size_t>(index)] = std::move(exact);
        counts[static_cast<std::size_t>(index)] = static_cast<std::int32_t>(line.size());
    }
};

// Traces every line from `starts` with the program's own tracer on the threads, keeping
// each that records more than one point.
void traceStepped(const Model& model, std::span<const LineStart> starts, const BuildOptions& options,
                  TracedLines& traced) {
    const int total = static_cast<int>(traced.points.size());
    std::atomic<int> next{0};
    runWorkers(std::min(options.threadCount(), std::max(total, 1)), [&](bool) {
        traceSideBySide<SteppedJob>(
            model, next, total,
            [&](int index, std::optional<SteppedJob>& slot) {
                const LineStart& start = starts[static_cast<std::size_t>(index)];
                slot.emplace(start.point, start.sign, model);
            },
            [&](int index, SteppedJob& job) {
                if (job.trace.recordedCount() > 1) traced.keep(index, job.line.points);
            });
    });
}

// Traces every line from `starts` accurately, on the reference path or the threads as
// `options` say, keeping each that holds more than one point.
void traceAccurately(const Model& model, std::span<const LineStart> starts, const BuildOptions& options,
                     TracedLines& traced) {
    const std::vector<std::vector<Vector3>> lines = traceAccurateLines(model, starts, options);
    for (std::size_t index = 0; index < lines.size(); ++index) {
        if (lines[index].size() > 1) traced.keep(static_cast<int>(index), lines[index]);
    }
}

}  // namespace

unsigned traceFieldLine(const Model& model, PointArray& line, double sign, double step, double spacing, int maxPoints) {
    FieldLineTrace trace(line, line.point(0), sign, step, spacing, maxPoints);
    while (!trace.done()) {
        const Vector3 at = trace.query();
        trace.supply(model.fieldAt(at), trace.wantsStopTest() && model.isStopPoint(at));
    }
    return trace.recordedCount();
}

Ref<Group> makeFieldLines(const Model& model, int linesPerCharge, const BuildOptions& options) {
    return makeFieldLines(model, linesPerCharge, FieldLineMethod::Euler, options);
}

void appendChargeStarts(const Model& model, int charge, std::span<const Vector3> seedDirections,
                        std::vector<LineStart>& starts) {
    const Charge& from = model.charges()[static_cast<std::size_t>(charge)];
    const double radius = model.chargeRadius();
    const double sign = from.value > 0.0 ? 1.0 : -1.0;
    for (const Vector3& seed : seedDirections) {
        const Vector3 scaledSeed{static_cast<float>(seed.x * radius), static_cast<float>(seed.y * radius),
                                 static_cast<float>(seed.z * radius)};
        starts.push_back({sum(from.position, scaledSeed), sign, charge});
    }
}

Ref<Group> makeFieldLines(const Model& model, std::span<const Vector3> seedDirections, const BuildOptions& options) {
    return makeFieldLines(model, seedDirections, FieldLineMethod::Euler, options);
}

Ref<Group> makeFieldLines(const Model& model, int linesPerCharge, FieldLineMethod method, const BuildOptions& options) {
    const std::unique_ptr<Vector3[]> seeds = readSeedDirections(linesPerCharge);
    if (!seeds) return {};
    return makeFieldLines(model, std::span(seeds.get(), static_cast<std::size_t>(linesPerCharge)), method, options);
}

Ref<Group> makeFieldLines(const Model& model, std::span<const Vector3> seedDirections, FieldLineMethod method,
                          const BuildOptions& options) {
    try {
        std::vector<LineStart> starts;
        starts.reserve(static_cast<std::size_t>(model.chargeCount()) * seedDirections.size());
        for (int charge = 0; charge < model.chargeCount(); ++charge)
            appendChargeStarts(model, charge, seedDirections, starts);
        return traceFieldLines(model, starts, method, options);
    } catch (const std::bad_alloc&) {
        return {};
    }
}

Ref<Group> traceFieldLines(const Model& model, std::span<const LineStart> starts, FieldLineMethod method,
                           const BuildOptions& options) {
    try {
        Ref<Group> result = create<Group>(20, 20);
        if (!result) return {};
        const Ref<PolyLine> working = create<PolyLine>(maxFieldLinePoints);
        if (!working) return {};
        working->setColor(fieldLineColor);
        const auto total = static_cast<int>(starts.size());

        if (options.reference && method == FieldLineMethod::Euler) {
            for (const LineStart& start : starts) {
                working->clear();
                working->append(start.point);
                if (traceFieldLine(model, *working, start.sign, model.traceStep(), model.pointSpacing(),
                                   maxFieldLinePoints) > 1) {
                    // The copy holds its points in exactly-sized storage and shares the working set.
                    const Ref<PolyLine> copy = create<PolyLine>(std::as_const(*working));
                    if (!copy) return {};  // no partial group
                    result->add(*copy);
                }
            }
            return result;
        }

        TracedLines traced(total);
        if (method == FieldLineMethod::Euler) {
            traceStepped(model, starts, options, traced);
        } else {
            traceAccurately(model, starts, options, traced);
        }
        for (int index = 0; index < total; ++index) {
            if (!traced.points[index]) continue;
            // The traced points, exactly sized, become the line's own; it shares the working set.
            const Ref<PolyLine> line = create<PolyLine>(std::move(traced.points[index]), traced.counts[index]);
            if (!line) return {};  // no partial group
            line->setAttributes(Ref<AttributeSet>::share(working->attributes()));
            result->add(*line);
        }
        return result;
    } catch (const std::bad_alloc&) {
        return {};
    }
}

std::vector<int> proportionalLineCounts(const Model& model, int linesForLargest) {
    double largest = 0.0;
    for (const Charge& charge : model.charges()) largest = std::max(largest, std::fabs(charge.value));
    std::vector<int> counts;
    for (const Charge& charge : model.charges()) {
        int count = 0;
        if (charge.value != 0.0 && largest > 0.0) {
            const double share = std::fabs(charge.value) / largest;
            count = std::max(1, static_cast<int>(std::lround(linesForLargest * share)));
        }
        counts.push_back(count);
    }
    return counts;
}

Ref<Group> makeProportionalFieldLines(const Model& model, int linesForLargest, FieldLineMethod method,
                                      const SeedReader& readSeeds, const BuildOptions& options) {
    try {
        const std::vector<int> counts = proportionalLineCounts(model, linesForLargest);
        std::map<int, std::unique_ptr<Vector3[]>> sets;  // one read for each count
        std::vector<LineStart> starts;
        for (int charge = 0; charge < model.chargeCount(); ++charge) {
            const int count = counts[static_cast<std::size_t>(charge)];
            if (count == 0) continue;
            std::unique_ptr<Vector3[]>& set = sets[count];
            if (!set) set = readSeeds(count);
            if (!set) return {};
            appendChargeStarts(model, charge, std::span(set.get(), static_cast<std::size_t>(count)), starts);
        }
        return traceFieldLines(model, starts, method, options);
    } catch (const std::bad_alloc&) {
        return {};
    }
}

Ref<Group> makeProportionalFieldLines(const Model& model, int linesForLargest, FieldLineMethod method,
                                      const BuildOptions& options) {
    return makeProportionalFieldLines(
        model, linesForLargest, method, [](int count) { return readSeedDirections(count); }, options);
}

}  // namespace kelvaro
