// Scrolling lists: lines of text in a sunken box, a page at a time, and the scroll bar.
#include <algorithm>

#include "glui/glui.h"
#include "glui/glui_font.h"

namespace {

constexpr int text_inset = 5;   // from the box's left edge to the text
constexpr int box_inset = 2;    // the sunken bevel
constexpr int min_thumb = 10;
constexpr int lines_per_wheel_step = 3;

// A raised square with a triangle pointing up or down.
void draw_arrow_box(GLUI_Painter& painter, int x0, int y0, int size, bool up, bool enabled) {
  const int x1 = x0 + size - 1, y1 = y0 + size - 1;
  painter.fill_rect(x0, y0, x1, y1, glui_colors::background);
  painter.line(x0, y0, x1, y0, glui_colors::white);
  painter.line(x0, y0, x0, y1, glui_colors::white);
  painter.line(x0, y1, x1, y1, glui_colors::black);
  painter.line(x1, y0, x1, y1, glui_colors::black);
  const float cx = x0 + size / 2.0f, cy = y0 + size / 2.0f, d = up ? -1.0f : 1.0f;
  const float triangle[] = {cx - 3.5f, cy - 2 * d, cx + 3.5f, cy - 2 * d, cx, cy + 2 * d};
  painter.polygon(triangle, 3, enabled ? glui_colors::black : glui_colors::grey50);
}

}  // namespace

GLUI_List::GLUI_List(int width, int visible_rows, int id, GLUI_Update_CB cb)
    : GLUI_Control("", id, cb, GLUI_ALIGN_LEFT), width_asked(width), rows(std::max(visible_rows, 1)) {}

void GLUI_List::add_item(const char* text) {
  items.emplace_back(text ? text : "");
  redraw();
}

void GLUI_List::delete_all() {
  items.clear();
  start_line = 0;
  redraw();
}

int GLUI_List::last_start() const { return std::max(item_count() - rows, 0); }

void GLUI_List::set_start_line(int line) {
  const int kept = std::clamp(line, 0, last_start());
  if (kept == start_line) return;
  start_line = kept;
  redraw();
}

int GLUI_List::text_width() const { return w - bar_width - 2 * box_inset - 2 * text_inset; }

void GLUI_List::update_size() {
  w = std::max(width_asked, bar_width + 50);
  h = std::max(rows * row_height + 2 * box_inset + 2, 2 * bar_width + min_thumb);
}

void GLUI_List::thumb(int* top, int* height) const {
  const int track = track_height();
  const int count = std::max(item_count(), 1);
  *height = std::clamp(track * std::min(rows, count) / count, std::min(min_thumb, track), track);
  const int travel = track - *height;
  *top = last_start() == 0 ? 0 : travel * start_line / last_start();
}

void GLUI_List::draw(GLUI_Painter& painter) const {
  const int box_right = x_abs + w - bar_width - 1;
  draw_sunken_bevel(painter, x_abs, y_abs, box_right, y_abs + h - 1);
  painter.fill_rect(x_abs + box_inset, y_abs + box_inset, box_right - box_inset, y_abs + h - 1 - box_inset,
                    enabled ? glui_colors::white : glui_colors::background);
  const GLUI_Color text_color = enabled ? glui_colors::black : glui_colors::grey50;
  const int right_limit = box_right - box_inset;
  for (int row = 0; row < rows && start_line + row < item_count(); ++row) {
    // Whole characters only: a line wider than the box is cut at its edge.
    const std::string& line = items[static_cast<size_t>(start_line + row)];
    std::string shown;
    int pen = x_abs + box_inset + text_inset;
    for (char c : line) {
      pen += glui_char_width(static_cast<unsigned char>(c));
      if (pen > right_limit) break;
      shown += c;
    }
    painter.text(x_abs + box_inset + text_inset, y_abs + box_inset + row * row_height + 12, shown, text_color);
  }
  if (focused && enabled) {
    painter.dotted_rect(x_abs + 3, y_abs + 3, box_right - 3, y_abs + h - 4, glui_colors::black);
  }

  // The scroll bar: arrows at both ends, the track and the thumb between them.
  const int bar_x = box_right + 1;
  draw_arrow_box(painter, bar_x, y_abs, bar_width, true, enabled);
  draw_arrow_box(painter, bar_x, y_abs + h - bar_width, bar_width, false, enabled);
  painter.fill_rect(bar_x, track_top(), bar_x + bar_width - 1, track_top() + track_height() - 1,
                    glui_colors::grey75);
  int thumb_top = 0, thumb_height = 0;
  thumb(&thumb_top, &thumb_height);
  const int t0 = track_top() + thumb_top, t1 = t0 + thumb_height - 1;
  painter.fill_rect(bar_x, t0, bar_x + bar_width - 1, t1, glui_colors::background);
  painter.line(bar_x, t0, bar_x + bar_width - 1, t0, glui_colors::white);
  painter.line(bar_x, t0, bar_x, t1, glui_colors::white);
  painter.line(bar_x, t1, bar_x + bar_width - 1, t1, glui_colors::black);
  painter.line(bar_x + bar_width - 1, t0, bar_x + bar_width - 1, t1, glui_colors::black);
}

void GLUI_List::on_press(int x, int y, int) {
  if (x < x_abs + w - bar_width) return;
  if (y < track_top()) {
    set_start_line(start_line - 1);
  } else if (y >= track_top() + track_height()) {
    set_start_line(start_line + 1);
  } else {
    int thumb_top = 0, thumb_height = 0;
    thumb(&thumb_top, &thumb_height);
    const int at = y - track_top();
    if (at < thumb_top) {
      set_start_line(start_line - rows);
    } else if (at >= thumb_top + thumb_height) {
      set_start_line(start_line + rows);
    } else {
      dragging_thumb = true;
      drag_from_y = y;
      drag_from_line = start_line;
    }
  }
}

void GLUI_List::on_drag(int, int y) {
  if (!dragging_thumb) return;
  int thumb_top = 0, thumb_height = 0;
  thumb(&thumb_top, &thumb_height);
  const int travel = track_height() - thumb_height;
  if (travel <= 0) return;
  // Lines per pixel of the thumb's travel, rounded to the nearest line.
  const int moved = y - drag_from_y;
  const int lines = (2 * moved * last_start() + (moved >= 0 ? travel : -travel)) / (2 * travel);
  set_start_line(drag_from_line + lines);
}

void GLUI_List::on_release(int, int, bool) { dragging_thumb = false; }

bool GLUI_List::on_special(int key, int) {
  switch (key) {
    case glui_keys::up: set_start_line(start_line - 1); return true;
    case glui_keys::down: set_start_line(start_line + 1); return true;
    case glui_keys::page_up: set_start_line(start_line - rows); return true;
    case glui_keys::page_down: set_start_line(start_line + rows); return true;
    case glui_keys::home: set_start_line(0); return true;
    case glui_keys::end: scroll_to_end(); return true;
    default: return false;
  }
}

void GLUI_List::on_wheel(int steps) { set_start_line(start_line + steps * lines_per_wheel_step); }
