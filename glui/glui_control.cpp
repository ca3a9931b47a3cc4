// The control base, clickable controls, panels (with the layout of their children) and columns.
#include <algorithm>

#include "glui/glui.h"
#include "glui/glui_font.h"

namespace {

// Layout constants of the interface.
constexpr int margin = 6;
constexpr int gap = 3;
constexpr int panel_extra = 3;       // above and below a panel child
constexpr int titled_top_margin = 14;

void set_enabled_recursively(GLUI_Control* control, bool enabled) {
  control->enabled = enabled;
  if (control->is_container()) {
    for (auto& child : static_cast<GLUI_Panel*>(control)->children) {
      set_enabled_recursively(child.get(), enabled);
    }
  }
}

bool is_inside(const GLUI_Control* control, const GLUI_Control* container) {
  for (; control; control = control->parent_panel) {
    if (control == container) return true;
  }
  return false;
}

}  // namespace

// ---- GLUI_Control

void GLUI_Control::enable() {
  set_enabled_recursively(this, true);
  redraw();
}

void GLUI_Control::disable() {
  if (glui && glui->focus && is_inside(glui->focus, this)) glui->set_focus(nullptr, false);
  if (glui && glui->hovered_listbox && is_inside(glui->hovered_listbox, this)) glui->drop_menu();
  set_enabled_recursively(this, false);
  redraw();
}

void GLUI_Control::redraw() const {
  if (glui) glui->post_redisplay();
}

void GLUI_Control::live_changed() const {
  if (glui) glui->post_main_redisplay();
}

void GLUI_Control::relayout() const {
  if (glui) glui->master->refresh_layout(glui);
}

void GLUI_Control::fire_callback() const {
  if (glui) glui->run_callback(callback, user_id);
}

void GLUI_Control::draw_label(GLUI_Painter& painter, int x, int baseline,
                              const std::string& text) const {
  if (enabled) {
    painter.text(x, baseline, text, glui_colors::black);
  } else {
    painter.text(x + 1, baseline + 1, text, glui_colors::white);
    painter.text(x, baseline, text, glui_colors::grey40);
  }
}

void GLUI_Control::draw_labelled_field(GLUI_Painter& painter, int field_x) const {
  draw_label(painter, field_x - 3 - glui_text_width(name.str()), y_abs + 13, name.str());
  draw_sunken_bevel(painter, field_x, y_abs, x_abs + w - 1, y_abs + h - 1);
}

void GLUI_Control::draw_sunken_bevel(GLUI_Painter& painter, int x0, int y0, int x1, int y1) const {
  painter.line(x0, y0, x1, y0, glui_colors::grey50);
  painter.line(x0, y0, x0, y1, glui_colors::grey50);
  painter.line(x0, y1, x1, y1, glui_colors::white);
  painter.line(x1, y0, x1, y1, glui_colors::white);
  const GLUI_Color inner_dark = enabled ? glui_colors::black : glui_colors::grey25;
  painter.line(x0 + 1, y0 + 1, x1 - 1, y0 + 1, inner_dark);
  painter.line(x0 + 1, y0 + 1, x0 + 1, y1 - 1, inner_dark);
  painter.line(x0 + 1, y1 - 1, x1 - 1, y1 - 1, glui_colors::grey75);
  painter.line(x1 - 1, y0 + 1, x1 - 1, y1 - 1, glui_colors::grey75);
}

// ---- GLUI_Panel

GLUI_Panel::GLUI_Panel(const char* title, int panel_type)
    : GLUI_Control(title, -1, nullptr, GLUI_ALIGN_CENTER), type(panel_type) {}

int GLUI_Panel::top_margin() const {
  return type == GLUI_PANEL_EMBOSSED && !name.empty() ? titled_top_margin : margin;
}

// Sizes the children, then this panel, and places the children relative to the
// panel's top-left (place_children makes that absolute).
//
// Children flow downwards in columns; a column control starts a new column whose
// separating line sits 6 px right of the previous column's widest control, and the
// next controls start 6 px right of the line.
void GLUI_Panel::update_size() {
  struct Column {
    GLUI_Column* separator = nullptr;  // the control that starts it, none for the first
    std::vector<GLUI_Control*> controls;
    int widest = 0;
  };
  std::vector<Column> columns(1);
  for (auto& child : children) {
    child->update_size();
    if (auto* separator = dynamic_cast<GLUI_Column*>(child.get())) {
      columns.emplace_back();
      columns.back().separator = separator;
    } else {
      columns.back().controls.push_back(child.get());
      columns.back().widest = std::max(columns.back().widest, child->w);
    }
  }

  const int top = top_margin();
  int column_left = 0;       // the column's line, or the panel's left edge
  int column_start = margin;  // where its controls start
  int content_right = 0;
  int bottom = 0;
  bool any_control = false;
  for (Column& column : columns) {
    if (column.separator) {
      column.separator->x_abs = column_left;
      column.separator->y_abs = top;
      column.separator->w = 2;
    }
    const int column_width = column.widest + 2 * margin;
    int y = top;
    for (GLUI_Control* control : column.controls) {
      const bool is_panel = control->is_container();
      if (is_panel) y += panel_extra;
      control->y_abs = y;
      switch (control->alignment) {
        case GLUI_ALIGN_RIGHT:
          control->x_abs = column_left + column_width - margin - control->w;
          break;
        case GLUI_ALIGN_CENTER:
          control->x_abs = column_left + (column_width - control->w) / 2;
          break;
        default:
          control->x_abs = column_start;
      }
      y += control->h + (is_panel ? panel_extra : 0);
      bottom = std::max(bottom, y);
      y += gap;
    }
    if (!column.controls.empty()) {
      any_control = true;
      content_right = std::max(content_right, column_start + column.widest);
    }
    column_left = column_start + column.widest + margin;
    column_start = column_left + margin;
  }

  if (any_control) {
    w = content_right + 2 * margin;
    h = bottom + margin;
  } else {
    w = 100;
    h = 13;
  }
  if (!name.empty()) w = std::max(w, glui_text_width(name.str()) + 16);
}

void GLUI_Panel::place_children() {
  for (auto& child : children) {
    child->x_abs += x_abs;
    child->y_abs += y_abs;
    if (child->is_container()) static_cast<GLUI_Panel*>(child.get())->place_children();
  }
}

void GLUI_Panel::draw(GLUI_Painter& painter) const {
  const int x0 = x_abs, x1 = x_abs + w - 1, y1 = y_abs + h - 1;
  if (type == GLUI_PANEL_EMBOSSED) {
    // A groove: a grey rectangle with a white one offset by a pixel.
    const bool titled = !name.empty();
    const int y0 = titled ? y_abs + 4 : y_abs;
    painter.outline_rect(x0 + 1, y0 + 1, x1, y1, glui_colors::white);
    painter.outline_rect(x0, y0, x1 - 1, y1 - 1, glui_colors::grey50);
    if (titled) {
      const int title_width = glui_text_width(name.str());
      painter.fill_rect(x0 + 5, y_abs, x0 + 9 + title_width, y_abs + 9, glui_colors::background);
      draw_label(painter, x0 + 7, y_abs + 8, name.str());
    }
  } else if (type == GLUI_PANEL_RAISED) {
    painter.line(x0, y_abs, x1, y_abs, glui_colors::white);
    painter.line(x0, y_abs, x0, y1, glui_colors::white);
    painter.line(x1, y_abs, x1, y1, glui_colors::grey50);
    painter.line(x0, y1, x1, y1, glui_colors::grey50);
  }
  for (const auto& child : children) child->draw(painter);
}

// ---- GLUI_Column

void GLUI_Column::draw(GLUI_Painter& painter) const {
  if (!draw_bar || !parent_panel) return;
  const int bottom = parent_panel->y_abs + parent_panel->h - 1 - margin;
  painter.line(x_abs - 2, y_abs, x_abs - 2, bottom, glui_colors::grey50);
  painter.line(x_abs - 1, y_abs, x_abs - 1, bottom, glui_colors::white);
}

// ---- GLUI_Clickable

void GLUI_Clickable::on_press(int, int, int) {
  pressed = true;
  redraw();
}

void GLUI_Clickable::on_drag(int x, int y) {
  if (pressed != contains(x, y)) {
    pressed = !pressed;
    redraw();
  }
}

void GLUI_Clickable::on_release(int, int, bool inside) {
  pressed = false;
  redraw();
  if (inside) click();
}

bool GLUI_Clickable::on_key(unsigned char key, int) {
  if (key != glui_keys::space) return false;
  click();
  return true;
}
