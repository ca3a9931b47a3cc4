#include "web/scene_buffers.h"

#include <algorithm>
#include <tuple>

#include "scene/attribute_set.h"
#include "scene/label.h"
#include "scene/primitives.h"
#include "scene/shaded_primitives.h"
#include "viz/potential_grid.h"

namespace kelvaro {
namespace {

SceneBuffers* filling = nullptr;

void addVertex(std::vector<float>& to, const Vector3& p) { to.insert(to.end(), {p.x, p.y, p.z}); }

// The batch for `primitive` in the present style, or none when nothing is being drawn into.
GeometryBatch* batchFor(Primitive primitive) {
    return filling != nullptr ? &filling->batch(primitive) : nullptr;
}

void addSegment(const Vector3& from, const Vector3& to) {
    if (GeometryBatch* lines = batchFor(Primitive::Lines)) {
        addVertex(lines->positions, from);
        addVertex(lines->positions, to);
    }
}

// The set's colour times `factor`, with its alpha (0 without one), as OpenGL's material.
void applyMaterial(std::array<float, 4>& material, const AttributeSet& set, float factor) {
    const Vector3& color = set.color();
    material[0] = color.x * factor;
    material[1] = color.y * factor;
    material[2] = color.z * factor;
    material[3] = set.has(AttributeSet::AlphaSet) ? set.alpha() : 0.0f;
}

bool wireframe(const AttributeSet* set) { return set != nullptr && set->has(AttributeSet::Wireframe); }

}  // namespace

bool DrawStyle::operator<(const DrawStyle& other) const {
    const auto key = [](const DrawStyle& s) {
        return std::tie(s.lit, s.color.x, s.color.y, s.color.z, s.ambient, s.diffuse, s.specular, s.shininess);
    };
    return key(*this) < key(other);
}

SceneBuffers::SceneBuffers() : parts_(1) { filling = this; }

SceneBuffers::~SceneBuffers() {
    if (filling == this) filling = nullptr;
}

SceneBuffers* SceneBuffers::current() { return filling; }

void SceneBuffers::startPart() {
    parts_.emplace_back();
    batchOfStyle_.clear();
}

GeometryBatch& SceneBuffers::batch(Primitive primitive) {
    std::vector<GeometryBatch>& batches = parts_.back().batches;
    const auto [entry, added] = batchOfStyle_.try_emplace({primitive, style_}, batches.size());
    if (added) batches.push_back({primitive, style_, {}, {}, {}, {}});
    return batches[entry->second];
}

void AttributeSet::draw() const {
    if (filling == nullptr || !has(ColorSet)) return;
    DrawStyle& style = filling->style();
    style.lit = has(Lighting);
    if (!style.lit) {
        style.color = color();
        return;
    }
    if (has(AmbientSet)) applyMaterial(style.ambient, *this, ambient());
    if (has(DiffuseSet)) applyMaterial(style.diffuse, *this, diffuse());
    if (has(SpecularSet)) applyMaterial(style.specular, *this, specular());
    if (has(ShininessSet)) style.shininess = shininess();
}

void Point::draw() const {
    drawAttributes();
    if (GeometryBatch* points = batchFor(Primitive::Points)) addVertex(points->positions, position);
}

void Line::draw() const {
    drawAttributes();
    addSegment(start, end);
}

// The page's camera is not known here: a label faces the start view (along z).
void Label::draw() const {
    drawAttributes();
    const std::vector<Vector3> ends = strokeEnds({1.0, 0.0, 0.0}, {0.0, 1.0, 0.0});
    for (std::size_t i = 0; i + 1 < ends.size(); i += 2) addSegment(ends[i], ends[i + 1]);
}

void PolyLine::draw() const {
    drawAttributes();
    if (filling == nullptr) return;
    filling->notePolyLine(*this);
    // A polyline of fewer than two points draws nothing but is kept, as the scene holds it.
    GeometryBatch& strips = filling->batch(Primitive::PolyLines);
    for (std::int32_t i = 0; i < count(); ++i) addVertex(strips.positions, point(i));
    strips.counts.push_back(count());
}

void ABox::draw() const {
    drawAttributes();
    const Vector3 corner[8] = {{min.x, min.y, min.z}, {max.x, min.y, min.z}, {max.x, max.y, min.z},
                               {min.x, max.y, min.z}, {min.x, min.y, max.z}, {max.x, min.y, max.z},
                               {max.x, max.y, max.z}, {min.x, max.y, max.z}};
    if (wireframe(attributes())) {
        if (filling != nullptr) filling->style().lit = false;
        constexpr int edges[12][2] = {{0, 1}, {1, 2}, {2, 3}, {3, 0}, {4, 5}, {5, 6},
                                      {6, 7}, {7, 4}, {0, 4}, {1, 5}, {2, 6}, {3, 7}};
        for (const auto& edge : edges) addSegment(corner[edge[0]], corner[edge[1]]);
        if (filling != nullptr) filling->style().lit = true;
        return;
    }
    // The four sides and the faces at the lowest and highest y, as the program draws a box.
    GeometryBatch* faces = batchFor(Primitive::Triangles);
    if (faces == nullptr) return;
    constexpr int quads[6][4] = {{4, 5, 6, 7}, {5, 1, 2, 6}, {1, 0, 3, 2}, {0, 4, 7, 3}, {0, 1, 5, 4}, {3, 2, 6, 7}};
    for (const auto& quad : quads) {
        for (int index : {quad[0], quad[1], quad[2], quad[0], quad[2], quad[3]}) {
            addVertex(faces->positions, corner[index]);
            faces->normals.insert(faces->normals.end(), {0.0f, 0.0f, 0.0f});
        }
    }
}

void Sphere::draw() const {
    drawAttributes();
    if (GeometryBatch* spheres = batchFor(Primitive::Spheres)) {
        addVertex(spheres->positions, center);
        spheres->radii.push_back(axes[0].x);
    }
}

void Triangle::draw() const {
    drawAttributes();
    if (wireframe(attributes())) {
        if (filling != nullptr) filling->style().lit = false;
        for (int i = 0; i < 3; ++i) addSegment(vertices[i], vertices[(i + 1) % 3]);
        return;
    }
    GeometryBatch* triangles = batchFor(Primitive::Triangles);
    if (triangles == nullptr) return;
    for (int i = 0; i < 3; ++i) {
        addVertex(triangles->positions, vertices[i]);
        addVertex(triangles->normals, hasNormal[i] ? normals[i] : Vector3{});
    }
}

void GridEdge::draw() const {
    drawAttributes();
    addSegment(lower->position, upper->position);
}

// The primitives with a colour at every vertex (colour by strength, a plane's colour map):
// a batch holds one colour, so the page refuses the requests that make them (web_session.cpp);
// drawn all the same, their lines take their attribute sets' colour and the map draws nothing.
void ShadedPolyLine::draw() const { PolyLine::draw(); }

void ShadedLine::draw() const { Line::draw(); }

void ShadedGrid::draw() const { drawAttributes(); }

}  // namespace kelvaro
