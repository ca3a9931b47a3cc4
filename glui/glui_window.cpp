// GLUI: one window of controls. Adding controls, layout, focus and the window-wide
// enable, show, hide and close.
#include <algorithm>

#include "glui/glui.h"

GLUI::GLUI(GLUI_Master_Object* owner, int glut_window, int side_flags, int parent)
    : master(owner), flags(side_flags), parent_window(parent), window_id(glut_window) {
  // Subwindows get a groove around their whole area; top-level windows none.
  main_panel = std::make_unique<GLUI_Panel>("", parent ? GLUI_PANEL_EMBOSSED : GLUI_PANEL_NONE);
  main_panel->glui = this;
}

GLUI::~GLUI() = default;

template <class Control>
Control* GLUI::add_to(GLUI_Panel* panel, std::unique_ptr<Control> control) {
  if (!panel) panel = main_panel.get();
  control->glui = this;
  control->enabled = panel->enabled;
  Control* added = panel->adopt(std::move(control));
  relayout();
  return added;
}

void GLUI::relayout() { master->refresh_layout(this); }

GLUI_Button* GLUI::add_button(const char* name, int id, GLUI_Update_CB cb) {
  return add_button_to_panel(nullptr, name, id, cb);
}

GLUI_Button* GLUI::add_button_to_panel(GLUI_Panel* panel, const char* name, int id,
                                       GLUI_Update_CB cb) {
  return add_to(panel, std::make_unique<GLUI_Button>(name, id, cb));
}

GLUI_Checkbox* GLUI::add_checkbox(const char* name, int* live, int id, GLUI_Update_CB cb) {
  return add_checkbox_to_panel(nullptr, name, live, id, cb);
}

GLUI_Checkbox* GLUI::add_checkbox_to_panel(GLUI_Panel* panel, const char* name, int* live, int id,
                                           GLUI_Update_CB cb) {
  return add_to(panel, std::make_unique<GLUI_Checkbox>(name, live, id, cb));
}

GLUI_StaticText* GLUI::add_statictext(const char* name) {
  return add_statictext_to_panel(nullptr, name);
}

GLUI_StaticText* GLUI::add_statictext_to_panel(GLUI_Panel* panel, const char* name) {
  return add_to(panel, std::make_unique<GLUI_StaticText>(name));
}

GLUI_Panel* GLUI::add_panel(const char* name, int type) {
  return add_panel_to_panel(nullptr, name, type);
}

GLUI_Panel* GLUI::add_panel_to_panel(GLUI_Panel* panel, const char* name, int type) {
  return add_to(panel, std::make_unique<GLUI_Panel>(name, type));
}

void GLUI::add_column(bool draw_bar) { add_column_to_panel(nullptr, draw_bar); }

void GLUI::add_column_to_panel(GLUI_Panel* panel, bool draw_bar) {
  add_to(panel, std::make_unique<GLUI_Column>(draw_bar));
}

GLUI_EditText* GLUI::add_edittext(const char* name, int data_type, void* live, int id,
                                  GLUI_Update_CB cb) {
  return add_edittext_to_panel(nullptr, name, data_type, live, id, cb);
}

GLUI_EditText* GLUI::add_edittext_to_panel(GLUI_Panel* panel, const char* name, int data_type,
                                           void* live, int id, GLUI_Update_CB cb) {
  return add_to(panel, std::make_unique<GLUI_EditText>(name, data_type, live, id, cb));
}

GLUI_Listbox* GLUI::add_listbox(const char* name, int* live, int id, GLUI_Update_CB cb) {
  return add_listbox_to_panel(nullptr, name, live, id, cb);
}

GLUI_Listbox* GLUI::add_listbox_to_panel(GLUI_Panel* panel, const char* name, int* live, int id,
                                         GLUI_Update_CB cb) {
  return add_to(panel, std::make_unique<GLUI_Listbox>(name, live, id, cb));
}

GLUI_List* GLUI::add_list(int width, int rows, int id, GLUI_Update_CB cb) {
  return add_to(nullptr, std::make_unique<GLUI_List>(width, rows, id, cb));
}

GLUI_Rotation* GLUI::add_rotation(const char* name, float* live, int id, GLUI_Update_CB cb) {
  return add_rotation_to_panel(nullptr, name, live, id, cb);
}

GLUI_Rotation* GLUI::add_rotation_to_panel(GLUI_Panel* panel, const char* name, float* live,
                                           int id, GLUI_Update_CB cb) {
  return add_to(panel, std::make_unique<GLUI_Rotation>(name, live, id, cb));
}

GLUI_Translation* GLUI::add_translation(const char* name, int trans_type, float* live, int id,
                                        GLUI_Update_CB cb) {
  return add_translation_to_panel(nullptr, name, trans_type, live, id, cb);
}

GLUI_Translation* GLUI::add_translation_to_panel(GLUI_Panel* panel, const char* name,
                                                 int trans_type, float* live, int id,
                                                 GLUI_Update_CB cb) {
  return add_to(panel, std::make_unique<GLUI_Translation>(name, trans_type, live, id, cb));
}

// ---- window-wide state

void GLUI::disable() {
  set_focus(nullptr, false);
  main_panel->disable();
}

void GLUI::enable() { main_panel->enable(); }

void GLUI::show() {
  hidden = false;
  master->platform().show_window(window_id);
}

void GLUI::hide() {
  set_focus(nullptr, false);
  drop_menu();
  hidden = true;
  master->platform().hide_window(window_id);
}

void GLUI::close() {
  closing = true;
  post_redisplay();
}

void GLUI::set_close_callback(GLUI_Update_CB cb, int id) {
  close_callback = cb;
  close_id = id;
}

void GLUI::set_transient_for(int window) {
  transient_owner = window;
  if (window) master->platform().set_transient_for(window_id, window);
}

GLUI_Button* GLUI::button_for_key(unsigned char key) const {
  GLUI_Button* button = key == glui_keys::enter ? enter_button : key == glui_keys::escape ? escape_button : nullptr;
  return button && button->is_enabled() ? button : nullptr;
}

void GLUI::raise() { master->platform().raise_window(window_id); }

void GLUI::place(int x, int y) {
  place_x = x;
  place_y = y;
  master->platform().position_window(window_id, x, y);
}

bool GLUI::frame(int* x, int* y, int* w, int* h) const {
  return master->platform().window_frame(window_id, x, y, w, h);
}

void GLUI::give_keyboard_focus() { master->platform().give_keyboard_focus(window_id); }

void GLUI::draw_now() { master->platform().draw_window_now(window_id); }

void GLUI::sync_live() {
  for_each_control([this](GLUI_Control* control) {
    if (control != pressed_control) control->sync_live();
  });
}

void GLUI::drop_menu() {
  if (hovered_listbox && master->platform().set_popup_menu(window_id, nullptr)) {
    hovered_listbox = nullptr;
  }
}

// ---- layout and drawing

void GLUI::pack(int* content_w, int* content_h) {
  main_panel->update_size();
  main_panel->x_abs = 0;
  main_panel->y_abs = 0;
  main_panel->place_children();
  *content_w = main_panel->w;
  *content_h = main_panel->h;
}

void GLUI::wanted_size(int parent_w, int parent_h, int* out_w, int* out_h) {
  int content_w, content_h;
  pack(&content_w, &content_h);
  *out_w = content_w;
  *out_h = content_h;
  if (flags & (GLUI_SUBWINDOW_RIGHT | GLUI_SUBWINDOW_LEFT)) *out_h = std::max(content_h, parent_h);
  if (flags & (GLUI_SUBWINDOW_TOP | GLUI_SUBWINDOW_BOTTOM)) *out_w = std::max(content_w, parent_w);
  // The root panel's frame spans the whole window.
  main_panel->w = *out_w;
  main_panel->h = *out_h;
}

void GLUI::draw(GLUI_Painter& painter) const { main_panel->draw(painter); }

void GLUI::post_redisplay() const { master->platform().post_redisplay(window_id); }

void GLUI::post_main_redisplay() const {
  if (main_gfx_window) master->platform().post_redisplay(main_gfx_window);
}

void GLUI::run_callback(GLUI_Update_CB cb, int id) const {
  if (!cb) return;
  GLUI_Platform& platform = master->platform();
  const int previous = platform.current_window();
  if (main_gfx_window) platform.set_current_window(main_gfx_window);
  cb(id);
  if (previous && previous != platform.current_window()) platform.set_current_window(previous);
}

// ---- focus

void GLUI::set_focus(GLUI_Control* control, bool by_tab) {
  if (focus == control) return;
  GLUI_Control* previous = focus;
  focus = nullptr;
  // Losing the focus may commit an edit text and run its callback, which may move the
  // focus itself; the newest request wins.
  if (previous) previous->on_blur();
  if (focus || !control || !control->enabled) return;
  focus = control;
  control->on_focus(by_tab);
  post_redisplay();
}

void GLUI::tab_focus(bool backwards) {
  std::vector<GLUI_Control*> reachable;
  for_each_control([&](GLUI_Control* control) {
    if (control->enabled && control->can_tab_focus()) reachable.push_back(control);
  });
  if (reachable.empty()) return;
  const int count = static_cast<int>(reachable.size());
  auto current = std::find(reachable.begin(), reachable.end(), focus);
  int index;
  if (current == reachable.end()) {
    index = backwards ? count - 1 : 0;
  } else {
    const int at = static_cast<int>(current - reachable.begin());
    index = (at + (backwards ? count - 1 : 1)) % count;
  }
  // Tab always leaves the control, even when it comes back to it (a field commits).
  if (reachable[index] == focus) set_focus(nullptr, false);
  set_focus(reachable[index], true);
}

GLUI_Control* GLUI::control_at(int x, int y) const {
  GLUI_Control* found = nullptr;
  for_each_control([&](GLUI_Control* control) {
    if (!control->is_container() && control->enabled && control->contains(x, y)) {
      found = control;
    }
  });
  return found;
}
