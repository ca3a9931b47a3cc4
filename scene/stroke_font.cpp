#include "scene/stroke_font.h"

#include <initializer_list>

namespace kelvaro {
namespace {

struct Spot {
    float x, y;
};

// A glyph: its polylines, each a run of grid points.
using Glyph = std::initializer_list<std::initializer_list<Spot>>;

const Glyph* glyphOf(char c) {
    static const Glyph digits[10] = {
        {{{0, 0}, {4, 0}, {4, 6}, {0, 6}, {0, 0}}},
        {{{1, 5}, {2, 6}, {2, 0}}, {{1, 0}, {3, 0}}},
        {{{0, 6}, {4, 6}, {4, 3}, {0, 3}, {0, 0}, {4, 0}}},
        {{{0, 6}, {4, 6}, {4, 0}, {0, 0}}, {{1, 3}, {4, 3}}},
        {{{0, 6}, {0, 3}, {4, 3}}, {{4, 6}, {4, 0}}},
        {{{4, 6}, {0, 6}, {0, 3}, {4, 3}, {4, 0}, {0, 0}}},
        {{{4, 6}, {0, 6}, {0, 0}, {4, 0}, {4, 3}, {0, 3}}},
        {{{0, 6}, {4, 6}, {1, 0}}},
        {{{0, 0}, {4, 0}, {4, 6}, {0, 6}, {0, 0}}, {{0, 3}, {4, 3}}},
        {{{0, 0}, {4, 0}, {4, 6}, {0, 6}, {0, 3}, {4, 3}}},
    };
    static const Glyph dot = {{{1.5f, 0}, {2.5f, 0}, {2.5f, 1}, {1.5f, 1}, {1.5f, 0}}};
    static const Glyph comma = {{{2, 1}, {2, 0}, {1, -1.5f}}};
    static const Glyph plus = {{{0.5f, 3}, {3.5f, 3}}, {{2, 1.5f}, {2, 4.5f}}};
    static const Glyph minus = {{{0.5f, 3}, {3.5f, 3}}};
    static const Glyph equals = {{{0.5f, 2}, {3.5f, 2}}, {{0.5f, 4}, {3.5f, 4}}};
    static const Glyph open = {{{3, 7}, {2, 5.5f}, {2, 0.5f}, {3, -1}}};
    static const Glyph close = {{{1, 7}, {2, 5.5f}, {2, 0.5f}, {1, -1}}};
    static const Glyph bar = {{{2, -1}, {2, 7}}};
    static const Glyph capitalV = {{{0, 6}, {2, 0}, {4, 6}}};
    static const Glyph capitalE = {{{4, 6}, {0, 6}, {0, 0}, {4, 0}}, {{0, 3}, {3, 3}}};
    static const Glyph smallE = {{{0, 2}, {4, 2}, {4, 4}, {0, 4}, {0, 0}, {4, 0}}};
    static const Glyph smallK = {{{0, 6}, {0, 0}}, {{4, 4}, {0, 1.5f}}, {{1.5f, 2.5f}, {4, 0}}};
    if (c >= '0' && c <= '9') return &digits[c - '0'];
    switch (c) {
        case '.': return &dot;
        case ',': return &comma;
        case '+': return &plus;
        case '-': return &minus;
        case '=': return &equals;
        case '(': return &open;
        case ')': return &close;
        case '|': return &bar;
        case 'V': return &capitalV;
        case 'E': return &capitalE;
        case 'e': return &smallE;
        case 'k': return &smallK;
        default: return nullptr;
    }
}

}  // namespace

std::vector<Stroke> layOutStrokes(std::string_view text) {
    std::vector<Stroke> strokes;
    float x = 0.0f, y = 0.0f;
    for (const char c : text) {
        if (c == '\n') {
            x = 0.0f;
            y -= strokeLineHeight;
            continue;
        }
        if (const Glyph* glyph = glyphOf(c)) {
            for (const auto& run : *glyph) {
                const Spot* previous = nullptr;
                for (const Spot& spot : run) {
                    if (previous) strokes.push_back({x + previous->x, y + previous->y, x + spot.x, y + spot.y});
                    previous = &spot;
                }
            }
        }
        x += strokeAdvance;
    }
    return strokes;
}

float strokeLineWidth(std::string_view line) {
    return line.empty() ? 0.0f : static_cast<float>(line.size()) * strokeAdvance - (strokeAdvance - strokeCharWidth);
}

}  // namespace kelvaro
