#pragma once
// A probe: the potential and the field at one point, exactly as the model evaluates them,
// as numbers to read (a line of text) and in the scene (a small cross with a label).

#include <string>

#include "common/vector3.h"
#include "model/model.h"
#include "scene/group.h"

namespace kelvaro {

struct ProbeReading {
    Vector3 point;
    double potential = 0.0;       // Model::potentialAt
    Vector3 field;                // Model::fieldAt
    double fieldMagnitude = 0.0;  // the length of `field`, from its components in double precision
};

ProbeReading probeAt(const Model& model, const Vector3& point);

// Why no probe can stand at `point` in the model's scene, as a line for the user ending
// with a line feed: a coordinate that is not finite, a point outside the box, or a point
// on a charge (where neither the potential nor the field is defined). Empty when it can.
std::string probePlaceProblem(const Model& model, const Vector3& point);

// "Probe at (0, 0.5, 0): V = 0.894427, |E| = 0.715542, E = (-0.715542, 0, 0)" and a line
// feed: the reading to six significant digits.
std::string probeLine(const ProbeReading& reading);

// The reading with every digit, as kelvaro-batch's probe command prints it: "point: X Y Z",
// "potential: V", "field: EX EY EZ" and "field_magnitude: |E|" lines.
std::string probeNumbers(const ProbeReading& reading);

// The probe in the scene: a small cross at the point (three lines along the axes, each a
// fiftieth of the box's diagonal long) and a label beside it with V, and E's magnitude and
// components. A new Group (one reference, the caller's), or none when probePlaceProblem
// refuses the point or memory runs out.
Ref<Group> makeProbe(const Model& model, const Vector3& point);

}  // namespace kelvaro
