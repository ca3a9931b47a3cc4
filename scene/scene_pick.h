#pragma once
// Picking in the scene: where a ray from the eye first meets a drawn object, so that a
// click can place something on a drawn surface. Each class of object that can be picked
// has a function that answers how far along the ray it is met; groups are walked.

#include <cstdint>
#include <optional>

#include "common/vector3d.h"
#include "scene/scene_object.h"

namespace kelvaro {

// A ray: its start and its direction (of length 1, so that distances along it are lengths).
struct PickRay {
    Vector3d origin;
    Vector3d direction;
};

// How far along `ray` an object of one class is met (at least 0), or none.
using Picker = std::optional<double> (*)(const SceneObject& object, const PickRay& ray);

// The picker of the objects of `typeCode`, or null for a class that cannot be picked.
// Triangles and a plane's colour map (ShadedGrid) can; another class is added by a line in
// the table of scene_pick.cpp.
Picker pickerOf(std::int32_t typeCode);

// The nearest distance along `ray` at which it meets an object below `root` that can be
// picked (every group walked, hidden nothing), or none.
std::optional<double> nearestPick(const SceneObject& root, const PickRay& ray);

// Where `ray` meets the triangle abc (Möller and Trumbore's test, in double precision),
// counting both faces and the edges; none when it misses or lies in the triangle's plane.
std::optional<double> rayMeetsTriangle(const PickRay& ray, const Vector3& a, const Vector3& b, const Vector3& c);

}  // namespace kelvaro
