#pragma once
// The "stats" report of kelvaro-batch: what each request cost and how big its result is.

#include <cstdio>

#include "scene/scene_object.h"
#include "tools/batch/batch_command.h"

namespace kelvaro::batch {

// What a built visualisation holds.
struct SceneSize {
    long polylines = 0;
    long linePoints = 0;  // the points of every line and polyline
    long triangles = 0;
};

// Counts the objects below `object`, through every group.
SceneSize measure(const SceneObject& object);

// Writes the block of one request: "request:", "build_ms:" (three decimals), "polylines:",
// "line_points:" and "triangles:" lines; the sizes are 0 when `built` is null.
void writeRequestStats(std::FILE* out, const ParsedRequest& request, double buildMilliseconds, const SceneObject* built);

}  // namespace kelvaro::batch
