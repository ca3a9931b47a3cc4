#include "scene/label.h"

#include "scene/print_checked.h"
#include "scene/stroke_font.h"

namespace kelvaro {
namespace {

// The text starts one capital's height to the right of its anchor, its first baseline half
// a capital's height above it (in font units).
constexpr float gapRight = strokeCapHeight;
constexpr float gapAbove = 0.5f * strokeCapHeight;

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

std::vector<Vector3> Label::strokeEnds(const Vector3d& right, const Vector3d& up) const {
    const double unit = height / strokeCapHeight;
    const auto at = [&](float x, float y) {
        const double across = (x + gapRight) * unit, above = (y + gapAbove) * unit;
        return Vector3{static_cast<float>(anchor.x + across * right.x + above * up.x),
                       static_cast<float>(anchor.y + across * right.y + above * up.y),
                       static_cast<float>(anchor.z + across * right.z + above * up.z)};
    };
    std::vector<Vector3> ends;
    for (const Stroke& stroke : layOutStrokes(text)) {
        ends.push_back(at(stroke.x0, stroke.y0));
        ends.push_back(at(stroke.x1, stroke.y1));
    }
    return ends;
}

}  // namespace kelvaro
