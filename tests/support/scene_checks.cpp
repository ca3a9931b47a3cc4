#include "tests/support/scene_checks.h"

#include <cmath>
#include <sstream>

#include "scene/group.h"
#include "scene/primitives.h"

namespace kelvaro::testing {
namespace {

bool isFinite(const Vector3& v) { return std::isfinite(v.x) && std::isfinite(v.y) && std::isfinite(v.z); }

std::optional<std::string> describe(const char* what, int index, const Vector3& v) {
    if (isFinite(v)) return std::nullopt;
    std::ostringstream text;
    text << what << ' ' << index << " is (" << v.x << ", " << v.y << ", " << v.z << ')';
    return text.str();
}

}  // namespace

std::optional<std::string> firstNonFiniteVertex(const SceneObject& object) {
    if (const auto* group = dynamic_cast<const Group*>(&object)) {
        for (std::int32_t i = 0; i < group->count(); ++i) {
            if (auto found = firstNonFiniteVertex(group->child(i))) return "child " + std::to_string(i) + ": " + *found;
        }
    } else if (const auto* polyLine = dynamic_cast<const PolyLine*>(&object)) {
        for (std::int32_t i = 0; i < polyLine->count(); ++i) {
            if (auto found = describe("polyline point", i, polyLine->point(i))) return found;
        }
    } else if (const auto* line = dynamic_cast<const Line*>(&object)) {
        if (auto found = describe("line end", 0, line->start)) return found;
        if (auto found = describe("line end", 1, line->end)) return found;
    } else if (const auto* triangle = dynamic_cast<const Triangle*>(&object)) {
        for (int i = 0; i < 3; ++i) {
            if (auto found = describe("triangle corner", i, triangle->vertices[i])) return found;
            if (triangle->hasNormal[i]) {
                if (auto found = describe("triangle normal", i, triangle->normals[i])) return found;
            }
        }
    } else if (const auto* point = dynamic_cast<const Point*>(&object)) {
        if (auto found = describe("point", 0, point->position)) return found;
    } else if (const auto* sphere = dynamic_cast<const Sphere*>(&object)) {
        if (auto found = describe("sphere centre", 0, sphere->center)) return found;
    } else if (const auto* box = dynamic_cast<const ABox*>(&object)) {
        if (auto found = describe("box corner", 0, box->min)) return found;
        if (auto found = describe("box corner", 1, box->max)) return found;
    }
    return std::nullopt;
}

}  // namespace kelvaro::testing
