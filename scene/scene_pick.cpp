#include "scene/scene_pick.h"

#include <cmath>
#include <utility>

#include "scene/group.h"
#include "scene/primitives.h"
#include "scene/shaded_primitives.h"

namespace kelvaro {
namespace {

Vector3d minus(const Vector3d& a, const Vector3d& b) { return {a.x - b.x, a.y - b.y, a.z - b.z}; }
Vector3d widened(const Vector3& p) { return {p.x, p.y, p.z}; }
double dot(const Vector3d& a, const Vector3d& b) { return a.x * b.x + a.y * b.y + a.z * b.z; }
Vector3d cross(const Vector3d& a, const Vector3d& b) {
    return {a.y * b.z - a.z * b.y, a.z * b.x - a.x * b.z, a.x * b.y - a.y * b.x};
}

std::optional<double> pickTriangle(const SceneObject& object, const PickRay& ray) {
    const auto& triangle = static_cast<const Triangle&>(object);
    return rayMeetsTriangle(ray, triangle.vertices[0], triangle.vertices[1], triangle.vertices[2]);
}

// A plane's colour map: the rectangle of its corner nodes, as two triangles.
std::optional<double> pickShadedGrid(const SceneObject& object, const PickRay& ray) {
    const auto& grid = static_cast<const ShadedGrid&>(object);
    if (grid.columns() == 0 || grid.rows() == 0) return std::nullopt;
    const int lastColumn = grid.columns() - 1, lastRow = grid.rows() - 1;
    const Vector3 first = grid.node(0, 0), across = grid.node(lastColumn, 0), far = grid.node(lastColumn, lastRow),
                  up = grid.node(0, lastRow);
    if (const std::optional<double> met = rayMeetsTriangle(ray, first, across, far)) return met;
    return rayMeetsTriangle(ray, first, far, up);
}

// The classes that can be picked.
constexpr std::pair<std::int32_t, Picker> pickers[] = {
    {TriangleType, pickTriangle},
    {ShadedGridType, pickShadedGrid},
};

}  // namespace

Picker pickerOf(std::int32_t typeCode) {
    for (const auto& [code, picker] : pickers) {
        if (code == typeCode) return picker;
    }
    return nullptr;
}

std::optional<double> rayMeetsTriangle(const PickRay& ray, const Vector3& a, const Vector3& b, const Vector3& c) {
    const Vector3d corner = widened(a);
    const Vector3d edge1 = minus(widened(b), corner), edge2 = minus(widened(c), corner);
    const Vector3d across = cross(ray.direction, edge2);
    const double determinant = dot(edge1, across);
    if (!(std::fabs(determinant) > 0.0)) return std::nullopt;
    const Vector3d toOrigin = minus(ray.origin, corner);
    const double u = dot(toOrigin, across) / determinant;
    if (!(u >= 0.0 && u <= 1.0)) return std::nullopt;
    const Vector3d up = cross(toOrigin, edge1);
    const double v = dot(ray.direction, up) / determinant;
    if (!(v >= 0.0 && u + v <= 1.0)) return std::nullopt;
    const double along = dot(edge2, up) / determinant;
    if (!(along >= 0.0)) return std::nullopt;
    return along;
}

std::optional<double> nearestPick(const SceneObject& root, const PickRay& ray) {
    if (root.typeCode() == GroupType) {
        const auto& group = static_cast<const Group&>(root);
        std::optional<double> nearest;
        for (std::int32_t i = 0; i < group.count(); ++i) {
            const std::optional<double> met = nearestPick(group.child(i), ray);
            if (met && (!nearest || *met < *nearest)) nearest = met;
        }
        return nearest;
    }
    const Picker picker = pickerOf(root.typeCode());
    return picker ? picker(root, ray) : std::nullopt;
}

}  // namespace kelvaro
