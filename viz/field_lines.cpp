#include "viz/field_lines.h"

#include <algorithm>
#include <atomic>
#include <cmath>
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

// What the traces of one request share.
struct TraceSettings {
    const Model& model;
    std::span<const Vector3> seeds;  // scaled to the charge radius
    int linesPerCharge;
};

// The start point of trace `index`: charge index / linesPerCharge, seed index % linesPerCharge.
Vector3 startOf(const TraceSettings& settings, int index) {
    const Charge& charge = settings.model.charges()[index / settings.linesPerCharge];
    return sum(charge.position, settings.seeds[index % settings.linesPerCharge]);
}

double signOf(const TraceSettings& settings, int index) {
    return settings.model.charges()[index / settings.linesPerCharge].value > 0.0 ? 1.0 : -1.0;
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

// Traces every line of the request with the program's own tracer on the threads, keeping
// each that records more than one point.
void traceStepped(const TraceSettings& settings, const BuildOptions& options, TracedLines& traced) {
    const int total = static_cast<int>(traced.points.size());
    std::atomic<int> next{0};
    runWorkers(std::min(options.threadCount(), std::max(total, 1)), [&](bool) {
        traceSideBySide<SteppedJob>(
            settings.model, next, total,
            [&](int index, std::optional<SteppedJob>& slot) {
                slot.emplace(startOf(settings, index), signOf(settings, index), settings.model);
            },
            [&](int index, SteppedJob& job) {
                if (job.trace.recordedCount() > 1) traced.keep(index, job.line.points);
            });
    });
}

// Traces every line of the request accurately, on the reference path or the threads as
// `options` say, keeping each that holds more than one point.
void traceAccurately(const TraceSettings& settings, const BuildOptions& options, TracedLines& traced) {
    const int total = static_cast<int>(traced.points.size());
    std::vector<LineStart> starts(static_cast<std::size_t>(total));
    for (int index = 0; index < total; ++index) {
        starts[static_cast<std::size_t>(index)] = {startOf(settings, index), signOf(settings, index),
                                                   index / settings.linesPerCharge};
    }
    const std::vector<std::vector<Vector3>> lines = traceAccurateLines(settings.model, starts, options);
    for (int index = 0; index < total; ++index) {
        const std::vector<Vector3>& line = lines[static_cast<std::size_t>(index)];
        if (line.size() > 1) traced.keep(index, line);
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
        Ref<Group> result = create<Group>(20, 20);
        if (!result) return {};
        const auto linesPerCharge = static_cast<int>(seedDirections.size());
        std::vector<Vector3> seeds(seedDirections.size());
        const double radius = model.chargeRadius();
        for (int i = 0; i < linesPerCharge; ++i) {
            const Vector3& seed = seedDirections[i];
            seeds[i] = {static_cast<float>(seed.x * radius), static_cast<float>(seed.y * radius),
                        static_cast<float>(seed.z * radius)};
        }
        const Ref<PolyLine> working = create<PolyLine>(maxFieldLinePoints);
        if (!working) return {};
        working->setColor(fieldLineColor);
        const TraceSettings settings{model, seeds, linesPerCharge};
        const int total = model.chargeCount() * linesPerCharge;

        if (options.reference && method == FieldLineMethod::Euler) {
            for (int index = 0; index < total; ++index) {
                working->clear();
                working->append(startOf(settings, index));
                if (traceFieldLine(model, *working, signOf(settings, index), model.traceStep(), model.pointSpacing(),
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
            traceStepped(settings, options, traced);
        } else {
            traceAccurately(settings, options, traced);
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

}  // namespace kelvaro
