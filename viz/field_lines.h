#pragma once
// Field lines: lines started around every charge in the directions of "ElectronData"
// and traced along the electric field until they leave the box or run into a charge,
// with the program's own tracer (Euler steps under a turning rule) or the accurate one
// (accurate_field_lines.h).

#include <span>

#include "model/model.h"
#include "scene/group.h"
#include "scene/primitives.h"
#include "viz/worker_threads.h"

namespace kelvaro {

// The most points a field line of the program's own tracer holds, its start point included.
inline constexpr int maxFieldLinePoints = 500;

// How field lines are traced: with the program's own tracer, or accurately (an embedded
// Runge-Kutta pair under error control, each line ending exactly on the box or on the
// stop distance of the charge it runs into).
enum class FieldLineMethod { Euler, Accurate };

// Starts `linesPerCharge` lines around every charge, in model order, at the seed
// directions scaled to the charge radius, and traces each away from a positive charge
// along the field, away from any other charge (a charge of 0 included) against it.
// Every line that records more than one point becomes a PolyLine in the answer; all of
// them share one attribute set of fieldLineColor. Answers a new Group (one reference,
// the caller's), empty for a model without charges, or an empty Ref when the seed
// directions cannot be read or memory runs out. `options` choose how the numbers are
// computed; every choice gives the same lines (on the fast path they are traced side by
// side on the threads and then made in charge and seed order).
Ref<Group> makeFieldLines(const Model& model, int linesPerCharge, const BuildOptions& options = {});
// The same from seed directions read beforehand (as the seed file stores them: not
// normalised), one line per direction and charge.
Ref<Group> makeFieldLines(const Model& model, std::span<const Vector3> seedDirections,
                          const BuildOptions& options = {});
// The same traced by `method`: the lines above for Euler; accurate lines start at the same
// points, and a line is kept when it holds two points or more.
Ref<Group> makeFieldLines(const Model& model, int linesPerCharge, FieldLineMethod method,
                          const BuildOptions& options = {});
Ref<Group> makeFieldLines(const Model& model, std::span<const Vector3> seedDirections, FieldLineMethod method,
                          const BuildOptions& options = {});

// Traces from the one point `line` holds along the unit field direction times `sign`
// (+1 or -1), with a step that starts at `step`, doubles while the direction turns by
// less than 1 degree per step and shrinks by 0.45 when it turns by more than 10 degrees.
// Appends every accepted point farther than `spacing` from the last recorded one, stops
// when a candidate is a stop point of the model or `maxPoints` points are recorded, and
// then appends the last candidate unless it is the last recorded point. Answers the
// number of appends made or attempted (a full line drops them). A trace that stops
// moving ends after a bounded number of steps with what it has recorded.
unsigned traceFieldLine(const Model& model, PointArray& line, double sign, double step, double spacing, int maxPoints);

}  // namespace kelvaro
