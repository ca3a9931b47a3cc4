// The drawing and window-system seams of the widget layer.
//
// Controls draw themselves through GLUI_Painter and reach the window system through
// GLUI_Platform. The OpenGL/freeglut versions live in gl_painter.cpp and
// glut_platform.cpp; tests substitute recording or fake versions, so every piece of
// widget logic runs without a display.
#pragma once

#include <string>
#include <vector>

struct GLUI_Color {
  float r, g, b;
};

namespace glui_colors {
inline constexpr GLUI_Color background{200 / 255.0f, 200 / 255.0f, 200 / 255.0f};
inline constexpr GLUI_Color white{1.0f, 1.0f, 1.0f};
inline constexpr GLUI_Color black{0.0f, 0.0f, 0.0f};
inline constexpr GLUI_Color grey50{0.5f, 0.5f, 0.5f};
inline constexpr GLUI_Color grey25{0.25f, 0.25f, 0.25f};
inline constexpr GLUI_Color grey40{0.4f, 0.4f, 0.4f};
inline constexpr GLUI_Color grey60{0.6f, 0.6f, 0.6f};
inline constexpr GLUI_Color grey75{0.75f, 0.75f, 0.75f};
inline constexpr GLUI_Color navy{0.0f, 0.0f, 0.6f};
}  // namespace glui_colors

// Pixel coordinates, origin at the top-left of the window, y pointing down. Rectangles
// name their corner pixels inclusively: fill_rect(0, 0, 1, 1) covers four pixels.
class GLUI_Painter {
 public:
  virtual ~GLUI_Painter() = default;
  virtual void fill_rect(int x0, int y0, int x1, int y1, GLUI_Color color) = 0;
  // One-pixel outline of the rectangle whose corner pixels are given.
  virtual void outline_rect(int x0, int y0, int x1, int y1, GLUI_Color color) = 0;
  virtual void dotted_rect(int x0, int y0, int x1, int y1, GLUI_Color color) = 0;
  // One-pixel line between two pixel centres, both ends included.
  virtual void line(int x0, int y0, int x1, int y1, GLUI_Color color) = 0;
  // Helvetica 12 text whose baseline starts at (x, baseline).
  virtual void text(int x, int baseline, const std::string& text, GLUI_Color color) = 0;
  // A filled convex polygon; xy holds count points as x, y pairs.
  virtual void polygon(const float* xy, int count, GLUI_Color color) = 0;
  // A closed one-pixel outline through count points (x, y pairs).
  virtual void outline_polygon(const float* xy, int count, GLUI_Color color) = 0;
  // The lit, checkered rotation ball in the square (x, y, size, size), turned by the
  // column-major matrix.
  virtual void rotation_ball(int x, int y, int size, const float matrix[16], bool enabled) = 0;
};

// Window-system services the widget layer needs. Window ids are GLUT window ids.
class GLUI_Platform {
 public:
  // Which main-window handler set_glut*Func installs.
  enum class Handler { reshape, keyboard, special, mouse };

  virtual ~GLUI_Platform() = default;
  // Creates a subwindow of parent with the widget layer's handlers; the current window
  // is left unchanged. Answers the new window id.
  virtual int create_subwindow(int parent, int x, int y, int w, int h) = 0;
  // Creates a top-level RGB double-buffered window with the widget layer's handlers (the
  // close handler among them, GLUI_Master.on_window_closed); a negative x and y leave
  // the position to the window system. The current window is left unchanged. Answers the
  // new window id.
  virtual int create_toplevel(const char* title, int x, int y, int w, int h) = 0;
  virtual void destroy_window(int window) = 0;
  // Answers 0 when no window is current.
  virtual int current_window() = 0;
  virtual void set_current_window(int window) = 0;
  // Size of a window as the window system knows it.
  virtual void window_size(int window, int* w, int* h) = 0;
  virtual void reshape_window(int window, int w, int h) = 0;
  virtual void position_window(int window, int x, int y) = 0;
  // Where a top-level window shows on the screen, a window manager's frame round it
  // included; false when it does not show. position_window with the same x and y puts
  // the frame back there.
  virtual bool window_frame(int window, int* x, int* y, int* w, int* h) = 0;
  virtual void screen_size(int* w, int* h) = 0;
  virtual void show_window(int window) = 0;
  virtual void hide_window(int window) = 0;
  virtual void post_redisplay(int window) = 0;
  // Draws the window at once and waits until the window system has the picture.
  virtual void draw_window_now(int window) = 0;
  // Installs the widget layer's handler of that kind on the current window, and its
  // close handler (GLUI_Master.on_window_closed).
  virtual void install_main_handler(Handler handler) = 0;
  // Installs the widget layer's idle handler (GLUI_Master.on_idle), or removes it: without
  // one the event loop waits for the next event.
  virtual void set_idle_handler(bool installed) = 0;
  // Attaches a pop-up menu holding items, in order, to the left button of window, or
  // detaches it when items is null. A choice reaches GLUI_Master.on_menu_choice (with the
  // item's index), after the menu's close has reached GLUI_Master.on_menu_closed. Items
  // too many for one column of the screen open in groups (menu_groups). Answers false
  // (and changes nothing) while a menu is open.
  virtual bool set_popup_menu(int window, const std::vector<std::string>* items) = 0;
  // Asks a window manager to keep the top-level window above owner.
  virtual void set_transient_for(int window, int owner) = 0;
  virtual void raise_window(int window) = 0;
  // Ends the event loop once the events in hand are handled.
  virtual void leave_main_loop() = 0;
  // Rings the bell once: a key that a field refuses. The default rings nothing.
  virtual void ring_bell() {}
  // Gives the keyboard to the top-level window (once the window system shows it), until a
  // click in another of the program's windows. The default does nothing.
  virtual void give_keyboard_focus(int /*window*/) {}
  // Milliseconds on a clock that never goes back, for telling a double-click from two
  // clicks. The default is the process's steady clock.
  virtual long long milliseconds();
};

// How a pop-up menu of `count` items shows when a column holds at most `rows` of them:
// one column when they fit, else a first column of groups, each opening a column of at
// most `rows` consecutive items beside it. Answers the first item's index of each group
// (just {0} for one column).
std::vector<int> menu_groups(int count, int rows);

// The platform the widget layer uses unless GLUI_Master.set_platform chose another.
// The glui library answers the freeglut one; the window-free test program links its own.
GLUI_Platform& glui_default_platform();
