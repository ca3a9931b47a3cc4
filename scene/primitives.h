#pragma once
// The leaves of the scene tree: points, lines, polylines, boxes, spheres and triangles.
// Each draws its attribute set (when it has one) and then its geometry; all coordinates
// are single precision. Text forms write every number as "%g" does in the C locale
// (numberText), whatever the process's locale.

#include <memory>
#include <utility>

#include "common/vector3.h"
#include "scene/point_array.h"
#include "scene/scene_object.h"

namespace kelvaro {

// A lone vertex; it issues no glBegin/glEnd of its own, so it belongs to whatever
// primitive the caller has open. `sampleValue` is free for a scalar sampled at the point.
class Point : public AttributedObject {
public:
    Point() : AttributedObject(PointType) {}

    bool print(std::FILE* stream) const override;
    void draw() const override;

    Vector3 position;
    float sampleValue = 0.0f;

protected:
    ~Point() override = default;
};

class Line : public AttributedObject {
public:
    Line(const Vector3& from, const Vector3& to) : AttributedObject(LineType), start(from), end(to) {}

    bool print(std::FILE* stream) const override;
    // The attribute set is applied before glBegin, so its lighting switch takes effect.
    void draw() const override;

    Vector3 start;
    Vector3 end;

protected:
    ~Line() override = default;
};

// A line strip through the points of its PointArray.
class PolyLine : public PointArray, public AttributedObject {
public:
    explicit PolyLine(std::int32_t capacity) : PointArray(capacity), AttributedObject(PolyLineType) {}
    // Copies the points into exactly-sized storage and shares (retains) the source's set.
    PolyLine(const PolyLine& source);
    // Takes over `points`, holding `count` points, as exactly-sized storage; no attribute set.
    PolyLine(std::unique_ptr<Vector3[]> points, std::int32_t count)
        : PointArray(std::move(points), count), AttributedObject(PolyLineType) {}

    bool print(std::FILE* stream) const override;
    // The attribute set is applied before glBegin; fewer than two points draw an empty strip.
    void draw() const override;

protected:
    ~PolyLine() override = default;
};

// An axis-aligned box; its owner sets both corners with min <= max on every axis.
class ABox : public AttributedObject {
public:
    ABox() : AttributedObject(ABoxType) {}

    // True when min <= p <= max on every axis, faces included; not-a-number gives false.
    bool contains(const Vector3& p) const;

    bool print(std::FILE* stream) const override;
    void draw() const override;

    Vector3 min;
    Vector3 max;

protected:
    ~ABox() override = default;
};

// A sphere (or ellipsoid) given by its centre and three semi-axis vectors; drawn with
// GLU at the x component of the first semi-axis.
class Sphere : public AttributedObject {
public:
    explicit Sphere(float radius);

    void setCenter(const Vector3& point) { center = point; }

    bool print(std::FILE* stream) const override;
    // Uses a quadric object of its own for the draw and deletes it afterwards.
    void draw() const override;

    Vector3 center;
    Vector3 axes[3];

protected:
    ~Sphere() override = default;
};

// A triangle with optional per-corner normals. It has no text form.
class Triangle : public AttributedObject {
public:
    Triangle(const Vector3& a, const Vector3& b, const Vector3& c);

    void setNormals(const Vector3& na, const Vector3& nb, const Vector3& nc);
    void clearNormals();

    // Writes nothing and answers false.
    bool print(std::FILE* stream) const override;
    void draw() const override;

    Vector3 vertices[3];
    Vector3 normals[3];
    bool hasNormal[3] = {false, false, false};

protected:
    ~Triangle() override = default;
};

}  // namespace kelvaro
