// Text editing for edit-text fields: the text, the caret and the selection, the
// editing keys, and the parsing and formatting of numbers. No window needed.
#pragma once

#include <string>

// A line of text with a caret and an anchor; the selection lies between them.
// Positions are character indices 0..size().
class EditBuffer {
 public:
  const std::string& text() const { return text_; }
  int size() const { return static_cast<int>(text_.size()); }
  int caret() const { return caret_; }
  bool has_selection() const { return caret_ != anchor_; }
  int selection_begin() const { return caret_ < anchor_ ? caret_ : anchor_; }
  int selection_end() const { return caret_ < anchor_ ? anchor_ : caret_; }

  // Replaces the text; the caret goes to the end, nothing is selected.
  void set_text(std::string text);
  void select_all();
  // Replaces the selection (or inserts at the caret) with s.
  void insert(const std::string& s);
  // Deletes the selection, else the character before (backspace) or after the caret.
  void backspace();
  void delete_forward();
  // Moves the caret (clamped into the text); extend keeps the anchor (a selection).
  void move_to(int position, bool extend);
  // Start of the word left of the caret / end of the word right of it.
  int word_start_before(int position) const;
  int word_end_after(int position) const;

  // Applies a typed key (printable characters insert; Backspace, Delete, Ctrl-A/E/B/F
  // go home/end/back/forward, Ctrl-U deletes to the start, Ctrl-K to the end).
  // Answers false for keys it does not handle (Enter, Tab, Escape, other controls).
  bool apply_key(unsigned char key, int modifiers);
  // Whether apply_key types the key as text (rather than deleting or moving).
  static bool inserts(unsigned char key);
  // Applies an arrow, Home, End or Delete key; Shift extends, Ctrl moves by words.
  bool apply_special(int key, int modifiers);

 private:
  void erase_selection();
  std::string text_;
  int caret_ = 0;
  int anchor_ = 0;
};

namespace glui_numbers {
// Like atoi, but saturating at the int range: leading digits after an optional
// sign; empty text or "-" give 0.
int parse_int(const std::string& text);
// Like atof, but never infinite or NaN: saturates at the float range.
float parse_float(const std::string& text);
std::string format_int(int value);
// "%#g" without trailing zeros but one digit after the point: 0 gives "0.0",
// 3.14159265 gives "3.14159", 1234567 gives "1.23457e+06".
std::string format_float(float value);
}  // namespace glui_numbers
