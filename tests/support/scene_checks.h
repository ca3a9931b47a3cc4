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

// Everything about `object` and the tree below it, one object a line: class, reference
// count, attribute set (shared sets by their order of first appearance), and every number
// in hexadecimal, so that two trees have the same form exactly when they are the same to
// the bit, sharing included.
std::string exactForm(const SceneObject& object);

// The first line where two forms differ, with its number; empty when they are equal.
std::string firstDifference(const std::string& expected, const std::string& actual);

}  // namespace kelvaro::testing
