#pragma once
// Colour by strength: lines whose every vertex is coloured by log10 |E| there, on viridis
// over the model's strength scale (see colour_maps.h).

#include "model/model.h"
#include "scene/group.h"
#include "viz/worker_threads.h"

namespace kelvaro {

// A copy of `built` with the same structure in which every PolyLine is a ShadedPolyLine
// and every Line a ShadedLine of the same points, coloured by strengthColour of the field
// there; they share the originals' attribute sets, and every group its original's. Other
// objects are shared as they are. An empty Ref when memory runs out. `options` choose how
// the fields are computed; every choice gives the same colours.
Ref<Group> shadedByStrength(const Model& model, const Group& built, const BuildOptions& options = {});

}  // namespace kelvaro
