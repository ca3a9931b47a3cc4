// A window system in memory for the widget layer's tests: windows with sizes,
// places, visibility, posted redisplays and pop-up menus, and a current window.
#pragma once

#include <map>
#include <string>
#include <vector>

#include "glui/glui.h"

struct FakeWindow {
  int parent = 0;
  std::string title;
  int x = 0, y = 0, w = 0, h = 0;
  bool shown = true;
  int redisplays = 0;
  bool has_menu = false;
  int transient_for = 0;
  std::vector<std::string> menu;
};

class FakePlatform : public GLUI_Platform {
 public:
  // A plain (non-GLUI) top-level window, made current; answers its id.
  int make_main_window(int w, int h);

  int create_subwindow(int parent, int x, int y, int w, int h) override;
  int create_toplevel(const char* title, int x, int y, int w, int h) override;
  void destroy_window(int window) override { windows.erase(window); }
  int current_window() override { return current; }
  void set_current_window(int window) override { current = window; }
  void window_size(int window, int* w, int* h) override;
  void reshape_window(int window, int w, int h) override;
  void position_window(int window, int x, int y) override;
  bool window_frame(int window, int* x, int* y, int* w, int* h) override;
  void screen_size(int* w, int* h) override {
    *w = 1280;
    *h = 1024;
  }
  void give_keyboard_focus(int window) override { keyboard_focus = window; }
  void show_window(int window) override { windows.at(window).shown = true; }
  void hide_window(int window) override { windows.at(window).shown = false; }
  void post_redisplay(int window) override { ++windows.at(window).redisplays; }
  void draw_window_now(int) override {}
  void install_main_handler(Handler handler) override { installed.push_back(handler); }
  void set_idle_handler(bool on) override { idle_installed = on; }
  bool set_popup_menu(int window, const std::vector<std::string>* items) override;
  void set_transient_for(int window, int owner) override { windows.at(window).transient_for = owner; }
  void raise_window(int) override {}
  void leave_main_loop() override { main_loop_left = true; }
  void ring_bell() override { ++bells; }
  // Each reading of the clock moves it on by clock_step_ms (far apart by default: no two
  // clicks make a double-click unless a test shortens the step).
  long long milliseconds() override { return clock_ms += clock_step_ms; }

  std::map<int, FakeWindow> windows;
  std::vector<Handler> installed;
  bool idle_installed = false;
  bool main_loop_left = false;
  bool menu_open = false;  // while true, menus cannot change (as in freeglut)
  int current = 0;
  int keyboard_focus = 0;
  int bells = 0;
  long long clock_ms = 0;
  long long clock_step_ms = 10000;

 private:
  int add(int parent, const char* title, int x, int y, int w, int h);
  int next_id_ = 1;
};
