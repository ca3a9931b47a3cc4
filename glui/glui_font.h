// Advance widths of GLUT's Helvetica 12 bitmap font, so that layout and caret
// arithmetic need no initialised GLUT.
#pragma once

#include <string_view>

// Pixels the pen advances for one character.
int glui_char_width(unsigned char c);
// Pixels the pen advances for the whole text.
int glui_text_width(std::string_view text);
