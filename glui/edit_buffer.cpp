#include "glui/edit_buffer.h"

#include <algorithm>
#include <cctype>
#include <cfloat>
#include <climits>
#include <cmath>
#include <cstdio>
#include <cstdlib>

#include "glui/glui_keys.h"

namespace {

bool is_word_char(char c) { return std::isalnum(static_cast<unsigned char>(c)) || c == '_'; }

constexpr unsigned char ctrl_key(char letter) { return static_cast<unsigned char>(letter - 'a' + 1); }

}  // namespace

void EditBuffer::set_text(std::string text) {
  text_ = std::move(text);
  caret_ = anchor_ = size();
}

void EditBuffer::select_all() {
  anchor_ = 0;
  caret_ = size();
}

void EditBuffer::erase_selection() {
  int begin = selection_begin();
  text_.erase(begin, selection_end() - begin);
  caret_ = anchor_ = begin;
}

void EditBuffer::insert(const std::string& s) {
  erase_selection();
  text_.insert(caret_, s);
  caret_ = anchor_ = caret_ + static_cast<int>(s.size());
}

void EditBuffer::backspace() {
  if (!has_selection() && caret_ > 0) anchor_ = caret_ - 1;
  erase_selection();
}

void EditBuffer::delete_forward() {
  if (!has_selection() && caret_ < size()) anchor_ = caret_ + 1;
  erase_selection();
}

void EditBuffer::move_to(int position, bool extend) {
  caret_ = std::clamp(position, 0, size());
  if (!extend) anchor_ = caret_;
}

int EditBuffer::word_start_before(int position) const {
  while (position > 0 && !is_word_char(text_[position - 1])) --position;
  while (position > 0 && is_word_char(text_[position - 1])) --position;
  return position;
}

int EditBuffer::word_end_after(int position) const {
  while (position < size() && !is_word_char(text_[position])) ++position;
  while (position < size() && is_word_char(text_[position])) ++position;
  return position;
}

bool EditBuffer::inserts(unsigned char key) { return key >= 32 && key != glui_keys::del_ascii; }

bool EditBuffer::apply_key(unsigned char key, int /*modifiers*/) {
  if (key == glui_keys::backspace) {
    backspace();
  } else if (key == glui_keys::del_ascii) {
    delete_forward();
  } else if (key == ctrl_key('a')) {
    move_to(0, false);
  } else if (key == ctrl_key('e')) {
    move_to(size(), false);
  } else if (key == ctrl_key('b')) {
    move_to(caret_ - 1, false);
  } else if (key == ctrl_key('f')) {
    move_to(caret_ + 1, false);
  } else if (key == ctrl_key('u')) {
    anchor_ = 0;
    erase_selection();
  } else if (key == ctrl_key('k')) {
    anchor_ = caret_;
    caret_ = size();
    erase_selection();
  } else if (inserts(key)) {
    insert(std::string(1, static_cast<char>(key)));
  } else {
    return false;
  }
  return true;
}

bool EditBuffer::apply_special(int key, int modifiers) {
  bool extend = (modifiers & glui_keys::shift) != 0;
  bool by_word = (modifiers & glui_keys::ctrl) != 0;
  switch (key) {
    case glui_keys::left:
      // Without Shift, Left collapses a selection onto its left end.
      if (has_selection() && !extend && !by_word) {
        move_to(selection_begin(), false);
      } else {
        move_to(by_word ? word_start_before(caret_) : caret_ - 1, extend);
      }
      return true;
    case glui_keys::right:
      if (has_selection() && !extend && !by_word) {
        move_to(selection_end(), false);
      } else {
        move_to(by_word ? word_end_after(caret_) : caret_ + 1, extend);
      }
      return true;
    case glui_keys::home:
      move_to(0, extend);
      return true;
    case glui_keys::end:
      move_to(size(), extend);
      return true;
    case glui_keys::del:
      delete_forward();
      return true;
    default:
      return false;
  }
}

namespace glui_numbers {

int parse_int(const std::string& text) {
  long value = std::strtol(text.c_str(), nullptr, 10);
  return static_cast<int>(std::clamp<long>(value, INT_MIN, INT_MAX));
}

float parse_float(const std::string& text) {
  double value = std::strtod(text.c_str(), nullptr);
  if (std::isnan(value)) return 0.0f;
  return static_cast<float>(std::clamp<double>(value, -FLT_MAX, FLT_MAX));
}

std::string format_int(int value) { return std::to_string(value); }

std::string format_float(float value) {
  char buffer[64];
  std::snprintf(buffer, sizeof buffer, "%#g", static_cast<double>(value));
  std::string text = buffer;
  size_t exponent = text.find_first_of("eE");
  std::string mantissa = text.substr(0, exponent);
  std::string tail = exponent == std::string::npos ? "" : text.substr(exponent);
  size_t point = mantissa.find('.');
  if (point != std::string::npos) {
    size_t last = mantissa.find_last_not_of('0');
    if (last == point) last = point + 1;  // keep one digit after the point
    mantissa.erase(std::min(last + 1, mantissa.size()));
  }
  return mantissa + tail;
}

}  // namespace glui_numbers
