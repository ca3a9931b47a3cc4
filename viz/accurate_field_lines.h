#pragma once
// Accurate field lines. Each line is followed along the unit field direction (its length
// is the parameter) with the embedded Runge-Kutta pair of orders 5 and 4 of Dormand and
// Prince, under control of the local error, and with its dense output of order 4 between
// steps. A line ends exactly where it leaves the box (the crossing is solved on the dense
// output and the point set on the face) or reaches the stop distance (the charge radius)
// of the charge it runs into, or where the field vanishes and it can go no further. Its
// points are placed for drawing: no two farther apart than a fiftieth of the box's
// diagonal, and within a step as many as keep the direction's turn from one to the next
// near four degrees (as the step's stages tell it), but no two in a step closer together
// than a two-thousandth of the diagonal.
//
// The field is the model's own in double precision (Model::preciseFieldAt): where the
// charges' fields nearly cancel, single precision would send a line astray. Near a point
// where the field vanishes neighbouring lines part, so a line that passes close to one is
// traced again at a hundredth of the tolerance. The lines are the same, to the bit, on
// the reference path and on any number of threads.

#include <span>
#include <vector>

#include "common/vector3.h"
#include "model/model.h"
#include "viz/worker_threads.h"

namespace kelvaro {

// Where a line starts: its first point, the sense it runs in (+1 along the field, -1
// against it) and the charge it starts round (-1: none), whose stop distance does not
// end it (a line cannot come back to the charge it leaves).
struct LineStart {
    Vector3 point;
    double sign = 1.0;
    int charge = -1;
};

// The error allowed in one step, as a fraction of the box's diagonal.
inline constexpr double accurateStepTolerance = 1e-6;

// Traces a line from each start: answer[i] holds the points of the line from starts[i],
// the start first. A start outside the box or within the stop distance of another charge,
// or where the field vanishes, gives just its own point.
std::vector<std::vector<Vector3>> traceAccurateLines(const Model& model, std::span<const LineStart> starts,
                                                     const BuildOptions& options = {});

}  // namespace kelvaro
