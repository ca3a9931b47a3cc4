#include "tests/glui/glui_fixture.h"

std::vector<FiredCallback> GluiTest::fired;
GluiTest* GluiTest::running = nullptr;

void GluiTest::SetUp() {
  fired.clear();
  running = this;
  master.set_platform(&platform);
  main_window = platform.make_main_window(800, 600);
}

void GluiTest::TearDown() { running = nullptr; }

void GluiTest::record(int id) { fired.push_back({id, running->platform.current}); }

std::vector<int> GluiTest::fired_ids() const {
  std::vector<int> ids;
  for (const FiredCallback& callback : fired) ids.push_back(callback.id);
  return ids;
}

void GluiTest::press(GLUI* gui, int x, int y, int modifiers) {
  platform.current = gui->get_glut_window_id();
  master.on_mouse(gui->get_glut_window_id(), 0, 0, x, y, modifiers);
}

void GluiTest::drag_to(GLUI* gui, int x, int y) {
  platform.current = gui->get_glut_window_id();
  master.on_motion(gui->get_glut_window_id(), x, y);
}

void GluiTest::release(GLUI* gui, int x, int y) {
  platform.current = gui->get_glut_window_id();
  master.on_mouse(gui->get_glut_window_id(), 0, 1, x, y, 0);
}

void GluiTest::click(GLUI* gui, int x, int y) {
  press(gui, x, y);
  release(gui, x, y);
}

void GluiTest::click(GLUI_Control* control) {
  click(control->glui, control->x_abs + control->w - 10, control->y_abs + control->h / 2);
}

void GluiTest::key(GLUI* gui, unsigned char key, int modifiers) {
  platform.current = gui->get_glut_window_id();
  master.on_keyboard(gui->get_glut_window_id(), key, 1, 1, modifiers);
}

void GluiTest::special(GLUI* gui, int key, int modifiers) {
  platform.current = gui->get_glut_window_id();
  master.on_special(gui->get_glut_window_id(), key, 1, 1, modifiers);
}

void GluiTest::type(GLUI* gui, const std::string& keys) {
  for (char c : keys) key(gui, static_cast<unsigned char>(c));
}

void GluiTest::display_all() {
  std::vector<int> ids;
  for (const auto& gui : master.windows()) ids.push_back(gui->get_glut_window_id());
  for (int id : ids) master.prepare_display(id);
}
