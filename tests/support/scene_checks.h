#pragma once
// Soundness checks over built scenes: every coordinate a builder hands to GL must be a
// finite number, or the picture is garbage (or nothing) where the user expects a field.

#include <optional>
#include <string>

#include "scene/scene_object.h"

namespace kelvaro::testing {

// Walks `object` and the children of every group below it, and describes the first point,
// end, corner or normal with an infinite or not-a-number coordinate; none when all are finite.
std::optional<std::string> firstNonFiniteVertex(const SceneObject& object);

}  // namespace kelvaro::testing
