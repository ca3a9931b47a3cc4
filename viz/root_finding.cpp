#include "viz/root_finding.h"

#include <algorithm>
#include <cmath>
#include <vector>

namespace kelvaro {
namespace {

constexpr int maxIterations = 100;

// Segments per task of the fast path.
constexpr int segmentsPerTask = 256;

bool sameStrictSign(double u, double v) { return (u > 0.0 && v > 0.0) || (u < 0.0 && v < 0.0); }

bool samePoint(const Vector3& p, const Vector3& q) { return p.x == q.x && p.y == q.y && p.z == q.z; }

// The potential at `point`, the segment's point at `argument`, when the segment carries it:
// at an end of the segment (+0 and -0 give the same distances, so the same potential).
const double* knownPotential(const Segment& segment, double argument, const Vector3& point) {
    if (!segment.endsKnown) return nullptr;
    if (argument == 0.0 && samePoint(point, segment.a)) return &segment.atA;
    if (argument == 1.0 && samePoint(point, segment.b)) return &segment.atB;
    return nullptr;
}

// Runs the searches of all `segments` side by side: each round asks every unfinished
// search for its next argument and computes the potentials of all those points together.
void findCrossingsTogether(const Model& model, std::span<const Segment> segments, double potential,
                           std::optional<Vector3>* out) {
    std::vector<RootSearch> searches(segments.size(), RootSearch(0.0, 1.0));
    std::vector<int> searching(segments.size());
    for (std::size_t i = 0; i < segments.size(); ++i) searching[i] = static_cast<int>(i);
    std::vector<Vector3> points(segments.size());
    std::vector<int> pointOf(segments.size());  // index into points, or -1 for a known potential
    std::vector<double> values(segments.size());
    std::vector<double> evaluated(segments.size());
    while (!searching.empty()) {
        std::size_t count = 0;
        for (std::size_t k = 0; k < searching.size(); ++k) {
            const Segment& segment = segments[searching[k]];
            const double argument = searches[searching[k]].argument();
            const Vector3 point = pointOnSegment(segment.a, segment.b, argument);
            if (const double* known = knownPotential(segment, argument, point)) {
                values[k] = *known;
                pointOf[k] = -1;
            } else {
                pointOf[k] = static_cast<int>(count);
                points[count++] = point;
            }
        }
        model.potentialsAt(std::span(points.data(), count), evaluated.data());
        std::size_t kept = 0;
        for (std::size_t k = 0; k < searching.size(); ++k) {
            RootSearch& search = searches[searching[k]];
            search.supply((pointOf[k] < 0 ? values[k] : evaluated[pointOf[k]]) - potential);
            if (search.state() == RootSearch::State::Searching) searching[kept++] = searching[k];
        }
        searching.resize(kept);
    }
    for (std::size_t i = 0; i < segments.size(); ++i) {
        if (searches[i].state() == RootSearch::State::Found) {
            out[i] = pointOnSegment(segments[i].a, segments[i].b, searches[i].root());
        } else {
            out[i].reset();
        }
    }
}

}  // namespace

RootSearch::RootSearch(double lower, double upper) : argument_(lower), a_(lower), b_(upper), c_(upper) {}

void RootSearch::supply(double value) {
    if (!lowerKnown_) {  // f(lower); f(upper) comes next
        fa_ = value;
        lowerKnown_ = true;
        argument_ = b_;
        return;
    }
    fb_ = value;
    if (!bracketed_) {
        if (sameStrictSign(fa_, fb_)) {
            state_ = State::Failed;
            return;
        }
        bracketed_ = true;
        fc_ = fb_;
        d_ = b_ - a_;
        e_ = d_;
    }
    iterate();
}

// One iteration from a fresh f(b): ends the search or moves b and asks for f(b).
void RootSearch::iterate() {
    if (iteration_ == maxIterations) {
        state_ = State::Failed;
        return;
    }
    ++iteration_;
    if (sameStrictSign(fb_, fc_)) {
        c_ = a_;
        fc_ = fa_;
        e_ = d_ = b_ - a_;
    }
    if (std::abs(fc_) < std::abs(fb_)) {  // b becomes the best estimate
        a_ = b_;
        b_ = c_;
        c_ = a_;
        fa_ = fb_;
        fb_ = fc_;
        fc_ = fa_;
    }
    const double tol = 6e-8 * std::abs(b_) + 0.0005;
    const double xm = 0.5 * (c_ - b_);
    if (std::abs(xm) <= tol || fb_ == 0.0) {
        state_ = State::Found;
        return;
    }
    if (std::abs(e_) >= tol && std::abs(fa_) > std::abs(fb_)) {
        const double s = fb_ / fa_;
        double p;
        double q;
        if (a_ == c_) {  // secant
            p = 2.0 * xm * s;
            q = 1.0 - s;
        } else {  // inverse quadratic interpolation
            q = fa_ / fc_;
            const double r = fb_ / fc_;
            p = s * (2.0 * xm * q * (q - r) - (b_ - a_) * (r - 1.0));
            q = (q - 1.0) * (r - 1.0) * (s - 1.0);
        }
        if (p > 0.0) q = -q;
        p = std::abs(p);
        if (2.0 * p < std::min(3.0 * xm * q - std::abs(tol * q), std::abs(e_ * q))) {
            e_ = d_;
            d_ = p / q;
        } else {
            d_ = xm;
            e_ = d_;
        }
    } else {
        d_ = xm;
        e_ = d_;
    }
    a_ = b_;
    fa_ = fb_;
    b_ += std::abs(d_) > tol ? d_ : (xm >= 0.0 ? tol : -tol);
    argument_ = b_;
}

bool findRoot(const std::function<double(double)>& f, double lower, double upper, double& root) {
    RootSearch search(lower, upper);
    while (search.state() == RootSearch::State::Searching) search.supply(f(search.argument()));
    if (search.state() == RootSearch::State::Failed) return false;
    root = search.root();
    return true;
}

Vector3 pointOnSegment(const Vector3& a, const Vector3& b, double s) {
    return sum(a, scaled(difference(b, a), static_cast<float>(s)));
}

std::optional<Vector3> findCrossing(const Model& model, const Vector3& a, const Vector3& b, double potential) {
    double s = 0.0;
    if (!findRoot([&](double t) { return model.potentialAt(pointOnSegment(a, b, t)) - potential; }, 0.0, 1.0, s))
        return std::nullopt;
    return pointOnSegment(a, b, s);
}

void findCrossings(const Model& model, std::span<const Segment> segments, double potential,
                   const BuildOptions& options, std::optional<Vector3>* out) {
    if (options.reference) {
        for (std::size_t i = 0; i < segments.size(); ++i)
            out[i] = findCrossing(model, segments[i].a, segments[i].b, potential);
        return;
    }
    forEachChunk(options.threadCount(), static_cast<int>(segments.size()), segmentsPerTask, [&](int begin, int end) {
        findCrossingsTogether(model, segments.subspan(static_cast<std::size_t>(begin), static_cast<std::size_t>(end - begin)),
                              potential, out + begin);
    });
}

}  // namespace kelvaro
