#pragma once
// Locating where the potential takes a given value between two points.

#include <functional>
#include <optional>

#include "common/vector3.h"
#include "model/model.h"

namespace kelvaro {

// Brent's method (bisection, secant and inverse quadratic interpolation) for a root of
// `f` between `lower` and `upper`, located to 6e-8 * |root| + 0.0005. A value of exactly
// 0 at either end counts as bracketing. Answers true with `root` set; false, leaving
// `root` alone, when f has the same strict sign at both ends or 100 iterations do not
// converge.
bool findRoot(const std::function<double(double)>& f, double lower, double upper, double& root);

// The point on the segment from `a` to `b` (a + (b - a) * s in single precision, s from
// 0 to 1) where the model's potential equals `potential`, to about 0.0005 of the segment;
// none when the search fails.
std::optional<Vector3> findCrossing(const Model& model, const Vector3& a, const Vector3& b, double potential);

}  // namespace kelvaro
