#include "render/stroke_text.h"

#include <GL/gl.h>

#include "scene/stroke_font.h"

namespace kelvaro {

double strokeTextWidth(std::string_view text, double height) {
    return strokeLineWidth(text) * height / strokeCapHeight;
}

void drawStrokeText(std::string_view text, double x, double y, double height) {
    const double unit = height / strokeCapHeight;
    glBegin(GL_LINES);
    for (const Stroke& stroke : layOutStrokes(text)) {
        glVertex2f(static_cast<float>(x + stroke.x0 * unit), static_cast<float>(y + stroke.y0 * unit));
        glVertex2f(static_cast<float>(x + stroke.x1 * unit), static_cast<float>(y + stroke.y1 * unit));
    }
    glEnd();
}

}  // namespace kelvaro
