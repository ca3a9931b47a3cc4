// Buttons and static texts.
#include <algorithm>

#include "glui/glui.h"
#include "glui/glui_font.h"

// ---- GLUI_Button

GLUI_Button::GLUI_Button(const char* label, int id, GLUI_Update_CB cb)
    : GLUI_Clickable(label, id, cb, GLUI_ALIGN_CENTER) {}

void GLUI_Button::update_size() {
  w = std::max(100, glui_text_width(name.str()) + 16);
  h = 20;
}

void GLUI_Button::draw(GLUI_Painter& painter) const {
  const int x0 = x_abs, y0 = y_abs, x1 = x_abs + w - 1, y1 = y_abs + h - 1;
  painter.fill_rect(x0, y0, x1, y1, glui_colors::background);
  if (pressed) {
    painter.outline_rect(x0, y0, x1, y1, glui_colors::black);
    painter.outline_rect(x0 + 1, y0 + 1, x1 - 1, y1 - 1, glui_colors::black);
  } else {
    painter.line(x0, y0, x1 - 1, y0, glui_colors::white);
    painter.line(x0, y0, x0, y1 - 1, glui_colors::white);
    painter.line(x0, y1, x1, y1, glui_colors::black);
    painter.line(x1, y0, x1, y1, glui_colors::black);
    painter.line(x0 + 1, y1 - 1, x1 - 1, y1 - 1, glui_colors::grey50);
    painter.line(x1 - 1, y0 + 1, x1 - 1, y1 - 1, glui_colors::grey50);
  }
  const int shift = pressed ? 1 : 0;
  const int text_x = x0 + (w - glui_text_width(name.str())) / 2;
  draw_label(painter, text_x + shift, y0 + 13 + shift, name.str());
  if (focused) painter.dotted_rect(x0 + 3, y0 + 3, x1 - 3, y1 - 3, glui_colors::black);
}

void GLUI_Button::click() {
  fire_callback();
  live_changed();
}

// ---- GLUI_StaticText

GLUI_StaticText::GLUI_StaticText(const char* text)
    : GLUI_Control(text, -1, nullptr, GLUI_ALIGN_LEFT) {}

void GLUI_StaticText::set_text(const char* text) {
  name = text;
  relayout();
  redraw();
}

void GLUI_StaticText::update_size() {
  w = std::max({100, glui_text_width(name.str()), w});
  h = 13;
}

void GLUI_StaticText::draw(GLUI_Painter& painter) const {
  draw_label(painter, x_abs, y_abs + 9, name.str());
}
