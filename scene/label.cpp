#include "scene/label.h"

#include <GL/gl.h>

#include <cmath>

#include "scene/print_checked.h"
#include "scene/stroke_font.h"

namespace kelvaro {
namespace {

// The text starts one capital's height to the right of its anchor, its first baseline half
// a capital's height above it (in font units).
constexpr float gapRight = strokeCapHeight;
constexpr float gapAbove = 0.5f * strokeCapHeight;

struct Axis {
    double x, y, z;
};

// Row `row` of the rotation part of a column-major matrix (the eye's axis `row` in model
// coordinates), made unit; none when it has no length.
Axis eyeAxis(const GLfloat (&m)[16], int row) {
    const double x = m[row], y = m[row + 4], z = m[row + 8];
    const double length = std::sqrt(x * x + y * y + z * z);
    if (!(length > 0.0)) return {0.0, 0.0, 0.0};
    return {x / length, y / length, z / length};
}

}  // namespace

bool Label::print(std::FILE* stream) const {
    if (!printChecked(stream, "Label(") || !printAttributes(stream) ||
        !printChecked(stream, "%g, %g, %g; \"", static_cast<double>(anchor.x), static_cast<double>(anchor.y),
                      static_cast<double>(anchor.z))) {
        return false;
    }
    for (const char c : text) {
        if (!(c == '\n' ? printChecked(stream, "\\n") : printChecked(stream, "%c", c))) return false;
    }
    return printChecked(stream, "\")\n");
}

void Label::draw() const {
    drawAttributes();
    GLfloat view[16];
    glGetFloatv(GL_MODELVIEW_MATRIX, view);
    const Axis right = eyeAxis(view, 0);
    const Axis up = eyeAxis(view, 1);
    const double unit = height / strokeCapHeight;
    const auto vertex = [&](float x, float y) {
        const double across = (x + gapRight) * unit, above = (y + gapAbove) * unit;
        glVertex3f(static_cast<float>(anchor.x + across * right.x + above * up.x),
                   static_cast<float>(anchor.y + across * right.y + above * up.y),
                   static_cast<float>(anchor.z + across * right.z + above * up.z));
    };
    glBegin(GL_LINES);
    for (const Stroke& stroke : layOutStrokes(text)) {
        vertex(stroke.x0, stroke.y0);
        vertex(stroke.x1, stroke.y1);
    }
    glEnd();
}

}  // namespace kelvaro
