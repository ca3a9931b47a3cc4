// The fixture of the widget-layer tests: a master on a FakePlatform with an 800x600
// main window, callbacks that record what fired, and mouse and key helpers that go
// through the master's event entry points as the freeglut glue does.
#pragma once

#include <gtest/gtest.h>

#include <vector>

#include "glui/glui.h"
#include "tests/glui/fake_platform.h"

struct FiredCallback {
  int id;
  int current_window;  // the window current while the callback ran
};

class GluiTest : public ::testing::Test {
 protected:
  void SetUp() override;
  void TearDown() override;

  // Left button down at (x, y) in gui, then up at (x2, y2) (the same place by default).
  void click(GLUI* gui, int x, int y);
  void press(GLUI* gui, int x, int y, int modifiers = 0);
  void drag_to(GLUI* gui, int x, int y);
  void release(GLUI* gui, int x, int y);
  // Clicks at the middle of a control.
  void click(GLUI_Control* control);
  void type(GLUI* gui, const std::string& keys);
  void key(GLUI* gui, unsigned char key, int modifiers = 0);
  void special(GLUI* gui, int key, int modifiers = 0);
  // Draws every window as the glue would (destroys closed ones).
  void display_all();
  std::vector<int> fired_ids() const;

  // Records into fired; the callback of every control under test.
  static void record(int id);
  static std::vector<FiredCallback> fired;
  static GluiTest* running;

  FakePlatform platform;
  GLUI_Master_Object master;
  int main_window = 0;
};
