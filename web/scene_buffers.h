#pragma once
// The browser edition's drawing of the scene classes. Instead of OpenGL calls, each draw()
// adds its geometry to the SceneBuffers being filled: in batches by primitive and by the
// style that the attribute sets drawn before it left in effect, as they would in OpenGL
// (a set saves and restores nothing). The page draws the batches with WebGL.

#include <array>
#include <cstdint>
#include <map>
#include <vector>

#include "common/vector3.h"

namespace kelvaro {

class PolyLine;

// What the attribute sets drawn so far leave in effect: lighting on or off, the colour of
// unlit geometry and the front-face material of lit geometry (red, green, blue, alpha), as
// OpenGL keeps them. The defaults are OpenGL's, with lighting on as a frame starts.
struct DrawStyle {
    bool lit = true;
    Vector3 color{1.0f, 1.0f, 1.0f};
    std::array<float, 4> ambient{0.2f, 0.2f, 0.2f, 1.0f};
    std::array<float, 4> diffuse{0.8f, 0.8f, 0.8f, 1.0f};
    std::array<float, 4> specular{0.0f, 0.0f, 0.0f, 1.0f};
    float shininess = 0.0f;

    bool operator<(const DrawStyle& other) const;
};

enum class Primitive { Points, Lines, PolyLines, Triangles, Spheres };

// The geometry of one primitive drawn in one style, in drawing order.
struct GeometryBatch {
    Primitive primitive = Primitive::Points;
    DrawStyle style;
    std::vector<float> positions;  // x, y, z of each vertex (of each centre, for spheres)
    std::vector<float> normals;    // triangles: per vertex; 0, 0, 0 where it has none
    std::vector<std::int32_t> counts;  // polylines: the points of each
    std::vector<float> radii;          // spheres
};

// The batches of one stretch of drawing (the model's own geometry, or one visualisation),
// in the order their first element was drawn, and the polylines drawn in it.
struct DrawnPart {
    std::vector<GeometryBatch> batches;
    std::vector<const PolyLine*> polyLines;
};

class SceneBuffers {
public:
    // Draws into this from now on (the scene classes' draw methods fill it); one at a time.
    SceneBuffers();
    ~SceneBuffers();
    SceneBuffers(const SceneBuffers&) = delete;
    SceneBuffers& operator=(const SceneBuffers&) = delete;

    // The buffers being drawn into; null when none.
    static SceneBuffers* current();

    // Ends the present part and starts the next; the style stays in effect.
    void startPart();
    const std::vector<DrawnPart>& parts() const { return parts_; }

    DrawStyle& style() { return style_; }
    // The batch of `primitive` in the present style within the present part.
    GeometryBatch& batch(Primitive primitive);
    void notePolyLine(const PolyLine& line) { parts_.back().polyLines.push_back(&line); }

private:
    DrawStyle style_;
    std::vector<DrawnPart> parts_;
    std::map<std::pair<Primitive, DrawStyle>, std::size_t> batchOfStyle_;  // within the present part
};

}  // namespace kelvaro
