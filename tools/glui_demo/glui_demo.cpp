// A demo of the widget layer. Run it (glui_demo) to look at every control; the
// end-to-end tests drive it with real X input.
//
// Standard output, one line each, flushed at once:
//   "layout <window> <glut id> <x> <y> <w> <h>"  each GLUI window (x, y in its parent)
//   "control <window> <name> <x> <y> <w> <h>"    each named control, in its window's pixels
//                                                (blanks in the name become "_")
//   "ready"                                       after the layout lines
//   "viewport <x> <y> <w> <h>"                    the free area, on every main-window reshape
//   "callback <id> <value>"                       every callback, with the control's value
//   "state <name> <values...>"                    every value, on the key "p" in the main window
// Keys in the main window: "p" prints the state, "l" the layout lines again, "q" or Esc
// quits (status 0).
#include <GL/freeglut.h>

#include <cstdio>
#include <cstdlib>
#include <string>

#include "glui/glui.h"

namespace {

// Control ids.
enum {
  quit_id = 0,
  press_id = 1,
  count_id = 2,
  scale_id = 3,
  name_id = 4,
  shape_id = 6,
  disable_bottom_id = 7,
  enable_bottom_id = 8,
  show_hidden_id = 9,
  close_bottom_id = 10,
  spin_id = 20,
  pan_id = 21,
  dolly_id = 22,
  slide_x_id = 23,
  slide_y_id = 24,
  smooth_id = 25,
  dialog_value_id = 30,
  dialog_ok_id = 31,
  dialog_cancel_id = 32,
  hidden_close_id = 41,
  hidden_destroy_id = 42,
};

int main_window = 0;
float rotation[16];
float pan[2] = {0, 0};
float dolly = 0;
float slide_x = 0, slide_y = 0;
int count_value = 0;
float scale_value = 0;
int shape = 0;
int smooth = 0;
float aspect = 1.0f;  // of the free area

GLUI* right_panel = nullptr;
GLUI* bottom_panel = nullptr;
GLUI* dialog = nullptr;
GLUI* hidden_dialog = nullptr;
GLUI_EditText* name_field = nullptr;
GLUI_EditText* dialog_value = nullptr;
GLUI_Listbox* dialog_list = nullptr;

void print_line(const std::string& line) {
  std::fputs((line + "\n").c_str(), stdout);
  std::fflush(stdout);
}

std::string floats(const float* values, int count) {
  std::string text;
  for (int i = 0; i < count; ++i) text += (i ? " " : "") + std::to_string(values[i]);
  return text;
}

void print_state() {
  print_line("state rotation " + floats(rotation, 16));
  print_line("state pan " + floats(pan, 2));
  print_line("state dolly " + floats(&dolly, 1));
  print_line("state slide " + std::to_string(slide_x) + " " + std::to_string(slide_y));
  print_line("state count " + std::to_string(count_value));
  print_line("state scale " + std::to_string(scale_value));
  print_line("state shape " + std::to_string(shape));
  print_line("state smooth " + std::to_string(smooth));
  print_line(std::string("state name ") + name_field->get_text());
  print_line("state dialog_value " + std::to_string(dialog_value->get_float_val()));
}

void control_changed(int id) {
  std::string value;
  switch (id) {
    case count_id: value = std::to_string(count_value); break;
    case scale_id: value = std::to_string(scale_value); break;
    case name_id: value = name_field->get_text(); break;
    case shape_id: value = std::to_string(shape); break;
    case spin_id: value = floats(rotation, 16); break;
    case pan_id: value = floats(pan, 2); break;
    case dolly_id: value = std::to_string(dolly); break;
    case slide_x_id: value = std::to_string(slide_x); break;
    case slide_y_id: value = std::to_string(slide_y); break;
    case smooth_id: value = std::to_string(smooth); break;
    case dialog_value_id: value = std::to_string(dialog_value->get_float_val()); break;
    default: break;
  }
  print_line("callback " + std::to_string(id) + (value.empty() ? "" : " " + value));
  switch (id) {
    case disable_bottom_id:
      if (bottom_panel) bottom_panel->disable();
      break;
    case enable_bottom_id:
      if (bottom_panel) bottom_panel->enable();
      break;
    case close_bottom_id:
      if (bottom_panel) bottom_panel->close();
      bottom_panel = nullptr;
      break;
    case show_hidden_id:
      if (hidden_dialog) hidden_dialog->show();
      break;
    case hidden_close_id: hidden_dialog->hide(); break;
    case hidden_destroy_id:
      hidden_dialog->close();
      hidden_dialog = nullptr;
      break;
    case dialog_ok_id:
    case dialog_cancel_id: print_line("dialog choice " + std::to_string(dialog_list->get_int_val())); break;
    default: break;
  }
}

void print_layout(const char* role, GLUI* gui) {
  if (!gui) return;
  print_line(std::string("layout ") + role + " " + std::to_string(gui->get_glut_window_id()) + " " +
             std::to_string(gui->win_x) + " " + std::to_string(gui->win_y) + " " +
             std::to_string(gui->win_w) + " " + std::to_string(gui->win_h));
  gui->for_each_control([role](GLUI_Control* control) {
    if (control->is_container() || control->name.empty()) return;
    std::string name = control->name.str();
    for (char& c : name) {
      if (c == ' ') c = '_';
    }
    print_line(std::string("control ") + role + " " + name + " " + std::to_string(control->x_abs) +
               " " + std::to_string(control->y_abs) + " " + std::to_string(control->w) + " " +
               std::to_string(control->h));
  });
}

void print_layouts() {
  print_layout("right", right_panel);
  print_layout("bottom", bottom_panel);
  print_layout("dialog", dialog);
  print_layout("hidden", hidden_dialog);
}

void display() {
  glClearColor(0.1f, 0.1f, 0.1f, 1.0f);
  glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
  glMatrixMode(GL_PROJECTION);
  glLoadIdentity();
  gluPerspective(30.0, aspect, 1.0, 50.0);
  glMatrixMode(GL_MODELVIEW);
  glLoadIdentity();
  glTranslatef(pan[0] + slide_x, pan[1] + slide_y, -8.0f - dolly);
  glMultMatrixf(rotation);
  glRotatef(30.0f, 1.0f, 1.0f, 0.0f);  // a tilt, so that the shapes look solid
  glEnable(GL_LIGHTING);
  glEnable(GL_LIGHT0);
  glEnable(GL_DEPTH_TEST);
  glEnable(GL_NORMALIZE);
  const float scale = 1.0f + scale_value / 20.0f;
  glScalef(scale, scale, scale);
  switch (shape) {
    case 1: glutSolidSphere(1.0, 24, 16); break;
    case 2: glutSolidCone(0.8, 1.6, 24, 4); break;
    case 3: glutSolidTorus(0.3, 0.8, 16, 24); break;
    default: glutSolidCube(1.4);
  }
  glutSwapBuffers();
}

void reshape(int, int) {
  int x, y, w, h;
  GLUI_Master.get_viewport_area(&x, &y, &w, &h);
  glViewport(x, y, w, h);
  aspect = h > 0 ? static_cast<float>(w) / static_cast<float>(h) : 1.0f;
  print_line("viewport " + std::to_string(x) + " " + std::to_string(y) + " " + std::to_string(w) +
             " " + std::to_string(h));
  glutPostRedisplay();
}

void keyboard(unsigned char key, int, int) {
  if (key == 'p') print_state();
  if (key == 'l') print_layouts();
  if (key == 'q' || key == 27) std::exit(0);
  glutPostRedisplay();
}

void idle() {
  if (glutGetWindow() != main_window) glutSetWindow(main_window);
  glutPostRedisplay();
}

void ignore_mouse(int, int, int, int) {}

void build_right_panel() {
  right_panel = GLUI_Master.create_glui_subwindow(main_window, GLUI_SUBWINDOW_RIGHT);
  right_panel->add_statictext("Widget demo");
  right_panel->add_button("Press me", press_id, control_changed);
  GLUI_EditText* count =
      right_panel->add_edittext("Count:", GLUI_EDITTEXT_INT, &count_value, count_id, control_changed);
  count->set_int_limits(1, 100, GLUI_LIMIT_CLAMP);
  count->set_int_val(10);
  GLUI_EditText* scale = right_panel->add_edittext("Scale:", GLUI_EDITTEXT_FLOAT, &scale_value,
                                                   scale_id, control_changed);
  scale->set_float_limits(-10.0f, 10.0f, GLUI_LIMIT_CLAMP);
  name_field = right_panel->add_edittext("Name:", GLUI_EDITTEXT_TEXT, nullptr, name_id, control_changed);
  GLUI_Listbox* shapes = right_panel->add_listbox("Shape:", &shape, shape_id, control_changed);
  shapes->add_item(0, "Cube");
  shapes->add_item(1, "Sphere");
  shapes->add_item(2, "Cone");
  shapes->add_item(3, "Torus");
  GLUI_Panel* bottom_switch = right_panel->add_panel("Bottom panel");
  right_panel->add_button_to_panel(bottom_switch, "Disable", disable_bottom_id, control_changed);
  right_panel->add_column_to_panel(bottom_switch, true);
  right_panel->add_button_to_panel(bottom_switch, "Enable", enable_bottom_id, control_changed);
  GLUI_Panel* row = right_panel->add_panel("", GLUI_PANEL_NONE);
  right_panel->add_button_to_panel(row, "Show dialog", show_hidden_id, control_changed);
  right_panel->add_column_to_panel(row, false);
  right_panel->add_button_to_panel(row, "Quit", quit_id, (GLUI_Update_CB)exit);
  right_panel->add_button("Close bottom panel", close_bottom_id, control_changed);
  right_panel->set_main_gfx_window(main_window);
}

void build_bottom_panel() {
  bottom_panel = GLUI_Master.create_glui_subwindow(main_window, GLUI_SUBWINDOW_BOTTOM);
  bottom_panel->set_main_gfx_window(main_window);
  bottom_panel->add_rotation("Spin", rotation, spin_id, control_changed)->set_spin(1.0f);
  bottom_panel->add_column(false);
  bottom_panel->add_translation("Pan", GLUI_TRANSLATION_XY, pan, pan_id, control_changed)
      ->set_speed(0.01f);
  bottom_panel->add_column(false);
  bottom_panel->add_translation("Dolly", GLUI_TRANSLATION_Z, &dolly, dolly_id, control_changed)
      ->set_speed(0.02f);
  bottom_panel->add_column(false);
  bottom_panel->add_translation("Slide X", GLUI_TRANSLATION_X, &slide_x, slide_x_id, control_changed)
      ->set_speed(0.05f);
  bottom_panel->add_column(false);
  bottom_panel->add_translation("Slide Y", GLUI_TRANSLATION_Y, &slide_y, slide_y_id, control_changed)
      ->set_speed(0.05f);
  bottom_panel->add_column(false);
  bottom_panel->add_checkbox("Smooth", &smooth, smooth_id, control_changed);
}

void build_dialogs() {
  dialog = GLUI_Master.create_glui("GLUI demo dialog", 0, 880, 40);
  dialog->add_statictext("A top-level GLUI window");
  dialog_value = dialog->add_edittext("Potential", GLUI_EDITTEXT_FLOAT, nullptr, dialog_value_id,
                                      control_changed);
  dialog_value->set_float_limits(-10.0f, 10.0f, GLUI_LIMIT_CLAMP);
  dialog_list = dialog->add_listbox("Field lines enter or leave?", nullptr, -1, nullptr);
  dialog_list->add_item(0, "Leave");
  dialog_list->add_item(1, "Enter");
  GLUI_Panel* buttons = dialog->add_panel("", GLUI_PANEL_NONE);
  dialog->add_button_to_panel(buttons, "OK", dialog_ok_id, control_changed);
  dialog->add_column_to_panel(buttons, false);
  dialog->add_button_to_panel(buttons, "Cancel", dialog_cancel_id, control_changed);

  hidden_dialog = GLUI_Master.create_glui("GLUI hidden dialog", 0, 880, 300);
  hidden_dialog->add_statictext("Shown by the button \"Show dialog\"");
  hidden_dialog->add_button("Close", hidden_close_id, control_changed);
  hidden_dialog->add_button("Destroy", hidden_destroy_id, control_changed);
  hidden_dialog->hide();
}

}  // namespace

int main(int argc, char** argv) {
  glutInit(&argc, argv);
  glutInitDisplayMode(GLUT_RGB | GLUT_DOUBLE | GLUT_DEPTH);
  glutInitWindowPosition(20, 20);
  glutInitWindowSize(640, 480);
  main_window = glutCreateWindow("GLUI demo");
  glutDisplayFunc(display);
  GLUI_Master.set_glutReshapeFunc(reshape);
  GLUI_Master.set_glutKeyboardFunc(keyboard);
  GLUI_Master.set_glutSpecialFunc(nullptr);
  GLUI_Master.set_glutMouseFunc(ignore_mouse);
  const float white[] = {1, 1, 1, 1};
  glLightfv(GL_LIGHT0, GL_DIFFUSE, white);

  build_right_panel();
  build_bottom_panel();
  GLUI_Master.set_glutIdleFunc(idle);
  build_dialogs();

  print_layouts();
  print_line("ready");
  glutMainLoop();
  return 0;
}
