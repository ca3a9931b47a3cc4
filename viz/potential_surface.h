#pragma once
// Equipotential surfaces: the surface on which the potential has a chosen value.

#include "model/model.h"
#include "scene/group.h"
#include "viz/worker_threads.h"

namespace kelvaro {

// Cells along each axis of the sampling grid.
inline constexpr int surfaceGridCells = 40;

// Samples the potential on a 40 x 40 x 40 grid over the model's bounds and builds the
// surface where it equals `potential` (rounded to single precision), with normals along
// the field for `direction` 0 ("Leave") and against it for 1 ("Enter"). Answers a new
// Group (one reference, the caller's) holding the one surface group, or an empty Ref when
// memory runs out. The grid is destroyed before it answers. `options` choose how the
// numbers are computed; every choice gives the same surface.
Ref<Group> makePotentialSurface(const Model& model, double potential, int direction, const BuildOptions& options = {});

}  // namespace kelvaro
