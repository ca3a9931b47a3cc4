#pragma once
// A reference for field lines, to measure traced lines against: the field of the model's
// charges summed in double precision, and the line followed along its unit direction with
// the Dormand-Prince pair 8(5,3) at a relative tolerance of 1e-10, from the same start
// point, until it leaves the box or comes within the charge radius of a charge (each
// crossing solved by bisection on the step length). Slow and plain, for tests and benchmarks.

#include <span>
#include <string>
#include <vector>

#include "common/vector3.h"
#include "model/model.h"

namespace kelvaro::testing {

struct Point3 {
    double x = 0.0, y = 0.0, z = 0.0;
};

// Where a line ends: on (or beyond) the box, at a charge, or elsewhere (where the field
// vanishes, or where a tracer gave up).
struct LineEnd {
    enum class Kind { Box, Charge, Elsewhere } kind = Kind::Elsewhere;
    int charge = -1;  // for Kind::Charge
    bool operator==(const LineEnd&) const = default;
};

std::string describe(const LineEnd& end);

struct ReferenceLine {
    std::vector<Point3> points;  // the start first; no two more than a thousandth of the box's diagonal apart
    LineEnd end;
};

// The reference line from `start`, along the field for `sign` +1 and against it for -1;
// `startCharge` (-1: none) is the charge it leaves, whose stop distance does not end it.
ReferenceLine referenceFieldLine(const Model& model, const Vector3& start, double sign, int startCharge);

// Where a traced line whose last point is `last` ended: Box when that point lies on a face
// or beyond one, Charge when it lies within the charge radius (and a millionth of the
// box's diagonal) of a charge other than `startCharge`, Elsewhere otherwise.
LineEnd endOfLine(const Model& model, const Vector3& last, int startCharge);

// The largest distance of any of `points` from the reference line (as a polyline).
double strayFrom(const ReferenceLine& reference, std::span<const Vector3> points);

// The length of the diagonal of the model's box.
double boxDiagonal(const Model& model);

}  // namespace kelvaro::testing
