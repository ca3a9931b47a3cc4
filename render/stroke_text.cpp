#include "render/stroke_text.h"

#include <GL/gl.h>

#include <initializer_list>

namespace kelvaro {
namespace {

// A point of a stroke, in units of a sixth of a digit's height.
struct StrokePoint {
    float x, y;
};

struct Glyph {
    char character;
    float advance;  // in the same units
    std::initializer_list<std::initializer_list<StrokePoint>> strokes;
};

// Digits are 4 units wide and 6 tall, drawn as their segments.
const Glyph glyphs[] = {
    {'0', 6, {{{0, 0}, {4, 0}, {4, 6}, {0, 6}, {0, 0}}}},
    {'1', 6, {{{1, 5}, {2, 6}, {2, 0}}, {{1, 0}, {3, 0}}}},
    {'2', 6, {{{0, 6}, {4, 6}, {4, 3}, {0, 3}, {0, 0}, {4, 0}}}},
    {'3', 6, {{{0, 6}, {4, 6}, {4, 0}, {0, 0}}, {{1, 3}, {4, 3}}}},
    {'4', 6, {{{3, 0}, {3, 6}, {0, 2}, {4, 2}}}},
    {'5', 6, {{{4, 6}, {0, 6}, {0, 3}, {4, 3}, {4, 0}, {0, 0}}}},
    {'6', 6, {{{4, 6}, {0, 6}, {0, 0}, {4, 0}, {4, 3}, {0, 3}}}},
    {'7', 6, {{{0, 6}, {4, 6}, {1, 0}}}},
    {'8', 6, {{{0, 0}, {4, 0}, {4, 6}, {0, 6}, {0, 0}}, {{0, 3}, {4, 3}}}},
    {'9', 6, {{{4, 3}, {0, 3}, {0, 6}, {4, 6}, {4, 0}, {0, 0}}}},
    {'+', 6, {{{0, 3}, {4, 3}}, {{2, 1}, {2, 5}}}},
    {'-', 6, {{{0.5f, 3}, {3.5f, 3}}}},
    {'.', 3, {{{0.5f, 0}, {1.5f, 0}, {1.5f, 1}, {0.5f, 1}, {0.5f, 0}}}},
    {'e', 6, {{{0, 2}, {4, 2}, {4, 4}, {0, 4}, {0, 0}, {4, 0}}}},
    {'E', 6, {{{4, 6}, {0, 6}, {0, 0}, {4, 0}}, {{0, 3}, {3, 3}}}},
    {'V', 6, {{{0, 6}, {2, 0}, {4, 6}}}},
    {'|', 3, {{{1, -1}, {1, 7}}}},
    {' ', 4, {}},
};

const Glyph& glyphOf(char character) {
    for (const Glyph& glyph : glyphs) {
        if (glyph.character == character) return glyph;
    }
    return glyphs[sizeof glyphs / sizeof glyphs[0] - 1];  // the blank
}

}  // namespace

double strokeTextWidth(std::string_view text, double height) {
    double units = 0.0;
    for (char character : text) units += glyphOf(character).advance;
    // The last character's gap of 2 units is no part of the text.
    return text.empty() ? 0.0 : (units - 2.0) * height / 6.0;
}

void drawStrokeText(std::string_view text, double x, double y, double height) {
    const double unit = height / 6.0;
    for (char character : text) {
        const Glyph& glyph = glyphOf(character);
        for (const auto& stroke : glyph.strokes) {
            glBegin(GL_LINE_STRIP);
            for (const StrokePoint& p : stroke) {
                glVertex2f(static_cast<float>(x + p.x * unit), static_cast<float>(y + p.y * unit));
            }
            glEnd();
        }
        x += glyph.advance * unit;
    }
}

}  // namespace kelvaro
