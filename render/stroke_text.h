#pragma once
// Short texts drawn as line strokes, for the values of charges and colour bars in frames
// and pictures: they need no font of the window system (pictures are drawn without one)
// and grow with the picture's samples as the lines do. The characters are the digits,
// "+", "-", ".", "e", "E", "V", "|" and the blank; any other character is left blank.

#include <string_view>

namespace kelvaro {

// The width of `text` at a character height of `height` (the height of a digit).
double strokeTextWidth(std::string_view text, double height);

// Draws `text` with its lower-left corner at (x, y) of the current coordinates, digits
// `height` tall, as GL_LINE_STRIPs in the current colour and line width.
void drawStrokeText(std::string_view text, double x, double y, double height);

}  // namespace kelvaro
