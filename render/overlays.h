#pragma once
// What a frame draws over its scene in the pixels of its viewport: the values of the
// charges beside them (charge labels) and the colour bars of a picture (its legend). The
// viewport of a picture drawn larger is the larger picture, so that every tile of it
// places them alike; sizes grow with the frame's line scale.

#include <string>
#include <vector>

#include "viz/colour_maps.h"

namespace kelvaro {

class Group;
class Model;

// The text of a charge's value beside it: "+1", "-2", "+0.25", and "0" for 0.
std::string chargeLabelText(double value);

// A value that a colour bar marks, and where: 0 at its bottom, 1 at its top.
struct BarTick {
    double place;
    std::string text;
};

// The potential bar's marks: the potentials at the scale's positions -1, -0.75, ..., 1
// (symmetric-logarithmic, so the marks are not evenly spaced in value), bottom to top.
std::vector<BarTick> potentialBarTicks(const PotentialScale& scale);
// The strength bar's marks: every whole power of ten of |E| within the scale, bottom to top.
std::vector<BarTick> strengthBarTicks(const StrengthScale& scale);

// The colour bars that a picture of `scene` needs: the potential's when it holds a plane's
// colour map (a ShadedGrid), the field strength's when it holds lines coloured by it.
struct LegendBars {
    bool potential = false;
    bool strength = false;
};
LegendBars legendBarsOf(const Group& scene);

// Switches to the viewport's pixels (origin at its lower left), without depth test or
// lighting, for what is drawn meanwhile; restores the matrices, that state, the current
// colour and the line width afterwards.
class PixelOverlay {
public:
    PixelOverlay();
    ~PixelOverlay();
    PixelOverlay(const PixelOverlay&) = delete;
    PixelOverlay& operator=(const PixelOverlay&) = delete;

    int width() const { return width_; }
    int height() const { return height_; }

private:
    int width_ = 0, height_ = 0;
};

// Draws the colour bars of `bars` for `model` along the right edge of the viewport, the
// potential's rightmost, each with its marks, their values and its title ("V", "|E|"), in
// `textColour`; `scale` is the frame's line scale. `which` picks the bars drawn in this
// call: drawn through print colours or not, the frame draws them in two calls.
void drawLegend(const Model& model, const LegendBars& bars, const LegendBars& which, const float (&textColour)[3],
                int scale);

}  // namespace kelvaro
