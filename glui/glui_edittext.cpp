// Edit-text fields: typing with filtering by type, commit with limits, formatting and
// live variables, and the sunken field with caret and selection.
#include <algorithm>
#include <climits>
#include <cstdlib>
#include <cmath>
#include <cstring>

#include "glui/glui.h"
#include "glui/glui_font.h"

namespace {

// Text allowed in a numeric field: an optional leading '-', digits, and for floats a
// single '.'.
bool is_numeric_text(const std::string& text, bool allow_point) {
  bool seen_point = false;
  for (size_t i = 0; i < text.size(); ++i) {
    const char c = text[i];
    if (c >= '0' && c <= '9') continue;
    if (c == '-' && i == 0) continue;
    if (c == '.' && allow_point && !seen_point) {
      seen_point = true;
      continue;
    }
    return false;
  }
  return true;
}

int float_to_int(float value) {
  if (std::isnan(value)) return 0;
  if (value >= static_cast<float>(INT_MAX)) return INT_MAX;
  if (value <= static_cast<float>(INT_MIN)) return INT_MIN;
  return static_cast<int>(value);
}

template <class T>
T apply_limits(T value, T low, T high, int limit_type) {
  if (limit_type == GLUI_LIMIT_CLAMP) return std::clamp(value, low, high);
  if (limit_type == GLUI_LIMIT_WRAP) {
    if (value < low) return high;
    if (value > high) return low;
  }
  return value;
}

constexpr int text_inset = 5;  // from the field's left edge to the first character

}  // namespace

GLUI_EditText::GLUI_EditText(const char* label, int type, void* live_variable, int id,
                             GLUI_Update_CB cb)
    : GLUI_Control(label, id, cb, GLUI_ALIGN_LEFT), data_type(type), live(live_variable) {
  if (data_type == GLUI_EDITTEXT_TEXT) {
    buffer.set_text(live ? static_cast<const char*>(live) : "");
    last_live_text = buffer.text();
  } else if (data_type == GLUI_EDITTEXT_INT) {
    store_number(live ? *static_cast<int*>(live) : 0);
  } else {
    store_number(live ? *static_cast<float*>(live) : 0.0f);
  }
}

// Limits given the wrong way round are swapped rather than left to break clamping.
void GLUI_EditText::set_int_limits(int lo, int hi, int type) {
  if (lo > hi) std::swap(lo, hi);
  int_low = lo;
  int_high = hi;
  float_low = static_cast<float>(lo);
  float_high = static_cast<float>(hi);
  limit_type = type;
  if (data_type == GLUI_EDITTEXT_INT && (int_val < lo || int_val > hi)) set_int_val(lo);
  if (data_type == GLUI_EDITTEXT_FLOAT && (float_val < float_low || float_val > float_high)) {
    set_float_val(float_low);
  }
}

void GLUI_EditText::set_float_limits(float lo, float hi, int type) {
  if (std::isnan(lo) || std::isnan(hi)) return;
  if (lo > hi) std::swap(lo, hi);
  float_low = lo;
  float_high = hi;
  int_low = float_to_int(lo);
  int_high = float_to_int(hi);
  limit_type = type;
  if (data_type == GLUI_EDITTEXT_FLOAT && (float_val < lo || float_val > hi)) set_float_val(lo);
  if (data_type == GLUI_EDITTEXT_INT && (int_val < int_low || int_val > int_high)) {
    set_int_val(int_low);
  }
}

void GLUI_EditText::set_int_val(int value) {
  if (data_type == GLUI_EDITTEXT_TEXT) {
    int_val = value;
    float_val = static_cast<float>(value);
    set_text(glui_numbers::format_int(value).c_str());
    return;
  }
  store_number(value);
}

void GLUI_EditText::set_float_val(float value) {
  if (data_type == GLUI_EDITTEXT_TEXT) {
    float_val = value;
    int_val = float_to_int(value);
    set_text(glui_numbers::format_float(value).c_str());
    return;
  }
  store_number(value);
}

void GLUI_EditText::store_number(double value) {
  limited_text.clear();
  if (std::isnan(value)) value = 0.0;  // keeps limits and conversions meaningful
  if (data_type == GLUI_EDITTEXT_INT) {
    const double bounded = std::clamp(value, static_cast<double>(INT_MIN), static_cast<double>(INT_MAX));
    int_val = apply_limits(static_cast<int>(bounded), int_low, int_high, limit_type);
    float_val = static_cast<float>(int_val);
    buffer.set_text(glui_numbers::format_int(int_val));
  } else {
    float_val = apply_limits(static_cast<float>(value), float_low, float_high, limit_type);
    int_val = float_to_int(float_val);
    buffer.set_text(glui_numbers::format_float(float_val));
  }
  keep_caret_visible();
  write_live();
  redraw();
}

void GLUI_EditText::set_text(const char* text) {
  limited_text.clear();
  buffer.set_text(text ? text : "");
  keep_caret_visible();
  if (data_type == GLUI_EDITTEXT_TEXT) write_live();
  redraw();
}

void GLUI_EditText::write_live() {
  if (!live) return;
  switch (data_type) {
    case GLUI_EDITTEXT_INT:
      *static_cast<int*>(live) = last_live_int = int_val;
      break;
    case GLUI_EDITTEXT_FLOAT:
      *static_cast<float*>(live) = last_live_float = float_val;
      break;
    default:
      // The caller sized the array for the text it expects, as with GLUI.
      std::strcpy(static_cast<char*>(live), buffer.text().c_str());
      last_live_text = buffer.text();
  }
}

void GLUI_EditText::sync_live() {
  if (!live) return;
  switch (data_type) {
    case GLUI_EDITTEXT_INT:
      if (*static_cast<int*>(live) != last_live_int) store_number(*static_cast<int*>(live));
      break;
    case GLUI_EDITTEXT_FLOAT:
      if (*static_cast<float*>(live) != last_live_float) store_number(*static_cast<float*>(live));
      break;
    default:
      if (last_live_text != static_cast<const char*>(live)) {
        set_text(static_cast<const char*>(live));
      }
  }
}

void GLUI_EditText::commit() {
  const bool has_digit = buffer.text().find_first_of("0123456789") != std::string::npos;
  const std::string typed = buffer.text();
  limited_text.clear();
  if (data_type == GLUI_EDITTEXT_INT) {
    const int parsed = has_digit ? glui_numbers::parse_int(typed) : int_val;
    store_number(parsed);
    if (int_val != parsed) limited_text = typed;
  } else if (data_type == GLUI_EDITTEXT_FLOAT) {
    const float parsed = has_digit ? glui_numbers::parse_float(typed) : float_val;
    store_number(parsed);
    if (float_val != parsed) limited_text = typed;
  } else {
    write_live();
  }
  live_changed();
  if (buffer.text() != text_at_focus) {
    text_at_focus = buffer.text();
    fire_callback();
  }
}

// ---- geometry and drawing

void GLUI_EditText::update_size() {
  text_x_offset = std::max(55, glui_text_width(name.str()) + 2);
  const int box_min = data_type == GLUI_EDITTEXT_INT ? 35 : 50;
  w = std::max(130, text_x_offset + box_min);
  h = 20;
  keep_caret_visible();
}

// Shows the text from its start when the caret fits, else scrolls just far enough
// to show the caret at the right end of the field. The characters before the caret are
// measured once each, back from the caret, and only as many as fit: a key costs at most
// in proportion to the text's length, however long it grows.
void GLUI_EditText::keep_caret_visible() {
  scroll = 0;
  if (w == 0) return;  // not laid out yet
  const int visible = w - text_x_offset - 2 * text_inset;
  const std::string& text = buffer.text();
  int start = buffer.caret(), width = 0;
  while (start > 0) {
    const int advance = glui_char_width(static_cast<unsigned char>(text[start - 1]));
    if (width + advance > visible) break;
    width += advance;
    --start;
  }
  scroll = start;
}

int GLUI_EditText::caret_index_at(int x) const {
  int pen = x_abs + text_x_offset + text_inset;
  const std::string& text = buffer.text();
  for (int i = scroll; i < buffer.size(); ++i) {
    const int advance = glui_char_width(static_cast<unsigned char>(text[i]));
    if (x < pen + advance / 2) return i;
    pen += advance;
  }
  return buffer.size();
}

void GLUI_EditText::draw(GLUI_Painter& painter) const {
  draw_labelled_field(painter, x_abs + text_x_offset);
  const int x0 = x_abs + text_x_offset, y0 = y_abs, x1 = x_abs + w - 1, y1 = y_abs + h - 1;
  painter.fill_rect(x0 + 2, y0 + 2, x1 - 2, y1 - 2,
                    enabled ? glui_colors::white : glui_colors::background);

  // The characters that fit, from the scroll position on, in runs of plain and
  // selected text.
  const std::string& text = buffer.text();
  const int right_limit = x1 - 2;
  const int sel_begin = focused ? buffer.selection_begin() : 0;
  const int sel_end = focused ? buffer.selection_end() : 0;
  int pen = x0 + text_inset;
  int caret_x = pen;
  for (int i = scroll; i < buffer.size(); ++i) {
    const int advance = glui_char_width(static_cast<unsigned char>(text[i]));
    if (pen + advance > right_limit) break;
    const bool selected = i >= sel_begin && i < sel_end;
    if (selected) painter.fill_rect(pen, y0 + 3, pen + advance - 1, y1 - 3, glui_colors::navy);
    GLUI_Color color = selected ? glui_colors::white : enabled ? glui_colors::black : glui_colors::grey50;
    painter.text(pen, y_abs + 13, std::string(1, text[i]), color);
    pen += advance;
    if (i + 1 == buffer.caret()) caret_x = pen;
  }
  if (focused && enabled) {
    if (buffer.caret() <= scroll) caret_x = x0 + text_inset;
    painter.line(caret_x, y_abs + 4, caret_x, y_abs + h - 3, glui_colors::black);
  }
}

// ---- input

// Whatever a key inserts, over a selection or not, must leave numeric text in a numeric
// field. Keys that only delete or move pass, even in text the formatter wrote (like
// "1.5e+06").
bool GLUI_EditText::accept_edit(const EditBuffer& candidate, bool inserts) const {
  if (data_type == GLUI_EDITTEXT_TEXT || !inserts) return true;
  return is_numeric_text(candidate.text(), data_type == GLUI_EDITTEXT_FLOAT);
}

void GLUI_EditText::on_press(int x, int y, int) {
  const long long now = glui->master->platform().milliseconds();
  whole_text_pressed = now - last_press_ms <= double_click_ms && std::abs(x - last_press_x) <= 4 &&
                       std::abs(y - last_press_y) <= 4;
  // A third press starts over rather than counting as another double-click.
  last_press_ms = whole_text_pressed ? -double_click_ms - 1 : now;
  last_press_x = x;
  last_press_y = y;
  if (whole_text_pressed) {
    buffer.select_all();
  } else {
    buffer.move_to(caret_index_at(x), false);
  }
  redraw();
}

void GLUI_EditText::on_drag(int x, int) {
  if (whole_text_pressed) return;
  buffer.move_to(caret_index_at(x), true);
  keep_caret_visible();
  redraw();
}

bool GLUI_EditText::on_key(unsigned char key, int modifiers) {
  if (key == glui_keys::enter || key == glui_keys::escape) {
    commit();
    buffer.select_all();
    redraw();
    return true;
  }
  EditBuffer candidate = buffer;
  if (!candidate.apply_key(key, modifiers)) return true;  // a focused field keeps every key
  if (!accept_edit(candidate, EditBuffer::inserts(key))) {
    glui->master->platform().ring_bell();
    return true;
  }
  buffer = candidate;
  keep_caret_visible();
  redraw();
  return true;
}

bool GLUI_EditText::on_special(int key, int modifiers) {
  if (!buffer.apply_special(key, modifiers)) return false;
  keep_caret_visible();
  redraw();
  return true;
}

void GLUI_EditText::on_focus(bool by_tab) {
  focused = true;
  text_at_focus = buffer.text();
  if (by_tab) buffer.select_all();
  keep_caret_visible();
  redraw();
}

void GLUI_EditText::on_blur() {
  focused = false;
  buffer.move_to(buffer.caret(), false);
  commit();
  redraw();
}
