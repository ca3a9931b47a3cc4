#include "app/view_geometry.h"

#include <cmath>
#include <numbers>

namespace kelvaro {
namespace {

struct Eye {
    double x, y, z;
};

// The shift that the frame applies after the rotation: 2.6 away, then pan and dolly.
Eye viewShift(const Camera& camera) {
    return {camera.pan[0], camera.pan[1], static_cast<double>(-2.6f) - camera.dolly};
}

// `p` in eye coordinates: turned by the rotation (column-major), then shifted.
Eye toEye(const Camera& camera, const Vector3& p) {
    const float* r = camera.rotation;
    const Eye shift = viewShift(camera);
    return {r[0] * p.x + r[4] * p.y + r[8] * p.z + shift.x, r[1] * p.x + r[5] * p.y + r[9] * p.z + shift.y,
            r[2] * p.x + r[6] * p.y + r[10] * p.z + shift.z};
}

// A direction given in eye coordinates, in model coordinates (the rotation's transpose).
Eye toModelDirection(const Camera& camera, const Eye& d) {
    const float* r = camera.rotation;
    return {r[0] * d.x + r[1] * d.y + r[2] * d.z, r[4] * d.x + r[5] * d.y + r[6] * d.z,
            r[8] * d.x + r[9] * d.y + r[10] * d.z};
}

// tan of half the vertical field of view.
double halfViewTangent(const Camera& camera) {
    return std::tan((static_cast<double>(camera.zoom) + 30.0) * std::numbers::pi / 360.0);
}

// The point of eye depth `depth` (negative: in front) that appears at (x, y).
Eye eyePointAt(const Camera& camera, const SceneArea& area, double x, double y, double depth) {
    const double ndcX = 2.0 * (x - area.left) / area.width - 1.0;
    const double ndcY = 1.0 - 2.0 * (y - area.top) / area.height;
    const double spread = -depth * halfViewTangent(camera);
    return {ndcX * spread * camera.aspect, ndcY * spread, depth};
}

}  // namespace

std::optional<ScreenPoint> screenPosition(const Camera& camera, const SceneArea& area, const Vector3& p) {
    const Eye e = toEye(camera, p);
    if (!(e.z < 0.0) || area.width <= 0 || area.height <= 0) return std::nullopt;
    const double spread = -e.z * halfViewTangent(camera);
    const double ndcX = e.x / (spread * camera.aspect), ndcY = e.y / spread;
    return ScreenPoint{area.left + (ndcX + 1.0) / 2.0 * area.width, area.top + (1.0 - ndcY) / 2.0 * area.height};
}

std::optional<int> chargeNear(const Camera& camera, const SceneArea& area, std::span<const Charge> charges, double x,
                              double y, double radius) {
    std::optional<int> nearest;
    double nearestDistance = 0.0, nearestDepth = 0.0;
    for (std::size_t i = 0; i < charges.size(); ++i) {
        const auto at = screenPosition(camera, area, charges[i].position);
        if (!at) continue;
        const double distance = std::hypot(at->x - x, at->y - y);
        const double depth = -toEye(camera, charges[i].position).z;
        if (distance > radius) continue;
        // Centres less than half a pixel apart look the same: the one in front is taken.
        const bool tie = std::abs(distance - nearestDistance) < 0.5;
        if (!nearest || (tie ? depth < nearestDepth : distance < nearestDistance)) {
            nearest = static_cast<int>(i);
            nearestDistance = distance;
            nearestDepth = depth;
        }
    }
    return nearest;
}

Vector3 draggedInViewPlane(const Camera& camera, const SceneArea& area, const Vector3& start, double fromX,
                           double fromY, double toX, double toY) {
    const double depth = toEye(camera, start).z;
    const Eye from = eyePointAt(camera, area, fromX, fromY, depth);
    const Eye to = eyePointAt(camera, area, toX, toY, depth);
    const Eye move = toModelDirection(camera, {to.x - from.x, to.y - from.y, 0.0});
    return {static_cast<float>(start.x + move.x), static_cast<float>(start.y + move.y),
            static_cast<float>(start.z + move.z)};
}

PickRay rayThrough(const Camera& camera, const SceneArea& area, double x, double y) {
    const Eye shift = viewShift(camera);
    const Eye eye = toModelDirection(camera, {-shift.x, -shift.y, -shift.z});
    const Eye ahead = eyePointAt(camera, area, x, y, -1.0);
    const Eye along = toModelDirection(camera, ahead);
    const double length = std::sqrt(along.x * along.x + along.y * along.y + along.z * along.z);
    return {{eye.x, eye.y, eye.z}, {along.x / length, along.y / length, along.z / length}};
}

void panByPixels(Camera& camera, const SceneArea& area, double dx, double dy) {
    if (area.height <= 0) return;
    const double unitsPerPixel = 2.0 * -viewShift(camera).z * halfViewTangent(camera) / area.height;
    camera.pan[0] = static_cast<float>(camera.pan[0] + dx * unitsPerPixel);
    camera.pan[1] = static_cast<float>(camera.pan[1] - dy * unitsPerPixel);
}

void resetView(Camera& camera) {
    const float aspect = camera.aspect;
    camera = Camera{};
    camera.aspect = aspect;
}

}  // namespace kelvaro
