// The immediate-mode OpenGL drawing of the primitives with a colour at every vertex, apart
// from the rest of them so that the browser edition, which calls no GL, builds its own
// (web/scene_buffers.cpp).

#include <GL/gl.h>

#include "scene/shaded_primitives.h"

namespace kelvaro {
namespace {

void colouredVertex(const Vector3& colour, const Vector3& p) {
    glColor3f(colour.x, colour.y, colour.z);
    glVertex3f(p.x, p.y, p.z);
}

// The share of the depth range by which a shaded grid's depths are moved back (2^-13).
constexpr double gridDepthShift = 1.0 / 8192.0;

}  // namespace

void ShadedPolyLine::draw() const {
    drawAttributes();
    glBegin(GL_LINE_STRIP);
    if (count() > 1) {
        for (std::int32_t i = 0; i < count(); ++i) colouredVertex(colours_[i], point(i));
    }
    glEnd();
}

void ShadedLine::draw() const {
    drawAttributes();
    glBegin(GL_LINES);
    colouredVertex(startColour, start);
    colouredVertex(endColour, end);
    glEnd();
}

void ShadedGrid::draw() const {
    drawAttributes();
    glDisable(GL_LIGHTING);
    // Lines drawn in the plane must win the depth test against it wherever they lie on it.
    // The polygon offset covers a plane seen at a slant; its constant part counts in the
    // depth buffer's own steps, too fine in a 32-bit buffer for the rounding of a line's
    // depth, so the plane's depths are also moved back a fixed share of the range.
    glEnable(GL_POLYGON_OFFSET_FILL);
    glPolygonOffset(1.0f, 1.0f);
    glDepthRange(gridDepthShift, 1.0);
    for (int j = 0; j + 1 < rows(); ++j) {
        glBegin(GL_QUAD_STRIP);
        for (int i = 0; i < columns(); ++i) {
            colouredVertex(colour(i, j), node(i, j));
            colouredVertex(colour(i, j + 1), node(i, j + 1));
        }
        glEnd();
    }
    glDepthRange(0.0, 1.0);
    glDisable(GL_POLYGON_OFFSET_FILL);
}

}  // namespace kelvaro
