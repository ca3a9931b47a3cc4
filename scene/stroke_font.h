#pragma once
// A small stroke font of our own for labels in the scene: each character is a few straight
// strokes on a grid 4 units wide with capitals 6 units high, so that text is drawn with
// lines alone, at any size and in pictures as in the window.

#include <string_view>
#include <vector>

namespace kelvaro {

// One stroke of laid-out text, in font units: x to the right, y up, the first line's
// baseline at y = 0 and each further line 9 units lower.
struct Stroke {
    float x0, y0, x1, y1;
};

// Units from one character's start to the next's, and from one line's baseline to the next's.
inline constexpr float strokeAdvance = 6.0f;
inline constexpr float strokeLineHeight = 9.0f;
// The height of a capital letter or a digit, and the width of one.
inline constexpr float strokeCapHeight = 6.0f;
inline constexpr float strokeCharWidth = 4.0f;

// The strokes of `text`, lines separated by '\n'. The font has the digits, the signs
// . , + - = ( ) | and the letters V E e k; any other character leaves a blank of its width.
std::vector<Stroke> layOutStrokes(std::string_view text);

// The width of one line of text in font units, from its first character's left side to its
// last character's right side (0 for no character).
float strokeLineWidth(std::string_view line);

}  // namespace kelvaro
