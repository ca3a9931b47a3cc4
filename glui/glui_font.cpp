#include "glui/glui_font.h"

namespace {

// glutBitmapWidth(GLUT_BITMAP_HELVETICA_12, c) for c = 0..255, read once from freeglut
// under Xvfb and kept here.
constexpr unsigned char helvetica12_widths[256] = {
    0, 4, 4, 4, 4, 4, 4, 4, 4, 4, 4, 4, 4, 4, 4, 4,
    4, 4, 4, 4, 4, 4, 4, 4, 4, 4, 4, 4, 4, 4, 4, 4,
    4, 3, 5, 7, 7, 11, 9, 3, 4, 4, 5, 7, 4, 8, 3, 4,
    7, 7, 7, 7, 7, 7, 7, 7, 7, 7, 3, 3, 7, 7, 7, 7,
    12, 9, 8, 9, 9, 8, 8, 9, 9, 3, 7, 8, 7, 11, 9, 10,
    8, 10, 8, 8, 7, 8, 9, 11, 9, 9, 9, 3, 4, 3, 6, 7,
    3, 7, 7, 7, 7, 7, 3, 7, 7, 3, 3, 6, 3, 9, 7, 7,
    7, 7, 4, 6, 3, 7, 7, 9, 6, 7, 6, 4, 3, 4, 7, 4,
    4, 4, 4, 4, 4, 4, 4, 4, 4, 4, 4, 4, 4, 4, 4, 4,
    4, 4, 4, 4, 4, 4, 4, 4, 4, 4, 4, 4, 4, 4, 4, 4,
    4, 3, 7, 7, 7, 7, 3, 6, 3, 11, 5, 7, 8, 5, 11, 4,
    5, 7, 4, 4, 2, 7, 7, 3, 3, 4, 5, 7, 10, 10, 10, 7,
    9, 9, 9, 9, 9, 9, 11, 9, 8, 8, 8, 8, 3, 3, 3, 3,
    9, 9, 10, 10, 10, 10, 10, 7, 10, 8, 8, 8, 8, 9, 8, 7,
    7, 7, 7, 7, 7, 7, 11, 7, 7, 7, 7, 7, 3, 3, 3, 3,
    7, 7, 7, 7, 7, 7, 7, 7, 7, 7, 7, 7, 7, 7, 7, 7,
};

}  // namespace

int glui_char_width(unsigned char c) { return helvetica12_widths[c]; }

int glui_text_width(std::string_view text) {
  int width = 0;
  for (char c : text) width += glui_char_width(static_cast<unsigned char>(c));
  return width;
}
