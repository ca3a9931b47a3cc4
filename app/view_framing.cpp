#include "app/view_framing.h"

#include <algorithm>

#include "app/view_geometry.h"
#include "render/picture_view.h"
#include "scene/primitives.h"

namespace kelvaro {
namespace {

// The share of the nearest corner's distance that the near plane keeps in front of it,
// as a framed picture keeps it.
constexpr double nearPlaneShare = 0.9;

Vector3 centreOf(const ABox& box) {
    return {box.min.x / 2 + box.max.x / 2, box.min.y / 2 + box.max.y / 2, box.min.z / 2 + box.max.z / 2};
}

// The distance in front of the eye of the box's nearest corner.
double nearestCorner(const Camera& camera, const ABox& box) {
    double nearest = eyeDepth(camera, box.min);
    for (int k = 1; k < 8; ++k) {
        const Vector3 corner{k & 1 ? box.max.x : box.min.x, k & 2 ? box.max.y : box.min.y, k & 4 ? box.max.z : box.min.z};
        nearest = std::min(nearest, eyeDepth(camera, corner));
    }
    return nearest;
}

}  // namespace

void wheelDolly(Camera& camera, const ABox* box, bool nearer) {
    float dolly = camera.dolly + (nearer ? -dollyPerWheelStep : dollyPerWheelStep);
    Camera fitted = camera;
    if (box && nearer && fitCamera(fitted, *box).empty()) {
        // The dolly that brings the box's centre as near as framing would, and no nearer
        // than the scene already is.
        const double spare = eyeDepth(camera, centreOf(*box)) - eyeDepth(fitted, centreOf(*box));
        const float least = static_cast<float>(camera.dolly - std::max(spare, 0.0));
        dolly = std::max(dolly, least);
    }
    camera.dolly = dolly;
    if (!box) return;
    const double nearest = nearestCorner(camera, *box);
    if (nearest > 0.0 && camera.nearPlane > nearPlaneShare * nearest) {
        camera.nearPlane = static_cast<float>(nearPlaneShare * nearest);
    }
}

std::string viewAlong(Camera& camera, ViewAxis axis, const ABox* box) {
    lookAlong(camera, axis);
    return box ? fitCamera(camera, *box) : std::string();
}

}  // namespace kelvaro
