#pragma once
// The primitives of colour by strength and of a plane through the field: lines and
// polylines with a colour at every vertex, the coloured grid of a plane's colour map, and
// the level lines drawn on it. Each draws its attribute set first (which switches lighting
// off for a plain colour) and then its vertices, each after its own glColor3f. Text forms
// leave the vertex colours out, as an attribute set's leaves its colour out.

#include <cstdint>
#include <memory>
#include <vector>

#include "common/vector3.h"
#include "scene/primitives.h"

namespace kelvaro {

// A polyline with a colour at each point. Everything that takes a PolyLine takes it (its
// type code is PolyLine's, its text form is PolyLine's).
class ShadedPolyLine : public PolyLine {
public:
    // Takes over `points` and `colours`, `count` of each, as exactly-sized storage.
    ShadedPolyLine(std::unique_ptr<Vector3[]> points, std::unique_ptr<Vector3[]> colours, std::int32_t count)
        : PolyLine(std::move(points), count), colours_(std::move(colours)) {}

    const Vector3& colour(std::int32_t index) const { return colours_[index]; }

    // The attribute set, then glBegin(GL_LINE_STRIP) and each point after its colour
    // (none for fewer than two points), then glEnd().
    void draw() const override;

protected:
    ~ShadedPolyLine() override = default;

private:
    std::unique_ptr<Vector3[]> colours_;
};

// A line of equal value, such as an equipotential line: a PolyLine in all (type code,
// drawing, text form) but that it is no field line, so it carries no arrowheads.
class LevelLine : public PolyLine {
public:
    using PolyLine::PolyLine;

protected:
    ~LevelLine() override = default;
};

// A line with a colour at each end. Everything that takes a Line takes it.
class ShadedLine : public Line {
public:
    ShadedLine(const Vector3& from, const Vector3& to, const Vector3& fromColour, const Vector3& toColour)
        : Line(from, to), startColour(fromColour), endColour(toColour) {}

    void draw() const override;

    Vector3 startColour;
    Vector3 endColour;

protected:
    ~ShadedLine() override = default;
};

// The point of the plane where coordinate `axis` (0 x, 1 y, 2 z) equals `level` whose next
// two coordinates in turn (y and z for x, z and x for y, x and y for z) are u and v.
Vector3 pointInPlane(int axis, float level, float u, float v);

// A rectangle in the plane where coordinate `axis` (0 x, 1 y, 2 z) equals `level`,
// tessellated along a grid with a colour at every node. The grid's first coordinate u and
// second v are the next two axes in turn (y and z for x, z and x for y, x and y for z);
// node (i, j) lies at (us[i], vs[j]) and has colours[i + us.size() * j].
class ShadedGrid : public AttributedObject {
public:
    // Raises std::invalid_argument when the colours do not match the nodes.
    ShadedGrid(int axis, float level, std::vector<float> us, std::vector<float> vs, std::vector<Vector3> colours);

    int axis() const { return axis_; }
    float level() const { return level_; }
    int columns() const { return static_cast<int>(us_.size()); }  // nodes along u
    int rows() const { return static_cast<int>(vs_.size()); }     // nodes along v
    Vector3 node(int i, int j) const;
    const Vector3& colour(int i, int j) const { return colours_[static_cast<std::size_t>(i + columns() * j)]; }

    // "ShadedGrid(", the attribute set, then "<axis letter> = <level>; " and for u, then v,
    // "<first>, <last>, <nodes>", separated by "; ", and ")\n".
    bool print(std::FILE* stream) const override;
    // The attribute set, lighting off, then each row of cells as a GL_QUAD_STRIP of coloured
    // nodes, pushed back meanwhile (the polygon offset (1, 1) and the depth range from
    // 2^-13 to 1), so that lines drawn in the plane win the depth test against it.
    void draw() const override;

protected:
    ~ShadedGrid() override = default;

private:
    int axis_;
    float level_;
    std::vector<float> us_, vs_;
    std::vector<Vector3> colours_;
};

}  // namespace kelvaro
