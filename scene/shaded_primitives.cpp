#include "scene/shaded_primitives.h"

#include <GL/gl.h>

#include <stdexcept>
#include <utility>

#include "scene/print_checked.h"

namespace kelvaro {
namespace {

void colouredVertex(const Vector3& colour, const Vector3& p) {
    glColor3f(colour.x, colour.y, colour.z);
    glVertex3f(p.x, p.y, p.z);
}

double widened(float value) { return static_cast<double>(value); }

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

ShadedGrid::ShadedGrid(int axis, float level, std::vector<float> us, std::vector<float> vs, std::vector<Vector3> colours)
    : AttributedObject(ShadedGridType),
      axis_(axis),
      level_(level),
      us_(std::move(us)),
      vs_(std::move(vs)),
      colours_(std::move(colours)) {
    if (axis_ < 0 || axis_ > 2 || colours_.size() != us_.size() * vs_.size()) {
        throw std::invalid_argument("a shaded grid needs an axis and a colour for every node");
    }
}

Vector3 pointInPlane(int axis, float level, float u, float v) {
    float coordinates[3];
    coordinates[axis] = level;
    coordinates[(axis + 1) % 3] = u;
    coordinates[(axis + 2) % 3] = v;
    return {coordinates[0], coordinates[1], coordinates[2]};
}

Vector3 ShadedGrid::node(int i, int j) const {
    return pointInPlane(axis_, level_, us_[static_cast<std::size_t>(i)], vs_[static_cast<std::size_t>(j)]);
}

bool ShadedGrid::print(std::FILE* stream) const {
    const auto range = [&](const std::vector<float>& values, const char* ending) {
        return values.empty() ? printChecked(stream, "0%s", ending)
                              : printChecked(stream, "%g, %g, %d%s", widened(values.front()), widened(values.back()),
                                             static_cast<int>(values.size()), ending);
    };
    return printChecked(stream, "ShadedGrid(") && printAttributes(stream) &&
           printChecked(stream, "%c = %g; ", "xyz"[axis_], widened(level_)) && range(us_, "; ") && range(vs_, ")\n");
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
