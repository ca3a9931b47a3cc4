#include "tests/support/scene_checks.h"

#include <cinttypes>
#include <cmath>
#include <cstdio>
#include <map>
#include <sstream>

#include "scene/attribute_set.h"
#include "scene/group.h"
#include "scene/primitives.h"
#include "scene/shaded_primitives.h"

namespace kelvaro::testing {
namespace {

bool isFinite(const Vector3& v) { return std::isfinite(v.x) && std::isfinite(v.y) && std::isfinite(v.z); }

std::optional<std::string> describe(const char* what, int index, const Vector3& v) {
    if (isFinite(v)) return std::nullopt;
    std::ostringstream text;
    text << what << ' ' << index << " is (" << v.x << ", " << v.y << ", " << v.z << ')';
    return text.str();
}

// Writes the exact form of one object and, for a group, of its children.
class ExactFormWriter {
public:
    void write(const SceneObject& object, int depth) {
        text_ += std::string(static_cast<std::size_t>(depth), ' ');
        append("%d refs %d", object.typeCode(), object.refCount());
        if (const auto* attributed = dynamic_cast<const AttributedObject*>(&object)) writeSet(attributed->attributes());
        if (const auto* group = dynamic_cast<const Group*>(&object)) {
            append(" group %d of %d +%d\n", group->count(), group->capacity(), group->growthStep());
            for (std::int32_t i = 0; i < group->count(); ++i) write(group->child(i), depth + 1);
            return;
        }
        if (const auto* polyLine = dynamic_cast<const PolyLine*>(&object)) {
            const auto* shaded = dynamic_cast<const ShadedPolyLine*>(&object);
            append(" %spoints %d of %d", shaded ? "shaded " : dynamic_cast<const LevelLine*>(&object) ? "level " : "",
                   polyLine->count(), polyLine->capacity());
            for (std::int32_t i = 0; i < polyLine->count(); ++i) {
                writePoint(polyLine->point(i));
                if (shaded) writePoint(shaded->colour(i));
            }
        } else if (const auto* line = dynamic_cast<const Line*>(&object)) {
            writePoint(line->start);
            writePoint(line->end);
            if (const auto* shaded = dynamic_cast<const ShadedLine*>(&object)) {
                writePoint(shaded->startColour);
                writePoint(shaded->endColour);
            }
        } else if (const auto* grid = dynamic_cast<const ShadedGrid*>(&object)) {
            append(" grid %d x %d", grid->columns(), grid->rows());
            for (int j = 0; j < grid->rows(); ++j) {
                for (int i = 0; i < grid->columns(); ++i) {
                    writePoint(grid->node(i, j));
                    writePoint(grid->colour(i, j));
                }
            }
        } else if (const auto* triangle = dynamic_cast<const Triangle*>(&object)) {
            for (int i = 0; i < 3; ++i) {
                writePoint(triangle->vertices[i]);
                if (triangle->hasNormal[i]) writePoint(triangle->normals[i]);
            }
        } else if (const auto* sphere = dynamic_cast<const Sphere*>(&object)) {
            writePoint(sphere->center);
            for (const Vector3& axis : sphere->axes) writePoint(axis);
        } else if (const auto* point = dynamic_cast<const Point*>(&object)) {
            writePoint(point->position);
            append(" %a", static_cast<double>(point->sampleValue));
        }
        text_ += '\n';
    }

    std::string take() { return std::move(text_); }

private:
    void append(const char* format, auto... values) {
        char buffer[512];
        std::snprintf(buffer, sizeof buffer, format, values...);
        text_ += buffer;
    }
    void writePoint(const Vector3& p) {
        append(" (%a %a %a)", static_cast<double>(p.x), static_cast<double>(p.y), static_cast<double>(p.z));
    }
    void writeSet(const AttributeSet* set) {
        if (set == nullptr) return;
        const auto [entry, added] = sets_.emplace(set, static_cast<int>(sets_.size()));
        append(" set %d", entry->second);
        if (!added) return;
        append(" refs %d flags %" PRIX32, set->refCount(), set->flags());
        writePoint(set->color());
        append(" %a %a %a %a %a", static_cast<double>(set->ambient()), static_cast<double>(set->diffuse()),
               static_cast<double>(set->specular()), static_cast<double>(set->shininess()),
               static_cast<double>(set->alpha()));
    }

    std::string text_;
    std::map<const AttributeSet*, int> sets_;
};

}  // namespace

std::string exactForm(const SceneObject& object) {
    ExactFormWriter writer;
    writer.write(object, 0);
    return writer.take();
}

std::string firstDifference(const std::string& expected, const std::string& actual) {
    std::istringstream a(expected), b(actual);
    std::string left, right;
    for (int line = 1;; ++line) {
        const bool moreLeft = static_cast<bool>(std::getline(a, left));
        const bool moreRight = static_cast<bool>(std::getline(b, right));
        if (!moreLeft && !moreRight) return {};
        if (moreLeft != moreRight || left != right) {
            return "line " + std::to_string(line) + ": expected \"" + (moreLeft ? left : "<end>") + "\", got \"" +
                   (moreRight ? right : "<end>") + "\"";
        }
    }
}

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
    } else if (const auto* grid = dynamic_cast<const ShadedGrid*>(&object)) {
        for (int j = 0; j < grid->rows(); ++j) {
            for (int i = 0; i < grid->columns(); ++i) {
                if (auto found = describe("grid node", i + grid->columns() * j, grid->node(i, j))) return found;
                if (auto found = describe("grid colour", i + grid->columns() * j, grid->colour(i, j))) return found;
            }
        }
    } else if (const auto* sphere = dynamic_cast<const Sphere*>(&object)) {
        if (auto found = describe("sphere centre", 0, sphere->center)) return found;
    } else if (const auto* box = dynamic_cast<const ABox*>(&object)) {
        if (auto found = describe("box corner", 0, box->min)) return found;
        if (auto found = describe("box corner", 1, box->max)) return found;
    }
    return std::nullopt;
}

}  // namespace kelvaro::testing
