#include "tests/glui/fake_platform.h"

// The window-free test program has no freeglut: its default platform is a fake that
// no test uses (each test hands its master a FakePlatform of its own).
GLUI_Platform& glui_default_platform() {
  static FakePlatform unused;
  return unused;
}

int FakePlatform::add(int parent, const char* title, int x, int y, int w, int h) {
  FakeWindow window;
  window.parent = parent;
  window.title = title;
  window.x = x;
  window.y = y;
  window.w = w;
  window.h = h;
  windows[next_id_] = std::move(window);
  return next_id_++;
}

int FakePlatform::make_main_window(int w, int h) {
  current = add(0, "main", 0, 0, w, h);
  return current;
}

int FakePlatform::create_subwindow(int parent, int x, int y, int w, int h) {
  return add(parent, "", x, y, w, h);
}

int FakePlatform::create_toplevel(const char* title, int x, int y, int w, int h) {
  return add(0, title, x, y, w, h);
}

void FakePlatform::window_size(int window, int* w, int* h) {
  const FakeWindow& found = windows.at(window);
  *w = found.w;
  *h = found.h;
}

void FakePlatform::reshape_window(int window, int w, int h) {
  windows.at(window).w = w;
  windows.at(window).h = h;
}

void FakePlatform::position_window(int window, int x, int y) {
  windows.at(window).x = x;
  windows.at(window).y = y;
}

bool FakePlatform::set_popup_menu(int window, const std::vector<std::string>* items) {
  if (menu_open) return false;
  FakeWindow& found = windows.at(window);
  found.has_menu = items != nullptr;
  found.menu = items ? *items : std::vector<std::string>{};
  return true;
}

bool FakePlatform::window_frame(int window, int* x, int* y, int* w, int* h) {
  const FakeWindow& found = windows.at(window);
  *x = found.x;
  *y = found.y;
  *w = found.w;
  *h = found.h;
  return found.shown;
}
