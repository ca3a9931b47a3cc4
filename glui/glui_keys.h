// Modifier bits and key codes as freeglut reports them, without GLUT's header.
#pragma once

namespace glui_keys {
inline constexpr int shift = 1, ctrl = 2, alt = 4;
inline constexpr int f1 = 1, left = 100, up = 101, right = 102, down = 103, page_up = 104,
                     page_down = 105, home = 106, end = 107, del = 111;
inline constexpr unsigned char backspace = 8, tab = 9, enter = 13, escape = 27,
                               space = 32, del_ascii = 127;
}  // namespace glui_keys
