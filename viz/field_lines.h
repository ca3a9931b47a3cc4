#pragma once
// Field lines: lines started around every charge in the directions of "ElectronData"
// and traced along the electric field until they leave the box or run into a charge,
// with the program's own tracer (Euler steps under a turning rule) or the accurate one
// (accurate_field_lines.h).

#include <functional>
#include <memory>
#include <span>
#include <vector>

#include "model/model.h"
#include "scene/group.h"
#include "scene/primitives.h"
#include "viz/accurate_field_lines.h"
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

// Lines in proportion to charge: charge i gets round(linesForLargest |q_i| / max |q|) lines
// (halves away from zero), at least one when its value is not 0, none when it is 0. A
// charge with n lines starts them at the seed file's set of n directions, which spreads
// them evenly round it; charges with equal counts share one set. `readSeeds(n)` reads a
// set (as readSeedDirections does); the builder answers an empty Ref when one cannot be
// read or memory runs out. Otherwise as makeFieldLines with `method`.
using SeedReader = std::function<std::unique_ptr<Vector3[]>(int count)>;
Ref<Group> makeProportionalFieldLines(const Model& model, int linesForLargest, FieldLineMethod method,
                                      const SeedReader& readSeeds, const BuildOptions& options = {});
// The same with the sets of "ElectronData" in the current directory.
Ref<Group> makeProportionalFieldLines(const Model& model, int linesForLargest, FieldLineMethod method,
                                      const BuildOptions& options = {});
// The number of lines of each charge, in model order, as above.
std::vector<int> proportionalLineCounts(const Model& model, int linesForLargest);

// Appends the starts of the lines round charge `charge` of the model: the charge's position
// plus each seed direction times the charge radius (in double precision, stored in single),
// traced along the field from a positive charge and against it from any other, each
// naming `charge` as the one it leaves.
void appendChargeStarts(const Model& model, int charge, std::span<const Vector3> seedDirections,
                        std::vector<LineStart>& starts);

// Traces one line from each start, in order, by `method` (for Euler the program's tracer:
// traceFieldLine at the model's trace step and point spacing, maxFieldLinePoints points;
// for Accurate traceAccurateLines), and keeps those that hold more than one point as
// PolyLines sharing one attribute set of fieldLineColor, in start order. An empty Ref when
// memory runs out. `options` choose how the numbers are computed; every choice gives the
// same lines.
Ref<Group> traceFieldLines(const Model& model, std::span<const LineStart> starts, FieldLineMethod method,
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
