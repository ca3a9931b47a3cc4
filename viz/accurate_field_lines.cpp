#include "viz/accurate_field_lines.h"

#include <algorithm>
#include <atomic>
#include <cmath>
#include <limits>
#include <optional>
#include <utility>

#include "viz/side_by_side_traces.h"

namespace kelvaro {
namespace {

struct Vec {
    double x = 0.0, y = 0.0, z = 0.0;
};

Vec operator+(const Vec& a, const Vec& b) { return {a.x + b.x, a.y + b.y, a.z + b.z}; }
Vec operator-(const Vec& a, const Vec& b) { return {a.x - b.x, a.y - b.y, a.z - b.z}; }
Vec operator*(double s, const Vec& a) { return {s * a.x, s * a.y, s * a.z}; }
double dot(const Vec& a, const Vec& b) { return a.x * b.x + a.y * b.y + a.z * b.z; }
double length(const Vec& a) { return std::sqrt(dot(a, a)); }
double& component(Vec& v, int axis) { return axis == 0 ? v.x : axis == 1 ? v.y : v.z; }
double component(const Vec& v, int axis) { return axis == 0 ? v.x : axis == 1 ? v.y : v.z; }
Vec widened(const Vector3& p) { return {p.x, p.y, p.z}; }
Vector3 rounded(const Vec& p) { return {static_cast<float>(p.x), static_cast<float>(p.y), static_cast<float>(p.z)}; }
bool finite(const Vec& p) { return std::isfinite(p.x) && std::isfinite(p.y) && std::isfinite(p.z); }

// The Dormand-Prince pair 5(4). The field lines' equation does not depend on the
// parameter, so the stages' nodes are not needed. Row i holds the weights of the stages
// before stage i; the last row is also the fifth-order solution (the last stage is the
// field at the step's end, the first stage of the next step).
constexpr int stageCount = 7;
constexpr double stageWeights[stageCount][stageCount - 1] = {
    {},
    {1.0 / 5.0},
    {3.0 / 40.0, 9.0 / 40.0},
    {44.0 / 45.0, -56.0 / 15.0, 32.0 / 9.0},
    {19372.0 / 6561.0, -25360.0 / 2187.0, 64448.0 / 6561.0, -212.0 / 729.0},
    {9017.0 / 3168.0, -355.0 / 33.0, 46732.0 / 5247.0, 49.0 / 176.0, -5103.0 / 18656.0},
    {35.0 / 384.0, 0.0, 500.0 / 1113.0, 125.0 / 192.0, -2187.0 / 6784.0, 11.0 / 84.0},
};
// The fifth-order solution less the embedded fourth-order one.
constexpr double errorWeights[stageCount] = {71.0 / 57600.0,      0.0,           -71.0 / 16695.0, 71.0 / 1920.0,
                                             -17253.0 / 339200.0, 22.0 / 525.0, -1.0 / 40.0};
// The dense output of order 4 (Shampine's): the weight of stage i at the fraction t of
// the step is t (d[i][0] + t (d[i][1] + t (d[i][2] + t d[i][3]))); at t = 1 the weights
// of the fifth-order solution.
constexpr double denseWeights[stageCount][4] = {
    {1.0, -8048581381.0 / 2820520608.0, 8663915743.0 / 2820520608.0, -12715105075.0 / 11282082432.0},
    {0.0, 0.0, 0.0, 0.0},
    {0.0, 131558114200.0 / 32700410799.0, -68118460800.0 / 10900136933.0, 87487479700.0 / 32700410799.0},
    {0.0, -1754552775.0 / 470086768.0, 14199869525.0 / 1410260304.0, -10690763975.0 / 1880347072.0},
    {0.0, 127303824393.0 / 49829197408.0, -318862633887.0 / 49829197408.0, 701980252875.0 / 199316789632.0},
    {0.0, -282668133.0 / 205662961.0, 2019193451.0 / 616988883.0, -1453857185.0 / 822651844.0},
    {0.0, 40617522.0 / 29380423.0, -110615467.0 / 29380423.0, 69997945.0 / 29380423.0},
};

// Step control: the next step is the present one times 0.8 / error^(1/5), within these
// bounds (no growth right after a rejection).
constexpr double safety = 0.8;
constexpr double largestGrowth = 5.0;
constexpr double smallestShrink = 0.2;

// Sizes as fractions of the box's diagonal: the longest step (so that the dense output
// stays a good guide to the crossings), the step below which a line is taken to have run
// into a point where the field vanishes, the longest chord between drawn points, and the
// spacing below which a step's end is not drawn while the line runs straight on.
constexpr double maxStepFraction = 0.25;
constexpr double minStepFraction = 1e-9;
constexpr double maxChordFraction = 0.02;
constexpr double minSpacingFraction = 0.002;
// The most the direction turns between drawn points, as the distance between the unit
// directions: 2 sin(2 degrees), a turn of four degrees.
constexpr double maxTurnChord = 0.06979899340500194;
// Steps may reach this share of the charge radius into a charge's stop distance, so that a
// line that heads straight for a charge (where the error estimate is no guide) meets it.
constexpr double reachIntoCharge = 0.1;
// Near a point where the field vanishes, neighbouring lines part, and a small error there
// decides where a line goes. A line that meets a field weaker than this share of the sum
// of the charges' separate fields is traced again with its tolerance this much smaller.
constexpr double nearlyVanishing = 0.05;
constexpr double closerTolerance = 0.01;
// Bounds on the work and the points of one line; a sound line takes some tens of steps.
constexpr long maxSteps = 20000;
constexpr std::size_t maxPoints = 10000;
// Where each accepted step is looked at for a crossing, as fractions of the step.
constexpr double crossingChecks[] = {0.25, 0.5, 0.75, 1.0};

// x^(1/5) for a finite x > 0, with only the operations that round alike in every build (a
// library's pow may not): x = m 2^e with m in [0.5, 1), 2^(e/5) from a table of the fifth
// roots of the powers of 2, and m^(1/5) by Newton's steps from 1.
double fifthRoot(double x) {
    constexpr double rootsOfTwo[5] = {1.0, 1.148698354997035, 1.3195079107728942, 1.515716566510398,
                                      1.7411011265922482};  // 2^(k/5)
    int exponent = 0;
    const double mantissa = std::frexp(x, &exponent);
    int whole = exponent / 5, rest = exponent % 5;
    if (rest < 0) {
        rest += 5;
        --whole;
    }
    double root = 1.0;
    for (int step = 0; step < 5; ++step) {
        const double square = root * root;
        root = 0.8 * root + mantissa / (5.0 * square * square);
    }
    return std::ldexp(root * rootsOfTwo[rest], whole);
}

// The factor by which a step whose error is `error` (in units of the tolerance) is scaled.
double stepFactor(double error) {
    if (!(error > 0.0)) return std::isnan(error) ? smallestShrink : largestGrowth;
    if (error > 1e6) return smallestShrink;
    return std::clamp(safety / fifthRoot(error), smallestShrink, largestGrowth);
}

// What every trace of one model shares.
struct Frame {
    Vec low, high;  // the box
    std::vector<Vec> charges;
    std::vector<double> chargeX, chargeY, chargeZ;  // the same by column
    double radius = 0.0;
    double radiusSquared = 0.0;
    double tolerance = 0.0;
    double maxStep = 0.0, minStep = 0.0, maxChord = 0.0, minSpacing = 0.0;
    bool usable = false;  // a box with a diagonal of finite, nonzero length
};

Frame frameOf(const Model& model) {
    Frame frame;
    frame.low = widened(model.bounds().min);
    frame.high = widened(model.bounds().max);
    for (const Charge& charge : model.charges()) {
        frame.charges.push_back(widened(charge.position));
        frame.chargeX.push_back(charge.position.x);
        frame.chargeY.push_back(charge.position.y);
        frame.chargeZ.push_back(charge.position.z);
    }
    frame.radius = model.chargeRadius();
    frame.radiusSquared = model.chargeRadiusSquared();
    const double diagonal = length(frame.high - frame.low);
    frame.usable = diagonal > 0.0 && std::isfinite(diagonal);
    frame.tolerance = accurateStepTolerance * diagonal;
    frame.maxStep = maxStepFraction * diagonal;
    frame.minStep = minStepFraction * diagonal;
    frame.maxChord = maxChordFraction * diagonal;
    frame.minSpacing = minSpacingFraction * diagonal;
    return frame;
}

// Why a line stops at a point: it has left the box through a face, or it is within the
// stop distance of a charge. Each condition is a function that is positive where it holds.
struct StopCondition {
    enum class Kind { Face, Charge } kind;
    int index;  // the face (axis * 2, + 1 for the high face), or the charge
};

class AccurateTrace {
public:
    using Point = Vector3d;
    using Field = PreciseField;
    static constexpr bool wantsStopTests = false;

    AccurateTrace(const Frame& frame, const LineStart& start)
        : frame_(frame), start_(start), tolerance_(frame.tolerance), squared_(frame.charges.size()) {
        restart();
    }

    bool done() const { return done_; }
    const Vector3d& query() const { return query_; }
    void supply(const PreciseField& field, bool = false);
    std::vector<Vector3> takePoints() { return std::move(points_); }

private:
    void restart();
    double value(const StopCondition& condition, const Vec& p) const;
    bool stopsAt(const Vec& p) const;
    std::vector<StopCondition> conditionsAt(const Vec& p) const;
    void arriveAt(const Vec& p);
    void noteNearCharges();
    void beginStep();
    void askStage();
    void completeStep();
    void retry(double factor);
    Vec dense(double fraction) const;
    bool endIfStopped(const Vec& stepEnd);
    void draw(double fraction, const Vec& end, bool lineEnds);
    void append(const Vec& p);
    void finish(const Vec& end);

    const Frame& frame_;
    const LineStart start_;
    double tolerance_;
    Vector3d query_;
    Vec y_;                  // the line's present end
    Vec k_[stageCount];      // the stages' directions of the step being made
    double h_ = 0.0;         // its length
    int stage_ = 0;          // the stage whose field is asked for (0: the start's)
    bool rejected_ = false;  // the present step was rejected once already
    long steps_ = 0;
    std::vector<double> squared_;   // the squared distances from y_ to the charges
    double limit_ = 0.0;            // the longest step from y_
    double clearance_ = 0.0;        // how far y_ is from the box's faces and the charges' stop distances
    std::vector<int> nearCharges_;  // the charges that the present step may reach
    double weakest_ = 1.0;          // the weakest field met, as a share of the separate fields' sum
    Vec lastDrawn_;
    Vec directionDrawn_;  // the direction at the last drawn step end
    std::vector<Vector3> points_;
    bool done_ = false;
};

// Starts the line afresh from its start point, at the present tolerance.
void AccurateTrace::restart() {
    points_.assign(1, start_.point);
    lastDrawn_ = widened(start_.point);
    stage_ = 0;
    steps_ = 0;
    rejected_ = false;
    arriveAt(lastDrawn_);
    query_ = {y_.x, y_.y, y_.z};
    h_ = frame_.radius;  // the stop distances a start may lie in
    noteNearCharges();
    done_ = !frame_.usable || !finite(y_) || stopsAt(y_);
}

double AccurateTrace::value(const StopCondition& condition, const Vec& p) const {
    if (condition.kind == StopCondition::Kind::Face) {
        const int axis = condition.index / 2;
        return condition.index % 2 == 1 ? component(p, axis) - component(frame_.high, axis)
                                        : component(frame_.low, axis) - component(p, axis);
    }
    const Vec d = p - frame_.charges[static_cast<std::size_t>(condition.index)];
    const double squared = dot(d, d);
    // A distance that is not a number counts as inside, as in Model::isStopPoint.
    return squared >= frame_.radiusSquared ? frame_.radiusSquared - squared : 1.0;
}

// Whether the line stops at `p`: outside the box, or within the stop distance of one of
// the charges noted as near.
bool AccurateTrace::stopsAt(const Vec& p) const {
    for (int axis = 0; axis < 3; ++axis) {
        const double at = component(p, axis);
        if (!(at >= component(frame_.low, axis) && at <= component(frame_.high, axis))) return true;
    }
    return std::any_of(nearCharges_.begin(), nearCharges_.end(),
                       [&](int charge) { return value({StopCondition::Kind::Charge, charge}, p) > 0.0; });
}

// The conditions that hold at `p`.
std::vector<StopCondition> AccurateTrace::conditionsAt(const Vec& p) const {
    std::vector<StopCondition> holding;
    for (int face = 0; face < 6; ++face) {
        const StopCondition condition{StopCondition::Kind::Face, face};
        if (!(value(condition, p) <= 0.0)) holding.push_back(condition);
    }
    for (const int charge : nearCharges_) {
        const StopCondition condition{StopCondition::Kind::Charge, charge};
        if (value(condition, p) > 0.0) holding.push_back(condition);
    }
    return holding;
}

// The line's end is now `p`. The longest step from there reaches only a little way into
// the nearest charge's stop distance (and is at most maxStep). The charge the line starts
// round never ends it: a line cannot come back to the charge it leaves.
void AccurateTrace::arriveAt(const Vec& p) {
    y_ = p;
    const std::size_t count = squared_.size();
    for (std::size_t i = 0; i < count; ++i) {
        const double dx = p.x - frame_.chargeX[i], dy = p.y - frame_.chargeY[i], dz = p.z - frame_.chargeZ[i];
        squared_[i] = dx * dx + dy * dy + dz * dz;
    }
    if (start_.charge >= 0) squared_[static_cast<std::size_t>(start_.charge)] = std::numeric_limits<double>::infinity();
    double nearest = std::numeric_limits<double>::infinity();
    for (const double squared : squared_) nearest = std::min(nearest, squared);
    nearest = std::sqrt(nearest);
    const double reach = nearest - (1.0 - reachIntoCharge) * frame_.radius;
    limit_ = std::min(frame_.maxStep, std::max(reach, reachIntoCharge * frame_.radius));
    clearance_ = nearest - frame_.radius;
    for (int axis = 0; axis < 3; ++axis) {
        clearance_ = std::min({clearance_, component(p, axis) - component(frame_.low, axis),
                               component(frame_.high, axis) - component(p, axis)});
    }
}

// Notes the charges that a step of length h_ from y_ may reach: its points (and those of
// its dense output) lie within 1.66 h_ of y_, as the weights' magnitudes sum to no more.
void AccurateTrace::noteNearCharges() {
    const double within = 2.0 * h_ + frame_.radius;
    nearCharges_.clear();
    for (std::size_t i = 0; i < squared_.size(); ++i) {
        if (squared_[i] <= within * within) nearCharges_.push_back(static_cast<int>(i));
    }
}

void AccurateTrace::supply(const PreciseField& given, bool) {
    if (done_) return;
    const Vec field{given.field.x, given.field.y, given.field.z};
    const double size = length(field);
    const bool defined = size > 0.0 && std::isfinite(size);
    if (defined && given.separateSum > 0.0) weakest_ = std::min(weakest_, size / given.separateSum);
    if (!defined) {
        if (stage_ == 0) {
            finish(y_);  // no line starts where the field vanishes
        } else {
            retry(smallestShrink);  // a stage met a point where the field vanishes
        }
        return;
    }
    const Vec direction = (start_.sign / size) * field;
    if (stage_ == 0) {  // the field at the start
        k_[0] = directionDrawn_ = direction;
        h_ = std::min(frame_.radius, frame_.maxStep);
        beginStep();
        return;
    }
    k_[stage_] = direction;
    if (stage_ + 1 < stageCount) {
        ++stage_;
        askStage();
    } else {
        completeStep();
    }
}

void AccurateTrace::beginStep() {
    h_ = std::min(h_, limit_);
    stage_ = 1;
    askStage();
}

void AccurateTrace::askStage() {
    Vec along;
    for (int j = 0; j < stage_; ++j) along = along + stageWeights[stage_][j] * k_[j];
    const Vec at = y_ + h_ * along;
    query_ = {at.x, at.y, at.z};
}

void AccurateTrace::retry(double factor) {
    h_ *= factor;
    rejected_ = true;
    if (h_ < frame_.minStep) {
        finish(y_);  // the field vanishes here: the line goes no further
        return;
    }
    beginStep();
}

void AccurateTrace::completeStep() {
    Vec along, error;
    for (int j = 0; j + 1 < stageCount; ++j) along = along + stageWeights[stageCount - 1][j] * k_[j];
    for (int j = 0; j < stageCount; ++j) error = error + errorWeights[j] * k_[j];
    const Vec end = y_ + h_ * along;
    const double size = h_ * length(error) / tolerance_;
    if (!(size <= 1.0) || !finite(end)) {
        retry(std::min(stepFactor(size), safety));
        return;
    }
    const double factor = rejected_ ? std::min(stepFactor(size), 1.0) : stepFactor(size);
    if (dot(k_[0], k_[stageCount - 1]) < 0.0) {
        // The direction turned back within the step: it passed a point where the field
        // vanishes, and a line goes no further than that.
        finish(y_);
        return;
    }
    if (endIfStopped(end)) return;
    draw(1.0, end, false);
    k_[0] = k_[stageCount - 1];
    h_ *= factor;
    rejected_ = false;
    if (++steps_ == maxSteps || points_.size() >= maxPoints) {
        finish(end);
        return;
    }
    arriveAt(end);
    beginStep();
}

Vec AccurateTrace::dense(double fraction) const {
    Vec along;
    for (int i = 0; i < stageCount; ++i) {
        const double* d = denseWeights[i];
        const double weight = fraction * (d[0] + fraction * (d[1] + fraction * (d[2] + fraction * d[3])));
        along = along + weight * k_[i];
    }
    return y_ + h_ * along;
}

// When the accepted step from y_ to `stepEnd` leaves the box or meets a charge, ends the
// line exactly where it first does so and answers true.
bool AccurateTrace::endIfStopped(const Vec& stepEnd) {
    if (2.0 * h_ < clearance_) return false;
    noteNearCharges();
    double previous = 0.0;
    for (const double fraction : crossingChecks) {
        const Vec at = fraction == 1.0 ? stepEnd : dense(fraction);
        if (!stopsAt(at)) {
            previous = fraction;
            continue;
        }
        // Each condition holds at `fraction` and not at `previous`: the first crossing is
        // the earliest of their roots, found by bisection on the dense output.
        const std::vector<StopCondition> holding = conditionsAt(at);
        double first = fraction;
        StopCondition reason = holding.front();
        for (const StopCondition& condition : holding) {
            double below = previous, above = fraction;
            for (int halving = 0; halving < 64; ++halving) {
                const double middle = 0.5 * (below + above);
                if (!(middle > below && middle < above)) break;
                (value(condition, dense(middle)) > 0.0 ? above : below) = middle;
            }
            if (below < first) {
                first = below;
                reason = condition;
            }
        }
        Vec end = dense(first);
        if (reason.kind == StopCondition::Kind::Face) {
            const int axis = reason.index / 2;
            component(end, axis) = component(reason.index % 2 == 1 ? frame_.high : frame_.low, axis);
            for (int other = 0; other < 3; ++other) {
                component(end, other) = std::clamp(component(end, other), component(frame_.low, other),
                                                   component(frame_.high, other));
            }
        } else {
            const Vec& charge = frame_.charges[static_cast<std::size_t>(reason.index)];
            const Vec out = end - charge;
            const double distance = length(out);
            if (distance > 0.0) end = charge + (frame_.radius / distance) * out;
        }
        draw(first, end, true);
        return true;
    }
    return false;
}

// Draws the accepted step from y_ up to `fraction` of it, which ends at `end`: points
// within it wherever the step is longer than a chord or turns more than the drawing
// allows, and its end unless the line runs straight on and that end is close to the last
// point drawn (the end of a line is always drawn).
void AccurateTrace::draw(double fraction, const Vec& end, bool lineEnds) {
    const double stepLength = h_ * fraction;
    // How far the direction turns within the step: along the stages in the order of their
    // places in it (the first at its start, then 1/5, 3/10, 4/5, 8/9, the last at its end).
    const double turn = (length(k_[1] - k_[0]) + length(k_[2] - k_[1]) + length(k_[3] - k_[2]) +
                         length(k_[4] - k_[3]) + length(k_[stageCount - 1] - k_[4])) *
                        fraction;
    // No two points closer than a quarter of the spacing below which straight runs are not
    // drawn: where the field vanishes the stages point every way, and the turn means nothing.
    const double needed = std::min(std::max(std::ceil(stepLength / frame_.maxChord), std::ceil(turn / maxTurnChord)),
                                   std::ceil(4.0 * stepLength / frame_.minSpacing));
    const int pieces = std::isfinite(needed) ? static_cast<int>(std::clamp(needed, 1.0, 1000.0)) : 1;
    for (int i = 1; i < pieces; ++i) append(dense(fraction * i / pieces));
    if (lineEnds) {
        finish(end);
        return;
    }
    const bool straightOn = length(k_[stageCount - 1] - directionDrawn_) < 0.25 * maxTurnChord;
    if (pieces == 1 && straightOn && length(end - lastDrawn_) < frame_.minSpacing) return;
    append(end);
    directionDrawn_ = k_[stageCount - 1];
}

void AccurateTrace::append(const Vec& p) {
    const Vector3 point = rounded(p);
    const Vector3& last = points_.back();
    lastDrawn_ = p;
    if (point.x != last.x || point.y != last.y || point.z != last.z) points_.push_back(point);
}

// Ends the line at `end`; but a line that met a nearly vanishing field at the first
// tolerance is traced again at the closer one.
void AccurateTrace::finish(const Vec& end) {
    if (weakest_ < nearlyVanishing && tolerance_ == frame_.tolerance) {
        tolerance_ = closerTolerance * frame_.tolerance;
        restart();
        return;
    }
    append(end);
    done_ = true;
}

}  // namespace

std::vector<std::vector<Vector3>> traceAccurateLines(const Model& model, std::span<const LineStart> starts,
                                                     const BuildOptions& options) {
    const Frame frame = frameOf(model);
    std::vector<std::vector<Vector3>> lines(starts.size());
    const auto total = static_cast<int>(starts.size());
    if (options.reference) {
        for (int i = 0; i < total; ++i) {
            AccurateTrace trace(frame, starts[static_cast<std::size_t>(i)]);
            while (!trace.done()) trace.supply(model.preciseFieldAt(trace.query()));
            lines[static_cast<std::size_t>(i)] = trace.takePoints();
        }
        return lines;
    }
    std::atomic<int> next{0};
    runWorkers(std::min(options.threadCount(), std::max(total, 1)), [&](bool) {
        traceSideBySide<AccurateTrace>(
            model, next, total,
            [&](int index, std::optional<AccurateTrace>& slot) { slot.emplace(frame, starts[static_cast<std::size_t>(index)]); },
            [&](int index, AccurateTrace& trace) { lines[static_cast<std::size_t>(index)] = trace.takePoints(); });
    });
    return lines;
}

}  // namespace kelvaro
