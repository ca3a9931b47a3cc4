#pragma once
// Where the scene appears in the main window as the camera shows it, and drags of the
// pointer turned into moves of the camera or of a point. Window pixels: x to the right
// and y down from the window's top-left, as mouse events give them.

#include <optional>
#include <span>

#include "model/model.h"
#include "render/frame.h"
#include "scene/scene_pick.h"

namespace kelvaro {

// The part of the window where the scene is drawn (the viewport).
struct SceneArea {
    int left = 0, top = 0, width = 0, height = 0;
    bool contains(int x, int y) const { return x >= left && x < left + width && y >= top && y < top + height; }
};

struct ScreenPoint {
    double x = 0.0, y = 0.0;
};

// Where `p` appears in `area`; none when it lies behind the eye or the area is empty.
std::optional<ScreenPoint> screenPosition(const Camera& camera, const SceneArea& area, const Vector3& p);

// The charge whose centre appears nearest to (x, y), no farther than `radius` pixels (of
// centres that appear less than half a pixel apart, the one nearer the eye); none when no
// charge is that near.
std::optional<int> chargeNear(const Camera& camera, const SceneArea& area, std::span<const Charge> charges, double x,
                              double y, double radius);

// `start` moved with the pointer from (fromX, fromY) to (toX, toY) in the plane through it
// that faces the viewer, so that it keeps its place under the pointer and its distance
// from the eye's plane.
Vector3 draggedInViewPlane(const Camera& camera, const SceneArea& area, const Vector3& start, double fromX,
                           double fromY, double toX, double toY);

// The ray from the eye through the pixel (x, y) of `area`, in model coordinates.
PickRay rayThrough(const Camera& camera, const SceneArea& area, double x, double y);

// Pans the view so that the scene's origin follows the pointer moved by (dx, dy) pixels.
void panByPixels(Camera& camera, const SceneArea& area, double dx, double dy);

// The start view again (rotation, pan, dolly, zoom and clipping planes); the aspect ratio
// belongs to the viewport and stays.
void resetView(Camera& camera);

}  // namespace kelvaro
