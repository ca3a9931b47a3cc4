#include "viz/potential_surface.h"

#include <new>

#include "viz/potential_grid.h"

namespace kelvaro {

Ref<Group> makePotentialSurface(const Model& model, double potential, int direction, const BuildOptions& options) {
    try {
        Ref<Group> result = create<Group>(20, 20);
        if (!result) return {};
        const Ref<PotentialGrid> grid =
            create<PotentialGrid>(model, surfaceGridCells, surfaceGridCells, surfaceGridCells, options);
        if (!grid || !grid->complete()) return {};
        const Ref<Group> surface = grid->surface(static_cast<float>(potential), direction > 0, options);
        if (!surface) return {};
        result->add(*surface);
        return result;
    } catch (const std::bad_alloc&) {
        return {};
    }
}

}  // namespace kelvaro
