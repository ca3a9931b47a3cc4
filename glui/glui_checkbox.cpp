// Check boxes: a 13 px sunken box, ticked or not, with the label to its right.
#include <algorithm>

#include "glui/glui.h"
#include "glui/glui_font.h"

namespace {
constexpr int box_size = 13;
constexpr int label_offset = 18;  // from the control's left edge to its label
}  // namespace

GLUI_Checkbox::GLUI_Checkbox(const char* label, int* live_int, int id, GLUI_Update_CB cb)
    : GLUI_Clickable(label, id, cb, GLUI_ALIGN_LEFT), live(live_int) {
  if (live) {
    int_val = *live != 0 ? 1 : 0;
    last_live = *live;
  }
}

void GLUI_Checkbox::set_int_val(int value) {
  int_val = value != 0 ? 1 : 0;
  if (live) last_live = *live = int_val;
  redraw();
}

void GLUI_Checkbox::update_size() {
  w = label_offset + glui_text_width(name.str()) + 3;
  h = box_size;
}

void GLUI_Checkbox::draw(GLUI_Painter& painter) const {
  const int x0 = x_abs, y0 = y_abs, x1 = x_abs + box_size - 1, y1 = y_abs + box_size - 1;
  painter.fill_rect(x0 + 2, y0 + 2, x1 - 2, y1 - 2, enabled ? glui_colors::white : glui_colors::background);
  draw_sunken_bevel(painter, x0, y0, x1, y1);
  if ((int_val != 0) != pressed) {
    // A tick three pixels thick: down to the lower left third, then up to the right.
    const GLUI_Color tick = enabled ? glui_colors::black : glui_colors::grey50;
    for (int dy = 0; dy < 3; ++dy) {
      painter.line(x0 + 3, y0 + 5 + dy, x0 + 5, y0 + 7 + dy, tick);
      painter.line(x0 + 5, y0 + 7 + dy, x0 + 9, y0 + 3 + dy, tick);
    }
  }
  const int label_x = x_abs + label_offset;
  draw_label(painter, label_x, y_abs + 10, name.str());
  if (focused) {
    painter.dotted_rect(label_x - 2, y_abs - 1, label_x + glui_text_width(name.str()) + 1, y_abs + h,
                        glui_colors::black);
  }
}

void GLUI_Checkbox::sync_live() {
  if (!live || *live == last_live) return;
  last_live = *live;
  int_val = *live != 0 ? 1 : 0;
  redraw();
}

void GLUI_Checkbox::click() {
  set_int_val(int_val == 0 ? 1 : 0);
  live_changed();
  fire_callback();
}
