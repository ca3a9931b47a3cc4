#include "glui/glui_font.h"

#include <algorithm>

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

std::vector<std::string> glui_wrap_text(std::string_view text, int width) {
  std::vector<std::string> rows(1);
  int row_width = 0;
  size_t at = 0;
  while (at < text.size()) {
    // The next word and the blank before it, if the row holds something already.
    const size_t word_end = std::min(text.find(' ', at + 1), text.size());
    const std::string_view word = text.substr(at, word_end - at);
    const int word_width = glui_text_width(word);
    if (row_width + word_width <= width || rows.back().empty()) {
      if (rows.back().empty() && !word.empty() && word.front() == ' ' && at > 0) {
        // A row begins after the blank that broke the row before it.
        rows.back() += word.substr(1);
        row_width += word_width - glui_char_width(' ');
      } else {
        rows.back() += word;
        row_width += word_width;
      }
      // A word wider than a whole row is broken where it reaches the edge.
      while (row_width > width && rows.back().size() > 1) {
        std::string& row = rows.back();
        size_t fits = 0;
        for (int pen = 0; fits < row.size() && pen + glui_char_width(static_cast<unsigned char>(row[fits])) <= width; ++fits) {
          pen += glui_char_width(static_cast<unsigned char>(row[fits]));
        }
        fits = std::max<size_t>(fits, 1);
        std::string rest = row.substr(fits);
        row.resize(fits);
        rows.push_back(rest);
        row_width = glui_text_width(rest);
      }
      at = word_end;
    } else {
      rows.emplace_back();
      row_width = 0;
    }
  }
  return rows;
}
