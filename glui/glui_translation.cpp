// Translation controls: values moved by pixels dragged times the speed, and the
// bevelled arrows that show the axes.
#include <algorithm>
#include <cmath>
#include <cstdlib>

#include "glui/glui.h"
#include "glui/glui_font.h"

namespace {

constexpr int label_band = 18;
constexpr int arrow_key_pixels = 6;
constexpr float arrow_r = 22.0f;

// One arrow from the centre (cx, cy) along the unit direction (dx, dy), starting
// `start` from the centre; width scales its shaft and head.
void draw_arrow(GLUI_Painter& painter, float cx, float cy, float dx, float dy, float start,
                float width, GLUI_Color fill) {
  const float shaft = 0.2f * arrow_r * width, head = 0.4f * arrow_r * width;
  const float head_base = 0.55f * arrow_r, tip = 0.94f * arrow_r;
  const float px = -dy, py = dx;  // perpendicular
  auto at = [&](float along, float across, float* out) {
    out[0] = cx + dx * along + px * across;
    out[1] = cy + dy * along + py * across;
  };
  float outline[14];
  at(start, -shaft, outline);
  at(head_base, -shaft, outline + 2);
  at(head_base, -head, outline + 4);
  at(tip, 0, outline + 6);
  at(head_base, head, outline + 8);
  at(head_base, shaft, outline + 10);
  at(start, shaft, outline + 12);
  const float shaft_quad[] = {outline[0], outline[1], outline[2], outline[3],
                              outline[10], outline[11], outline[12], outline[13]};
  const float head_triangle[] = {outline[4], outline[5], outline[6], outline[7], outline[8],
                                 outline[9]};
  float highlight[14];
  for (int i = 0; i < 14; i += 2) {
    highlight[i] = outline[i] - 1;
    highlight[i + 1] = outline[i + 1] - 1;
  }
  painter.outline_polygon(highlight, 7, glui_colors::white);
  painter.polygon(shaft_quad, 4, fill);
  painter.polygon(head_triangle, 3, fill);
  painter.outline_polygon(outline, 7, glui_colors::grey40);
}

}  // namespace

GLUI_Translation::GLUI_Translation(const char* label, int type, float* live_variable, int id,
                                   GLUI_Update_CB cb)
    : GLUI_Control(label, id, cb, GLUI_ALIGN_CENTER), trans_type(type), live(live_variable) {
  if (live) {
    for (int i = 0; i < value_count(); ++i) values[i] = last_live[i] = live[i];
  }
}

void GLUI_Translation::set_x(float x) {
  values[0] = x;
  write_live();
  redraw();
}

void GLUI_Translation::set_y(float y) {
  values[trans_type == GLUI_TRANSLATION_XY ? 1 : 0] = y;
  write_live();
  redraw();
}

void GLUI_Translation::set_z(float z) { set_x(z); }

void GLUI_Translation::write_live() {
  if (!live) return;
  for (int i = 0; i < value_count(); ++i) live[i] = last_live[i] = values[i];
}

void GLUI_Translation::sync_live() {
  if (!live) return;
  bool changed = false;
  for (int i = 0; i < value_count(); ++i) {
    if (live[i] != last_live[i]) {
      values[i] = last_live[i] = live[i];
      changed = true;
    }
  }
  if (changed) redraw();
}

void GLUI_Translation::on_press(int x, int y, int modifiers) {
  pressed = true;
  press_x = x;
  press_y = y;
  values_at_press[0] = values[0];
  values_at_press[1] = values[1];
  modifier_factor = (modifiers & glui_keys::shift) ? 100.0f
                    : (modifiers & glui_keys::ctrl) ? 0.01f
                                                    : 1.0f;
  lock_dominant_axis = (modifiers & glui_keys::alt) && trans_type == GLUI_TRANSLATION_XY;
  redraw();
}

void GLUI_Translation::on_drag(int x, int y) { move_by(x - press_x, press_y - y); }

void GLUI_Translation::on_release(int, int, bool) {
  pressed = false;
  redraw();
}

void GLUI_Translation::move_by(int dx_right, int dy_up) {
  const float step = speed * modifier_factor;
  if (lock_dominant_axis) {
    if (std::abs(dx_right) >= std::abs(dy_up)) {
      dy_up = 0;
    } else {
      dx_right = 0;
    }
  }
  switch (trans_type) {
    case GLUI_TRANSLATION_XY:
      values[0] = values_at_press[0] + step * static_cast<float>(dx_right);
      values[1] = values_at_press[1] + step * static_cast<float>(dy_up);
      break;
    case GLUI_TRANSLATION_X:
      values[0] = values_at_press[0] + step * static_cast<float>(dx_right);
      break;
    default:  // Y and Z move with vertical drags
      values[0] = values_at_press[0] + step * static_cast<float>(dy_up);
  }
  write_live();
  redraw();
  live_changed();
  fire_callback();
}

bool GLUI_Translation::on_special(int key, int) {
  int dx = 0, dy = 0;
  switch (key) {
    case glui_keys::left: dx = -arrow_key_pixels; break;
    case glui_keys::right: dx = arrow_key_pixels; break;
    case glui_keys::up: dy = arrow_key_pixels; break;
    case glui_keys::down: dy = -arrow_key_pixels; break;
    default: return false;
  }
  const bool horizontal = trans_type == GLUI_TRANSLATION_X || trans_type == GLUI_TRANSLATION_XY;
  const bool vertical = trans_type != GLUI_TRANSLATION_X;
  if ((dx != 0 && !horizontal) || (dy != 0 && !vertical)) return false;
  values_at_press[0] = values[0];
  values_at_press[1] = values[1];
  modifier_factor = 1.0f;
  lock_dominant_axis = false;
  move_by(dx, dy);
  return true;
}

void GLUI_Translation::update_size() {
  w = std::max(50, glui_text_width(name.str()) + 6);
  h = 68;
}

void GLUI_Translation::draw(GLUI_Painter& painter) const {
  const float cx = x_abs + w / 2.0f, cy = y_abs + (h - label_band) / 2.0f + 2.0f;
  const int sx0 = static_cast<int>(cx) - 25, sy0 = static_cast<int>(cy) - 25;
  painter.outline_rect(sx0 + 1, sy0 + 1, sx0 + 50, sy0 + 50, glui_colors::white);
  painter.outline_rect(sx0, sy0, sx0 + 49, sy0 + 49, glui_colors::grey50);

  const float base = glui_colors::background.r + 0.07f;
  const GLUI_Color idle{base, base, base};
  const GLUI_Color fill = !enabled ? glui_colors::background : pressed ? glui_colors::grey60 : idle;
  switch (trans_type) {
    case GLUI_TRANSLATION_XY:
      for (const auto& d : {std::pair{0.0f, -1.0f}, {0.0f, 1.0f}, {-1.0f, 0.0f}, {1.0f, 0.0f}}) {
        draw_arrow(painter, cx, cy, d.first, d.second, 0.3f * arrow_r, 0.8f, fill);
      }
      break;
    case GLUI_TRANSLATION_X:
      draw_arrow(painter, cx, cy, -1, 0, 0.1f * arrow_r, 1.0f, fill);
      draw_arrow(painter, cx, cy, 1, 0, 0.1f * arrow_r, 1.0f, fill);
      break;
    case GLUI_TRANSLATION_Y:
      draw_arrow(painter, cx, cy, 0, -1, 0.1f * arrow_r, 1.0f, fill);
      draw_arrow(painter, cx, cy, 0, 1, 0.1f * arrow_r, 1.0f, fill);
      break;
    default:  // Z: the far (upper) arrow narrower, the near one wider
      draw_arrow(painter, cx, cy, 0, -1, 0.1f * arrow_r, 0.7f, fill);
      draw_arrow(painter, cx, cy, 0, 1, 0.1f * arrow_r, 1.25f, fill);
  }
  draw_label(painter, x_abs + (w - glui_text_width(name.str())) / 2, y_abs + h - 4, name.str());
}
