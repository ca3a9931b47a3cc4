#pragma once
// Short texts of the scene's stroke font (scene/stroke_font.h) drawn flat in window
// coordinates, for the values of charges and colour bars in frames and pictures: they need
// no font of the window system (pictures are drawn without one) and grow with the
// picture's samples as the lines do.

#include <string_view>

namespace kelvaro {

// The width of one line of `text` at a character height of `height` (the height of a digit).
double strokeTextWidth(std::string_view text, double height);

// Draws one line of `text` with its lower-left corner at (x, y) of the current coordinates,
// digits `height` tall, as GL_LINES in the current colour and line width.
void drawStrokeText(std::string_view text, double x, double y, double height);

}  // namespace kelvaro
