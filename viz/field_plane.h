#pragma once
// A plane through the field: a square of the model's box normal to x, y or z, showing the
// potential as a colour map (divergingColour on the model's potential scale), the
// equipotential lines of a set of levels, and, if asked, field lines that start round the
// charges that lie in the plane.

#include <optional>
#include <span>
#include <string>
#include <vector>

#include "model/model.h"
#include "scene/group.h"
#include "viz/field_lines.h"
#include "viz/worker_threads.h"

namespace kelvaro {

// Samples of the potential along each side of the square.
inline constexpr int planeSamples = 256;
// The levels a plane shows unless asked otherwise, and the most it takes.
inline constexpr int defaultPlaneLevels = 15;
inline constexpr int maxPlaneLevels = 100;
// The most field lines a plane starts round each of its charges.
inline constexpr int maxPlaneLinesPerCharge = 100;
// The colour of the equipotential lines: black reads on every colour of the map.
inline constexpr Vector3 equipotentialColor{0.0f, 0.0f, 0.0f};

struct FieldPlane {
    int axis = 2;                 // the plane is normal to x (0), y (1) or z (2)
    std::optional<float> offset;  // where it cuts that axis; none: through the box's centre
    // The equipotential lines: at `levels` when it holds any, otherwise at `levelCount`
    // levels spread over the potential scale as its colours are (PotentialScale::spreadLevels).
    int levelCount = defaultPlaneLevels;
    std::vector<float> levels;
    int linesPerCharge = 0;  // field lines round each charge that lies in the plane
};

// The potential sampled on the square: planeSamples nodes along each of its sides u and v
// (the next two axes after the plane's, in turn: y and z for x, z and x for y, x and y for
// z), from the box's minimum to its maximum, evenly spaced in double precision and rounded
// to single. potentials[i + us.size() * j] is potentialAt(node (i, j)).
struct PlaneSamples {
    int axis = 2;
    float level = 0.0f;  // the plane's coordinate along its axis
    std::vector<float> us, vs;
    std::vector<double> potentials;

    Vector3 node(int i, int j) const;
};

// One equipotential line: its level and its points in order (a closed line ends on its
// first point again).
struct Equipotential {
    double level = 0.0;
    std::vector<Vector3> points;
};

// Why the plane cannot be made on `model`, as a sentence for the user ("The plane z = 5
// lies outside the box (z from -1.5 to 1.5)."); empty when it can. A plane outside the box
// (or at a coordinate that is not a number), a box that is not finite, an axis other than
// 0, 1 or 2, a level that is not a finite number, or counts outside their limits cannot.
std::string planeProblem(const Model& model, const FieldPlane& plane);

// The plane's coordinate along its axis: its offset, or the middle of the box.
float planeLevel(const Model& model, const FieldPlane& plane);

// The levels the plane's equipotential lines are drawn at.
std::vector<double> planeLevels(const Model& model, const FieldPlane& plane);

// The samples of a plane that can be made (planeProblem is empty).
PlaneSamples samplePlane(const Model& model, const FieldPlane& plane, const BuildOptions& options = {});

// The equipotential lines of `level` through the samples, by marching squares: an edge of
// the grid is crossed when exactly one of its ends lies above the level (potential greater
// than it), and the crossing is located on the edge by findCrossing, with the ends'
// sampled potentials (a search that fails takes the end whose potential is nearer the
// level). A cell whose four edges are crossed joins them according to the mean of its
// corners. The crossings are joined cell to cell into lines: first those that end at the
// square's border, from the lowest-numbered edge on, then closed ones.
std::vector<Equipotential> traceEquipotentials(const Model& model, const PlaneSamples& samples, double level,
                                               const BuildOptions& options = {});

// The starts of the plane's field lines: round every charge no farther from the plane than
// the charge radius, in model order, `linesPerCharge` points at the charge radius on the
// circle parallel to the plane, at angles 360 k / linesPerCharge degrees from the plane's
// u axis towards its v axis, traced as field lines from that charge are (appendChargeStarts).
std::vector<LineStart> planeLineStarts(const Model& model, const FieldPlane& plane);

// The plane's field lines from those starts, traced accurately in 3D (traceAccurateLines):
// a line that starts in a plane of symmetry stays in it.
Ref<Group> tracePlaneFieldLines(const Model& model, std::span<const LineStart> starts, const BuildOptions& options = {});

// The field lines a plane shows: traced from planeLineStarts by tracePlaneFieldLines, less
// each line from a charge that is not positive which ends on a positive charge (the line
// from that charge draws it, and the two would not quite meet), so that each line from +
// to - is drawn once. A new Group of PolyLines, or an empty Ref when memory runs out.
Ref<Group> planeFieldLines(const Model& model, const FieldPlane& plane, const BuildOptions& options = {});

// The plane as a scene: a new Group (one reference, the caller's) holding the ShadedGrid
// of the samples' colours, a Group of the equipotential lines (LevelLines sharing one set
// of equipotentialColor, level by level in planeLevels' order, each with the points of
// traceEquipotentials spaced as a field line's are: the first, every one farther than the
// model's point spacing from the last one kept, and the last), and, when linesPerCharge
// is above 0, a Group of its planeFieldLines (coloured by strength when `strengthColours`). An
// empty Ref when planeProblem is not empty or memory runs out. `options` choose how the
// numbers are computed; every choice gives the same plane.
Ref<Group> makeFieldPlane(const Model& model, const FieldPlane& plane, bool strengthColours = false,
                          const BuildOptions& options = {});

}  // namespace kelvaro
