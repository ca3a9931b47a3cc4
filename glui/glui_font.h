// Advance widths of GLUT's Helvetica 12 bitmap font, so that layout and caret
// arithmetic need no initialised GLUT.
#pragma once

#include <string>
#include <string_view>
#include <vector>

// Pixels the pen advances for one character.
int glui_char_width(unsigned char c);
// Pixels the pen advances for the whole text.
int glui_text_width(std::string_view text);
// `text` broken into rows no wider than `width` pixels: at blanks where it can (the blank
// that breaks a row is dropped), inside a word only where the word alone is wider.
// Answers one row at least (an empty one for empty text).
std::vector<std::string> glui_wrap_text(std::string_view text, int width);
