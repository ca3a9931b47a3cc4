#pragma once
// Locating where the potential takes a given value between two points.

#include <functional>
#include <optional>
#include <span>

#include "common/vector3.h"
#include "model/model.h"
#include "viz/worker_threads.h"

namespace kelvaro {

// Brent's method (bisection, secant and inverse quadratic interpolation) for a root of a
// function f between `lower` and `upper`, located to 6e-8 * |root| + 0.0005, as a search
// that asks for one value of f at a time: many searches can then run side by side and
// have their values computed together. A value of exactly 0 at either end counts as
// bracketing. The search fails when f has the same strict sign at both ends or 100
// iterations do not converge.
class RootSearch {
public:
    enum class State { Searching, Found, Failed };

    RootSearch(double lower, double upper);

    State state() const { return state_; }
    // While searching: the argument at which the search wants f next.
    double argument() const { return argument_; }
    // Gives f(argument()) and runs the search on to its next question or its end.
    void supply(double value);
    // Once found: the root.
    double root() const { return b_; }

private:
    void iterate();

    State state_ = State::Searching;
    bool lowerKnown_ = false;
    bool bracketed_ = false;
    int iteration_ = 0;
    double argument_;
    double a_, b_, c_;
    double fa_ = 0.0, fb_ = 0.0, fc_ = 0.0;
    double d_ = 0.0, e_ = 0.0;
};

// The search above run on `f` to its end. Answers true with `root` set; false, leaving
// `root` alone, when the search fails.
bool findRoot(const std::function<double(double)>& f, double lower, double upper, double& root);

// The point of the segment from `a` to `b` at edge parameter `s`: a + (b - a) * s, in
// single precision with s rounded to single.
Vector3 pointOnSegment(const Vector3& a, const Vector3& b, double s);

// The point on the segment from `a` to `b` (pointOnSegment, s from 0 to 1) where the
// model's potential equals `potential`, to about 0.0005 of the segment; none when the
// search fails.
std::optional<Vector3> findCrossing(const Model& model, const Vector3& a, const Vector3& b, double potential);

struct Segment {
    Vector3 a;
    Vector3 b;
    // potentialAt(a) and potentialAt(b), when the caller has them (endsKnown): the search
    // then takes them instead of evaluating its first two points, which are a and b.
    bool endsKnown = false;
    double atA = 0.0;
    double atB = 0.0;
};

// findCrossing for every segment: out[i] for segments[i], with the same bits. On the fast
// path the searches run side by side, their potentials computed together, on the threads.
void findCrossings(const Model& model, std::span<const Segment> segments, double potential,
                   const BuildOptions& options, std::optional<Vector3>* out);

}  // namespace kelvaro
