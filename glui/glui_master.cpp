// GLUI_Master: creating GLUI windows, placing subwindows, forwarding the main
// window's callbacks, and routing events to controls.
#include <algorithm>
#include <chrono>
#include <utility>

#include "glui/glui.h"

GLUI_Master_Object GLUI_Master;

std::vector<int> menu_groups(int count, int rows) {
  if (rows < 1 || count <= rows) return {0};
  // As many groups as the columns need, and no more items in a group than in a column.
  const int groups = (count + rows - 1) / rows;
  std::vector<int> starts;
  for (int i = 0; i < groups; ++i) starts.push_back(i * count / groups);
  return starts;
}

long long GLUI_Platform::milliseconds() {
  using namespace std::chrono;
  return duration_cast<std::chrono::milliseconds>(steady_clock::now().time_since_epoch()).count();
}

namespace {

constexpr int left_button = 0;
constexpr int wheel_up = 3, wheel_down = 4;
constexpr int button_down = 0;
constexpr int side_flags =
    GLUI_SUBWINDOW_TOP | GLUI_SUBWINDOW_BOTTOM | GLUI_SUBWINDOW_LEFT | GLUI_SUBWINDOW_RIGHT;

}  // namespace

// Brings the idle handler in line with what needs it once an event has been handled
// (a released ball may spin; a blurred one stops).
class GLUI_Master_Object::IdleCheck {
 public:
  explicit IdleCheck(GLUI_Master_Object& master) : master_(master) {}
  ~IdleCheck() { master_.update_idle(); }
  IdleCheck(const IdleCheck&) = delete;
  IdleCheck& operator=(const IdleCheck&) = delete;

 private:
  GLUI_Master_Object& master_;
};

// Frees the windows' memory only: at process exit the window system may be gone.
GLUI_Master_Object::~GLUI_Master_Object() = default;

// ---- creation

GLUI* GLUI_Master_Object::create_glui_subwindow(int parent_window, long flags) {
  const int window = platform().create_subwindow(parent_window, 0, 0, 100, 100);
  guis.push_back(std::unique_ptr<GLUI>(
      new GLUI(this, window, static_cast<int>(flags) & side_flags, parent_window)));
  GLUI* gui = guis.back().get();
  gui->main_gfx_window = parent_window;
  refresh_layout(gui);
  return gui;
}

GLUI* GLUI_Master_Object::create_glui(const char* name, long /*flags*/, int x, int y) {
  const bool placed = x >= 0 || y >= 0;
  const int place_x = placed ? std::max(x, 0) : -1, place_y = placed ? std::max(y, 0) : -1;
  const int window = platform().create_toplevel(name ? name : "", place_x, place_y, 100, 100);
  guis.push_back(std::unique_ptr<GLUI>(new GLUI(this, window, 0, 0)));
  GLUI* gui = guis.back().get();
  gui->title = name ? name : "";
  gui->place_x = place_x;
  gui->place_y = place_y;
  refresh_layout(gui);
  return gui;
}

GLUI* GLUI_Master_Object::find_glui_by_window_id(int window) const {
  for (const auto& gui : guis) {
    if (gui->window_id == window) return gui.get();
  }
  return nullptr;
}

void GLUI_Master_Object::close_all() {
  for (const auto& gui : guis) gui->close();
}

void GLUI_Master_Object::sync_live_all() {
  for (const auto& gui : guis) gui->sync_live();
}

void GLUI_Master_Object::deactivate_all() { blur_other_windows(nullptr); }

// By index: a commit's callback may create windows.
void GLUI_Master_Object::blur_other_windows(GLUI* keep) {
  for (size_t i = 0; i < guis.size(); ++i) {
    if (guis[i].get() != keep) guis[i]->set_focus(nullptr, false);
  }
}

// ---- layout of windows

void GLUI_Master_Object::refresh_layout(GLUI* gui) {
  if (gui->parent_window) {
    place_subwindows(gui->parent_window);
  } else {
    int w, h;
    gui->wanted_size(0, 0, &w, &h);
    if (w != gui->win_w || h != gui->win_h) {
      gui->win_w = w;
      gui->win_h = h;
      platform().reshape_window(gui->window_id, w, h);
    }
  }
  gui->post_redisplay();
}

// Sizes every subwindow of parent and places it: RIGHT and LEFT ones below any TOP
// ones, later ones on a side inward of earlier ones; RIGHT and BOTTOM may overlap in
// the corner.
void GLUI_Master_Object::place_subwindows(int parent) {
  int parent_w, parent_h;
  platform().window_size(parent, &parent_w, &parent_h);
  std::vector<GLUI*> subwindows;
  int top_total = 0;
  for (const auto& gui : guis) {
    if (gui->parent_window != parent) continue;
    subwindows.push_back(gui.get());
    gui->wanted_size(parent_w, parent_h, &gui->win_w, &gui->win_h);
    if (gui->flags & GLUI_SUBWINDOW_TOP) top_total += gui->win_h;
  }
  int used_top = 0, used_bottom = 0, used_left = 0, used_right = 0;
  for (GLUI* gui : subwindows) {
    int x = 0, y = 0;
    if (gui->flags & GLUI_SUBWINDOW_RIGHT) {
      used_right += gui->win_w;
      x = parent_w - used_right;
      y = top_total;
    } else if (gui->flags & GLUI_SUBWINDOW_LEFT) {
      x = used_left;
      y = top_total;
      used_left += gui->win_w;
    } else if (gui->flags & GLUI_SUBWINDOW_TOP) {
      y = used_top;
      used_top += gui->win_h;
    } else if (gui->flags & GLUI_SUBWINDOW_BOTTOM) {
      used_bottom += gui->win_h;
      y = parent_h - used_bottom;
    }
    gui->win_x = x;
    gui->win_y = y;
    platform().reshape_window(gui->window_id, gui->win_w, gui->win_h);
    platform().position_window(gui->window_id, x, y);
  }
}

void GLUI_Master_Object::get_viewport_area(int* x, int* y, int* w, int* h) {
  const int window = platform().current_window();
  int area_x = 0, area_y = 0, area_w = 0, area_h = 0;
  platform().window_size(window, &area_w, &area_h);
  for (const auto& gui : guis) {
    if (gui->parent_window != window) continue;
    if (gui->flags & GLUI_SUBWINDOW_LEFT) {
      area_x += gui->win_w;
      area_w -= gui->win_w;
    } else if (gui->flags & GLUI_SUBWINDOW_BOTTOM) {
      area_y += gui->win_h;  // OpenGL's y points up
      area_h -= gui->win_h;
    } else if (gui->flags & GLUI_SUBWINDOW_RIGHT) {
      area_w -= gui->win_w;
    } else if (gui->flags & GLUI_SUBWINDOW_TOP) {
      area_h -= gui->win_h;
    }
  }
  *x = std::max(area_x, 0);
  *y = std::max(area_y, 0);
  *w = std::max(area_w, 0);
  *h = std::max(area_h, 0);
}

// ---- the main window's handlers

GLUI_Master_Object::UserHandlers& GLUI_Master_Object::handlers_of(int window) {
  for (UserHandlers& entry : handlers) {
    if (entry.window == window) return entry;
  }
  handlers.push_back(UserHandlers{window});
  return handlers.back();
}

const GLUI_Master_Object::UserHandlers* GLUI_Master_Object::find_handlers(int window) const {
  for (const UserHandlers& entry : handlers) {
    if (entry.window == window) return &entry;
  }
  return nullptr;
}

void GLUI_Master_Object::set_glutReshapeFunc(void (*f)(int, int)) {
  handlers_of(platform().current_window()).reshape = f;
  platform().install_main_handler(GLUI_Platform::Handler::reshape);
}

void GLUI_Master_Object::set_glutKeyboardFunc(void (*f)(unsigned char, int, int)) {
  handlers_of(platform().current_window()).keyboard = f;
  platform().install_main_handler(GLUI_Platform::Handler::keyboard);
}

void GLUI_Master_Object::set_glutSpecialFunc(void (*f)(int, int, int)) {
  handlers_of(platform().current_window()).special = f;
  platform().install_main_handler(GLUI_Platform::Handler::special);
}

void GLUI_Master_Object::set_glutMouseFunc(void (*f)(int, int, int, int)) {
  handlers_of(platform().current_window()).mouse = f;
  platform().install_main_handler(GLUI_Platform::Handler::mouse);
}

void GLUI_Master_Object::set_glutIdleFunc(void (*f)()) {
  idle = f;
  update_idle();
}

void GLUI_Master_Object::update_idle() {
  bool needed = idle != nullptr;
  for (const auto& gui : guis) needed = needed || (gui->focus && gui->focus->wants_idle());
  if (needed == idle_installed) return;
  idle_installed = needed;
  platform().set_idle_handler(needed);
}

// ---- events

bool GLUI_Master_Object::prepare_display(int window) {
  GLUI* gui = find_glui_by_window_id(window);
  if (!gui) return false;
  if (gui->closing) {
    destroy(gui);
    return false;
  }
  int w, h;
  platform().window_size(window, &w, &h);
  if (w != gui->win_w || h != gui->win_h) platform().reshape_window(window, gui->win_w, gui->win_h);
  return true;
}

void GLUI_Master_Object::forget(GLUI* gui) {
  if (menu_closing.window == gui->window_id) menu_closing = {};
  guis.erase(std::find_if(guis.begin(), guis.end(),
                          [gui](const auto& entry) { return entry.get() == gui; }));
}

void GLUI_Master_Object::destroy(GLUI* gui) {
  const int parent = gui->parent_window;
  const int closed = gui->window_id;
  gui->drop_menu();
  forget(gui);
  // Leave the window system nothing that points at the closed window.
  if (parent) platform().set_current_window(parent);
  platform().destroy_window(closed);
  if (!parent) return;
  // The parent's free area grew: place the other subwindows and tell the program.
  place_subwindows(parent);
  if (const UserHandlers* user = find_handlers(parent); user && user->reshape) {
    int w, h;
    platform().window_size(parent, &w, &h);
    user->reshape(w, h);
  }
  platform().post_redisplay(parent);
}

void GLUI_Master_Object::on_window_closed(int window) {
  if (leaving) return;
  GLUI* gui = find_glui_by_window_id(window);
  if (!gui) {
    if (find_handlers(window)) {
      leaving = true;
      platform().leave_main_loop();
    }
    return;
  }
  if (gui->parent_window) return;  // it goes with its main window, which closes next
  if (gui->closing) {
    forget(gui);
    return;
  }
  rebuild(gui);
  if (gui->close_callback) {
    gui->run_callback(gui->close_callback, gui->close_id);
  } else {
    gui->hide();
  }
}

void GLUI_Master_Object::rebuild(GLUI* gui) {
  // What the user typed is committed, as when the window hides; nothing stays held, and
  // the list-box menu went with the old window.
  gui->set_focus(nullptr, false);
  gui->pressed_control = nullptr;
  gui->hovered_listbox = nullptr;
  gui->window_id = platform().create_toplevel(gui->title.c_str(), gui->place_x, gui->place_y,
                                              gui->win_w, gui->win_h);
  if (gui->transient_owner) platform().set_transient_for(gui->window_id, gui->transient_owner);
  if (gui->hidden) platform().hide_window(gui->window_id);
  gui->post_redisplay();
}

void GLUI_Master_Object::on_reshape(int window, int w, int h) {
  if (GLUI* gui = find_glui_by_window_id(window)) {
    gui->post_redisplay();
    return;
  }
  if (const UserHandlers* user = find_handlers(window); user && user->reshape) user->reshape(w, h);
  place_subwindows(window);
  for (const auto& gui : guis) {
    if (gui->parent_window == window) gui->post_redisplay();
  }
}

void GLUI_Master_Object::on_mouse(int window, int button, int state, int x, int y, int modifiers) {
  const IdleCheck check(*this);
  // A press that reaches the program was not the one that closed a menu: that one went to
  // another window, and the press there is this.
  if (state == button_down) menu_closing = {};
  deliver_menu_closing_press();
  GLUI* gui = find_glui_by_window_id(window);
  if (!gui) {
    // A press commits the focused field; a release only ends that press, and a field
    // focused meanwhile (a key held during a drag opened its dialog) keeps its keys.
    if (state == button_down) deactivate_all();
    if (const UserHandlers* user = find_handlers(window); user && user->mouse) {
      user->mouse(button, state, x, y);
    }
    return;
  }
  if (button != left_button) {
    if (!wheel_over_control(gui, button, state, x, y)) forward_mouse_to_parent(gui, button, state, x, y);
  } else if (state == button_down) {
    blur_other_windows(gui);
    GLUI_Control* control = gui->control_at(x, y);
    gui->set_focus(control && control->keeps_focus_on_click() ? control : nullptr, false);
    // Committing a field may have disabled or hidden things: look again.
    control = gui->control_at(x, y);
    gui->pressed_control = control;
    if (control) {
      control->on_press(x, y, modifiers);
    } else {
      forward_mouse_to_parent(gui, button, state, x, y);
    }
  } else if (GLUI_Control* pressed = gui->pressed_control) {
    gui->pressed_control = nullptr;
    // A control disabled while it was held counts as released outside.
    pressed->on_release(x, y, pressed->enabled && pressed->contains(x, y));
    // A menu that closed meanwhile was detached: the list box under the pointer gets its
    // menu again without waiting for the pointer to move.
    if (find_glui_by_window_id(window) == gui) refresh_hover(gui, x, y);
  } else {
    forward_mouse_to_parent(gui, button, state, x, y);
  }
}

bool GLUI_Master_Object::wheel_over_control(GLUI* gui, int button, int state, int x, int y) {
  if (button != wheel_up && button != wheel_down) return false;
  GLUI_Control* control = gui->control_at(x, y);
  if (!control || !control->takes_wheel()) return false;
  if (state == button_down) control->on_wheel(button == wheel_up ? -1 : 1);
  return true;
}

void GLUI_Master_Object::deliver_menu_closing_press() {
  const MenuClosing closing = std::exchange(menu_closing, MenuClosing{});
  if (closing.window != 0) on_mouse(closing.window, left_button, button_down, closing.x, closing.y, 0);
}

void GLUI_Master_Object::on_motion(int window, int x, int y) {
  const IdleCheck check(*this);
  deliver_menu_closing_press();
  GLUI* gui = find_glui_by_window_id(window);
  if (gui && gui->pressed_control && gui->pressed_control->enabled) {
    gui->pressed_control->on_drag(x, y);
  }
}

void GLUI_Master_Object::on_passive_motion(int window, int x, int y) {
  if (GLUI* gui = find_glui_by_window_id(window)) refresh_hover(gui, x, y);
}

// A list box with items under the pointer gets the left button's pop-up menu.
void GLUI_Master_Object::refresh_hover(GLUI* gui, int x, int y) {
  const int window = gui->window_id;
  auto* listbox = dynamic_cast<GLUI_Listbox*>(gui->control_at(x, y));
  // freeglut cannot open a menu of no items: the X server refuses its empty window, and
  // the program ends or stops answering. An empty list opens nothing.
  if (listbox && listbox->item_count() == 0) listbox = nullptr;
  if (listbox == gui->hovered_listbox) return;
  if (!listbox) {
    gui->drop_menu();
    return;
  }
  const std::vector<std::string> texts = listbox->item_texts();
  if (platform().set_popup_menu(window, &texts)) gui->hovered_listbox = listbox;
}

void GLUI_Master_Object::on_menu_closed(int window, int x, int y) {
  GLUI* gui = find_glui_by_window_id(window);
  if (!gui) return;
  // The platform detached the menu: the next hover attaches one again.
  menu_closing = MenuClosing{window, x, y, gui->hovered_listbox};
  gui->hovered_listbox = nullptr;
}

void GLUI_Master_Object::on_menu_choice(int window, int index) {
  const IdleCheck check(*this);
  GLUI* gui = find_glui_by_window_id(window);
  if (!gui) return;
  // Through freeglut the menu's close came first, and it is no press.
  const MenuClosing closing = menu_closing.window == window ? std::exchange(menu_closing, MenuClosing{}) : MenuClosing{};
  GLUI_Listbox* listbox = closing.window != 0 ? closing.listbox : gui->hovered_listbox;
  if (!listbox) return;
  blur_other_windows(gui);
  gui->set_focus(listbox, false);
  if (listbox->enabled) listbox->choose_index(index);
  if (closing.window == window && find_glui_by_window_id(window) == gui) refresh_hover(gui, closing.x, closing.y);
}

void GLUI_Master_Object::on_keyboard(int window, unsigned char key, int x, int y, int modifiers) {
  const IdleCheck check(*this);
  deliver_menu_closing_press();
  GLUI* gui = find_glui_by_window_id(window);
  if (!gui) {
    if (const UserHandlers* user = find_handlers(window); user && user->keyboard) {
      user->keyboard(key, x, y);
    }
    return;
  }
  if (key == glui_keys::tab) {
    gui->tab_focus((modifiers & glui_keys::shift) != 0);
    return;
  }
  if (GLUI_Button* button = gui->button_for_key(key)) {
    if (gui->focus) gui->focus->on_key(key, modifiers);
    button->click();
    return;
  }
  if (gui->focus && gui->focus->on_key(key, modifiers)) return;
  if (auto keyboard = parent_handler(gui, &UserHandlers::keyboard)) {
    keyboard(key, x + gui->win_x, y + gui->win_y);
  }
}

void GLUI_Master_Object::on_special(int window, int key, int x, int y, int modifiers) {
  const IdleCheck check(*this);
  deliver_menu_closing_press();
  GLUI* gui = find_glui_by_window_id(window);
  if (!gui) {
    if (const UserHandlers* user = find_handlers(window); user && user->special) {
      user->special(key, x, y);
    }
    return;
  }
  if (gui->focus && gui->focus->on_special(key, modifiers)) return;
  if (auto special = parent_handler(gui, &UserHandlers::special)) {
    special(key, x + gui->win_x, y + gui->win_y);
  }
}

// Keys and clicks that no control uses in a subwindow belong to the main window it sits
// in: the program's keys work wherever the pointer is, and the program hears of clicks on
// a disabled panel. Dialogs keep theirs.
void GLUI_Master_Object::forward_mouse_to_parent(GLUI* gui, int button, int state, int x, int y) {
  if (auto mouse = parent_handler(gui, &UserHandlers::mouse)) {
    mouse(button, state, x + gui->win_x, y + gui->win_y);
  }
}

void GLUI_Master_Object::on_idle() {
  if (leaving) return;
  const IdleCheck check(*this);
  deliver_menu_closing_press();
  for (size_t i = 0; i < guis.size(); ++i) {
    if (GLUI_Control* focus = guis[i]->focus) focus->on_idle();
  }
  if (idle) idle();
}
