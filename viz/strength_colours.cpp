#include "viz/strength_colours.h"

#include <memory>
#include <new>
#include <vector>

#include "scene/attribute_set.h"
#include "scene/shaded_primitives.h"
#include "viz/colour_maps.h"
#include "viz/point_evaluation.h"

namespace kelvaro {
namespace {

// Every vertex of the lines and polylines below `object`, in drawing order.
void collectVertices(const SceneObject& object, std::vector<Vector3>& vertices) {
    if (object.typeCode() == GroupType) {
        const auto& group = static_cast<const Group&>(object);
        for (std::int32_t i = 0; i < group.count(); ++i) collectVertices(group.child(i), vertices);
    } else if (object.typeCode() == PolyLineType) {
        const auto& line = static_cast<const PolyLine&>(object);
        for (std::int32_t i = 0; i < line.count(); ++i) vertices.push_back(line.point(i));
    } else if (object.typeCode() == LineType) {
        const auto& line = static_cast<const Line&>(object);
        vertices.push_back(line.start);
        vertices.push_back(line.end);
    }
}

// Makes the shaded copy of `object`, taking its vertices' colours from `colours` on.
class ShadedCopier {
public:
    explicit ShadedCopier(const std::vector<Vector3>& colours) : colours_(colours) {}

    // The copy of `group`, or an empty Ref when memory runs out.
    Ref<Group> copyGroup(const Group& group) {
        Ref<Group> result = create<Group>(20, 20);
        if (!result) return {};
        result->setAttributes(Ref<AttributeSet>::share(group.attributes()));
        for (std::int32_t i = 0; i < group.count(); ++i) {
            const Ref<SceneObject> child = copy(group.child(i));
            if (!child) return {};
            result->add(*child);
        }
        return result;
    }

private:
    Ref<SceneObject> copy(SceneObject& object) {
        if (object.typeCode() == GroupType) return copyGroup(static_cast<const Group&>(object));
        if (object.typeCode() == PolyLineType) return copyPolyLine(static_cast<const PolyLine&>(object));
        if (object.typeCode() == LineType) return copyLine(static_cast<const Line&>(object));
        return Ref<SceneObject>::share(&object);
    }

    Ref<SceneObject> copyPolyLine(const PolyLine& line) {
        const auto count = static_cast<std::size_t>(line.count());
        auto points = std::make_unique<Vector3[]>(count);
        auto colours = std::make_unique<Vector3[]>(count);
        for (std::size_t i = 0; i < count; ++i) {
            points[i] = line.point(static_cast<std::int32_t>(i));
            colours[i] = colours_[next_++];
        }
        Ref<ShadedPolyLine> shaded = create<ShadedPolyLine>(std::move(points), std::move(colours), line.count());
        if (shaded) shaded->setAttributes(Ref<AttributeSet>::share(line.attributes()));
        return shaded;
    }

    Ref<SceneObject> copyLine(const Line& line) {
        const Vector3& startColour = colours_[next_];
        const Vector3& endColour = colours_[next_ + 1];
        next_ += 2;
        Ref<ShadedLine> shaded = create<ShadedLine>(line.start, line.end, startColour, endColour);
        if (shaded) shaded->setAttributes(Ref<AttributeSet>::share(line.attributes()));
        return shaded;
    }

    const std::vector<Vector3>& colours_;
    std::size_t next_ = 0;
};

}  // namespace

Ref<Group> shadedByStrength(const Model& model, const Group& built, const BuildOptions& options) {
    try {
        std::vector<Vector3> vertices;
        collectVertices(built, vertices);
        std::vector<Vector3> fields(vertices.size());
        fieldsOf(model, vertices, fields.data(), options);
        const StrengthScale scale = strengthScaleOf(model);
        std::vector<Vector3> colours(vertices.size());
        for (std::size_t i = 0; i < fields.size(); ++i) colours[i] = strengthColour(scale, fields[i]);
        return ShadedCopier(colours).copyGroup(built);
    } catch (const std::bad_alloc&) {
        return {};
    }
}

}  // namespace kelvaro
