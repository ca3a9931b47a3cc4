// The rotation ball: arcball dragging, spinning on idle ticks, and its look.
#include <algorithm>
#include <cmath>
#include <cstring>

#include "glui/glui.h"
#include "glui/glui_font.h"

namespace {

constexpr double min_spin_angle = 0.16 * M_PI / 180.0;  // radians; smaller steps stop a spin
constexpr int label_band = 18;                          // room below the ball for the label
constexpr int arrow_key_pixels = 6;

void draw_circle(GLUI_Painter& painter, float cx, float cy, float r, GLUI_Color color) {
  constexpr int segments = 48;
  float points[2 * segments];
  for (int i = 0; i < segments; ++i) {
    const double a = 2.0 * M_PI * i / segments;
    points[2 * i] = cx + r * static_cast<float>(std::cos(a));
    points[2 * i + 1] = cy + r * static_cast<float>(std::sin(a));
  }
  painter.outline_polygon(points, segments, color);
}

}  // namespace

GLUI_Rotation::GLUI_Rotation(const char* label, float* live_variable, int id, GLUI_Update_CB cb)
    : GLUI_Control(label, id, cb, GLUI_ALIGN_CENTER), live(live_variable) {
  write_live();
}

Arcball GLUI_Rotation::ball() const {
  const int ball_height = h - label_band;
  return Arcball(x_abs + w / 2.0, y_abs + ball_height / 2.0, 2.0 * ball_height);
}

void GLUI_Rotation::reset() {
  rotation.set_identity();
  spinning = false;
  write_live();
  redraw();
  live_changed();
}

void GLUI_Rotation::write_live() {
  if (live) std::memcpy(live, rotation.m, sizeof rotation.m);
}

void GLUI_Rotation::sync_live() {
  if (!live || dragging || std::memcmp(live, rotation.m, sizeof rotation.m) == 0) return;
  std::memcpy(rotation.m, live, sizeof rotation.m);
  redraw();
}

void GLUI_Rotation::apply(const ArcballStep& step, bool from_user) {
  rotation.premultiply(step);
  write_live();
  redraw();
  live_changed();
  if (from_user) fire_callback();
}

void GLUI_Rotation::on_press(int x, int y, int modifiers) {
  spinning = false;
  dragging = true;
  last_x = x;
  last_y = y;
  last_step = ArcballStep{};
  axis_lock = (modifiers & glui_keys::alt) ? 1 : (modifiers & glui_keys::ctrl) ? 2 : 0;
}

void GLUI_Rotation::on_drag(int x, int y) {
  const Arcball::Lock lock = axis_lock == 1   ? Arcball::Lock::x_axis
                             : axis_lock == 2 ? Arcball::Lock::y_axis
                                              : Arcball::Lock::none;
  const ArcballStep step = ball().step(last_x, last_y, x, y, lock);
  last_x = x;
  last_y = y;
  if (step.angle == 0.0) return;
  last_step = step;
  apply(step, true);
}

void GLUI_Rotation::on_release(int, int, bool) {
  dragging = false;
  spinning = spin_factor > 0.0f && last_step.angle >= min_spin_angle;
}

void GLUI_Rotation::on_idle() {
  if (!spinning) return;
  last_step.angle *= spin_factor;
  if (last_step.angle < min_spin_angle) {
    spinning = false;
    return;
  }
  apply(last_step, false);
}

bool GLUI_Rotation::on_special(int key, int) {
  int dx = 0, dy = 0;
  switch (key) {
    case glui_keys::left: dx = -arrow_key_pixels; break;
    case glui_keys::right: dx = arrow_key_pixels; break;
    case glui_keys::up: dy = -arrow_key_pixels; break;
    case glui_keys::down: dy = arrow_key_pixels; break;
    default: return false;
  }
  const double cx = x_abs + w / 2.0, cy = y_abs + (h - label_band) / 2.0;
  const ArcballStep step = ball().step(cx, cy, cx + dx, cy + dy, Arcball::Lock::none);
  apply(step, true);
  return true;
}

void GLUI_Rotation::update_size() {
  w = std::max(50, glui_text_width(name.str()) + 6);
  h = 68;
}

void GLUI_Rotation::draw(GLUI_Painter& painter) const {
  const float cx = x_abs + w / 2.0f, cy = y_abs + (h - label_band) / 2.0f;
  painter.rotation_ball(static_cast<int>(cx) - 23, static_cast<int>(cy) - 23, 46, rotation.m,
                        enabled);
  draw_circle(painter, cx + 0.5f, cy + 0.5f, 25.0f, glui_colors::white);
  draw_circle(painter, cx - 0.5f, cy - 0.5f, 24.0f, glui_colors::grey50);
  draw_label(painter, x_abs + (w - glui_text_width(name.str())) / 2, y_abs + h - 4, name.str());
}
