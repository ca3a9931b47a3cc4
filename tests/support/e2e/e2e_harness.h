// A small harness for end-to-end tests of GLUT programs under an X server (Xvfb):
// start the program as a child process and read what it prints, find its windows by
// title, drive it with real X input through xdotool, read pixels back with Xlib and
// keep screenshots as PNG files.
//
// Window coordinates are relative to the top-left of the given X window (subwindows of
// a GLUT window are reached through the coordinates of their top-level window). All
// waits take a timeout in seconds and never block longer. Needs DISPLAY, xdotool and
// ImageMagick's convert.
#pragma once

#include <sys/types.h>

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

namespace e2e {

// ---- child processes

// A program running as a child process, its standard output and standard error
// captured into memory, standard input from /dev/null.
class ChildProcess {
 public:
  // Starts program (a path) with args in working_directory (empty: the current one).
  // Throws std::runtime_error when the program cannot be started.
  ChildProcess(const std::string& program, const std::vector<std::string>& args,
               const std::string& working_directory = "");
  // Kills the child (SIGKILL) if it still runs, and reaps it.
  ~ChildProcess();
  ChildProcess(const ChildProcess&) = delete;
  ChildProcess& operator=(const ChildProcess&) = delete;

  pid_t pid() const { return pid_; }
  // Everything the child wrote to standard output / standard error so far.
  const std::string& output();
  const std::string& errors();
  // Waits until standard output, from byte offset `from` on, contains text. Answers
  // whether it appeared within the timeout (false also when the child ended first).
  bool wait_for_output(const std::string& text, double timeout_seconds, size_t from = 0);
  // Complete lines of standard output that start with prefix, in order.
  std::vector<std::string> lines_starting_with(const std::string& prefix);
  // Waits for the child to end. Answers its exit status (0..255), 128 + the signal
  // number when a signal ended it, or -1 if it still runs after the timeout.
  int wait_for_exit(double timeout_seconds);
  bool running();

 private:
  void pump(int timeout_ms);  // reads what the pipes hold, waiting at most timeout_ms
  pid_t pid_ = -1;
  int out_fd_ = -1, err_fd_ = -1;
  std::string out_, err_;
  int status_ = -1;  // once reaped
};

// ---- screen pixels

struct Pixel {
  std::uint8_t r, g, b;
};

// An RGB image read from the screen.
class Image {
 public:
  Image() = default;
  Image(int width, int height) : width_(width), height_(height), rgb_(3u * width * height) {}
  int width() const { return width_; }
  int height() const { return height_; }
  // The pixel at (x, y); (0, 0) is the top-left. Out-of-range positions answer black.
  Pixel at(int x, int y) const;
  void set(int x, int y, Pixel p);
  // How many pixels of the rectangle [x0, x1] x [y0, y1] (clipped) lie within
  // tolerance of color in every channel.
  int count(Pixel color, int tolerance, int x0, int y0, int x1, int y1) const;
  // Writes a PNG (through a PPM and ImageMagick's convert). Answers success.
  bool save_png(const std::string& path) const;
  // Reads a PNG file as 8-bit RGB; an empty image (0 x 0) when it cannot.
  static Image read_png(const std::string& path);

 private:
  int width_ = 0, height_ = 0;
  std::vector<std::uint8_t> rgb_;
};

bool near(Pixel a, Pixel b, int tolerance);

// ---- the X display

using WindowId = unsigned long;

// A connection to $DISPLAY, kept open for the object's life (which also keeps Xvfb from
// resetting between the programs a test starts). Retries for up to 5 seconds, then
// throws std::runtime_error. Keys do not auto-repeat on the display meanwhile.
class XDisplay {
 public:
  XDisplay();
  ~XDisplay();
  XDisplay(const XDisplay&) = delete;
  XDisplay& operator=(const XDisplay&) = delete;

  // Waits for a window whose name (WM_NAME) is exactly title, mapped or not. Answers
  // it, or 0 after the timeout.
  WindowId wait_for_window(const std::string& title, double timeout_seconds);
  // The same for a viewable window of that name (of several so named, such as freeglut's
  // menus, the one shown).
  WindowId wait_for_shown_window(const std::string& title, double timeout_seconds);
  // Every viewable window of that name now (freeglut's menu and its group menus), the
  // lowest in the stack first.
  std::vector<WindowId> shown_windows(const std::string& title);
  // Asks the window's program to close it, as a window manager's close button does
  // (a WM_DELETE_WINDOW message).
  void request_close(WindowId window);
  // Whether the window and all its ancestors are mapped.
  bool is_viewable(WindowId window);
  // Waits until is_viewable answers `viewable`; answers whether it did in time.
  bool wait_until_viewable(WindowId window, bool viewable, double timeout_seconds);
  // The window's direct children (GLUT subwindows), bottom of the stack first.
  std::vector<WindowId> children(WindowId window);
  // The window that `window` is transient for (WM_TRANSIENT_FOR), or 0.
  WindowId transient_for(WindowId window);
  // The child of the root window that holds window: a window manager's frame round it,
  // or the window itself.
  WindowId top_level(WindowId window);
  // Whether a is stacked above b, compared through their top-level windows.
  bool is_above(WindowId a, WindowId b);
  // Whether a window manager runs (it announces itself on the root window).
  bool window_manager_running();
  // The window's top-left in screen coordinates and its size; false if it is gone.
  bool geometry(WindowId window, int* screen_x, int* screen_y, int* width, int* height);
  // What the screen shows in the window's area (its subwindows included).
  Image capture(WindowId window);
  // Captures the window until `shows` holds for what it shows (a program draws when it
  // gets round to it); answers the last capture, also when the timeout passed first.
  Image capture_when(WindowId window, const std::function<bool(const Image&)>& shows,
                     double timeout_seconds);

 private:
  struct Impl;
  Impl* impl_;
};

// ---- input through xdotool; each answers whether xdotool succeeded

// Moves the pointer to (x, y) of window.
bool move_pointer(WindowId window, int x, int y);
// Moves there and clicks the left button.
bool click(WindowId window, int x, int y);
// Moves to (x, y) of window and presses the left button there; mouse_up releases it.
bool mouse_down(WindowId window, int x, int y);
bool mouse_up();
// Presses the left button at (x0, y0), moves to (x1, y1) in `steps` equal steps with a
// short pause between them, and releases it there.
bool drag(WindowId window, int x0, int y0, int x1, int y1, int steps);
// Resizes a top-level window.
bool resize_window(WindowId window, int width, int height);
// Moves a top-level window to (x, y) of the screen, as a user moves it.
bool move_window(WindowId window, int x, int y);
// Raises a top-level window to the top of the stack.
bool raise_window(WindowId window);
// Types text into whatever has the keyboard (the window under the pointer).
bool type_text(const std::string& text);
// Presses and releases keys given as X keysym names ("Return", "BackSpace", "ctrl+a").
bool press_keys(const std::vector<std::string>& keysyms);

// Runs a command (argv[0] searched in PATH) and answers its exit status, -1 if it
// could not run.
int run_command(const std::vector<std::string>& argv);
// Sleeps for the given seconds.
void pause(double seconds);
// Checks condition every 20 ms until it holds; answers whether it did within the timeout.
bool wait_until(const std::function<bool()>& condition, double timeout_seconds);

}  // namespace e2e
