#include "render/overlays.h"

#include <GL/gl.h>

#include <cmath>
#include <cstdio>

#include "common/number_text.h"
#include "render/stroke_text.h"
#include "scene/group.h"
#include "scene/shaded_primitives.h"

namespace kelvaro {
namespace {

// Sizes in picture pixels (times the line scale).
constexpr double textHeight = 11.0;
constexpr double barWidth = 14.0;
constexpr double tickLength = 4.0;
constexpr double edgeMargin = 12.0;
constexpr double labelRoom = 52.0;  // between a bar and the next, for its values
constexpr int barSteps = 64;        // colours along a bar

// A value for a mark: two significant digits, whole numbers from 100 on written out.
std::string tickText(double value) {
    const double magnitude = std::fabs(value);
    const int digits = magnitude >= 100.0 && magnitude < 1e6 ? static_cast<int>(std::floor(std::log10(magnitude))) + 1 : 2;
    return numberText(value, digits).c_str();
}

void legendFrom(const SceneObject& object, LegendBars& bars) {
    if (object.typeCode() == GroupType) {
        const auto& group = static_cast<const Group&>(object);
        for (std::int32_t i = 0; i < group.count(); ++i) legendFrom(group.child(i), bars);
    } else if (object.typeCode() == ShadedGridType) {
        bars.potential = true;
    } else if (dynamic_cast<const ShadedPolyLine*>(&object) != nullptr || dynamic_cast<const ShadedLine*>(&object) != nullptr) {
        bars.strength = true;
    }
}

// One bar with its left edge at `left`: colours from `colourAt(0)` at the bottom to
// `colourAt(1)` at the top, an outline, the marks and their values to its right, the title above.
template <class ColourAt>
void drawBar(double left, double bottom, double height, int scale, const std::vector<BarTick>& ticks, const char* title,
             const float (&textColour)[3], ColourAt colourAt) {
    const double width = barWidth * scale;
    glBegin(GL_QUAD_STRIP);
    for (int k = 0; k <= barSteps; ++k) {
        const double place = double(k) / barSteps;
        const Vector3 colour = colourAt(place);
        glColor3f(colour.x, colour.y, colour.z);
        glVertex2f(static_cast<float>(left), static_cast<float>(bottom + place * height));
        glVertex2f(static_cast<float>(left + width), static_cast<float>(bottom + place * height));
    }
    glEnd();
    glColor3f(textColour[0], textColour[1], textColour[2]);
    glBegin(GL_LINE_LOOP);
    glVertex2f(static_cast<float>(left), static_cast<float>(bottom));
    glVertex2f(static_cast<float>(left + width), static_cast<float>(bottom));
    glVertex2f(static_cast<float>(left + width), static_cast<float>(bottom + height));
    glVertex2f(static_cast<float>(left), static_cast<float>(bottom + height));
    glEnd();
    const double text = textHeight * scale;
    for (const BarTick& tick : ticks) {
        const double y = bottom + tick.place * height;
        glBegin(GL_LINES);
        glVertex2f(static_cast<float>(left + width), static_cast<float>(y));
        glVertex2f(static_cast<float>(left + width + tickLength * scale), static_cast<float>(y));
        glEnd();
        drawStrokeText(tick.text, left + width + 2.0 * tickLength * scale, y - 0.5 * text, text);
    }
    drawStrokeText(title, left + 0.5 * (width - strokeTextWidth(title, text)), bottom + height + 0.8 * text, text);
}

}  // namespace

std::string chargeLabelText(double value) {
    if (value == 0.0) return "0";
    return std::string(value > 0.0 ? "+" : "") + numberText(value).c_str();
}

std::vector<BarTick> potentialBarTicks(const PotentialScale& scale) {
    std::vector<BarTick> ticks;
    if (!scale.usable()) return ticks;
    for (int k = -4; k <= 4; ++k) {
        const double position = k / 4.0;
        ticks.push_back({0.5 * (position + 1.0), tickText(k == 0 ? 0.0 : scale.potential(position))});
    }
    return ticks;
}

std::vector<BarTick> strengthBarTicks(const StrengthScale& scale) {
    std::vector<BarTick> ticks;
    if (!(scale.high > scale.low) || !std::isfinite(scale.low) || !std::isfinite(scale.high)) return ticks;
    for (double power = std::ceil(scale.low); power <= scale.high; power += 1.0) {
        ticks.push_back({(power - scale.low) / (scale.high - scale.low), numberText(std::pow(10.0, power)).c_str()});
    }
    return ticks;
}

LegendBars legendBarsOf(const Group& scene) {
    LegendBars bars;
    legendFrom(scene, bars);
    return bars;
}

PixelOverlay::PixelOverlay() {
    GLint viewport[4] = {0, 0, 0, 0};
    glGetIntegerv(GL_VIEWPORT, viewport);
    width_ = viewport[2];
    height_ = viewport[3];
    glPushAttrib(GL_ENABLE_BIT | GL_CURRENT_BIT | GL_LINE_BIT);
    glDisable(GL_DEPTH_TEST);
    glDisable(GL_LIGHTING);
    glMatrixMode(GL_PROJECTION);
    glPushMatrix();
    glLoadIdentity();
    glOrtho(0.0, width_, 0.0, height_, -1.0, 1.0);
    glMatrixMode(GL_MODELVIEW);
    glPushMatrix();
    glLoadIdentity();
}

PixelOverlay::~PixelOverlay() {
    glMatrixMode(GL_PROJECTION);
    glPopMatrix();
    glMatrixMode(GL_MODELVIEW);
    glPopMatrix();
    glPopAttrib();
}

void drawLegend(const Model& model, const LegendBars& bars, const LegendBars& which, const float (&textColour)[3],
                int scale) {
    const PixelOverlay overlay;
    const double height = 0.5 * overlay.height();
    const double bottom = 0.25 * overlay.height();
    double left = overlay.width() - (edgeMargin + labelRoom + barWidth) * scale;
    if (bars.potential) {
        if (which.potential) {
            const PotentialScale potential = potentialScaleOf(model);
            drawBar(left, bottom, height, scale, potentialBarTicks(potential), "V", textColour,
                    [](double place) { return divergingColour(2.0 * place - 1.0); });
        }
        left -= (labelRoom + barWidth) * scale;
    }
    if (bars.strength && which.strength) {
        drawBar(left, bottom, height, scale, strengthBarTicks(strengthScaleOf(model)), "|E|", textColour,
                [](double place) { return viridisColour(place); });
    }
}

}  // namespace kelvaro
