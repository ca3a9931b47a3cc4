// The freeglut side of the widget layer: windows, GLUT callbacks routed to
// GLUI_Master, drawing through GlPainter, and the list boxes' pop-up menus.
#include <GL/freeglut.h>
#include <GL/glx.h>
#include <X11/Xutil.h>
#include <X11/keysym.h>

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <map>
#include <set>
#include <utility>

#include "glui/gl_painter.h"
#include "glui/glui.h"

namespace {

// Set when the process exits. freeglut then destroys every window from an exit handler of
// its own, registered at glutInit and so run after this layer's; those closes are no one's
// to handle (the program's exit handlers have run, and this glue may be gone).
bool exiting = false;

// GLUI windows that were resized. Mesa may still draw the first frame after a resize
// into a buffer of the old size, so these windows are drawn once more.
std::set<int> resized_windows;

// Errors of requests about windows that may go away meanwhile are not the program's end.
class XErrorsIgnored {
 public:
  explicit XErrorsIgnored(Display* display) : display_(display) {
    XSync(display_, False);
    previous_ = XSetErrorHandler([](Display*, XErrorEvent*) { return 0; });
  }
  ~XErrorsIgnored() {
    XSync(display_, False);
    XSetErrorHandler(previous_);
  }
  XErrorsIgnored(const XErrorsIgnored&) = delete;
  XErrorsIgnored& operator=(const XErrorsIgnored&) = delete;

 private:
  Display* display_;
  int (*previous_)(Display*, XErrorEvent*);
};

// ---- the keyboard given to a dialog: X hands keys to the window under the pointer unless
// a window manager or a program sets the input focus.

int keyboard_window = 0;  // the top-level window that asked for the keyboard, until it has it
int focused_window = 0;   // the window given the keyboard, until a click elsewhere

// The X window of a GLUT window: the drawable of its context, current while it is.
Window x_window_of(int window) {
  const int previous = glutGetWindow();
  if (previous != window) glutSetWindow(window);
  const Window x_window = glXGetCurrentDrawable();
  if (previous && previous != window) glutSetWindow(previous);
  return x_window;
}

// Sets the input focus on the window that asked for it, once it shows.
void focus_keyboard_window() {
  Display* display = glXGetCurrentDisplay();
  if (!keyboard_window || !display) return;
  if (!GLUI_Master.find_glui_by_window_id(keyboard_window)) {  // closed meanwhile
    keyboard_window = 0;
    return;
  }
  const Window target = x_window_of(keyboard_window);
  XWindowAttributes attributes;
  if (!XGetWindowAttributes(display, target, &attributes) || attributes.map_state != IsViewable) return;
  {
    const XErrorsIgnored ignored(display);
    XSetInputFocus(display, target, RevertToPointerRoot, CurrentTime);
  }
  focused_window = std::exchange(keyboard_window, 0);
}

// A press in another window than the one given the keyboard hands the keys back to the
// pointer, unless a window manager has moved the focus on already.
void release_keyboard_on_press(int window) {
  Display* display = glXGetCurrentDisplay();
  keyboard_window = 0;
  if (!focused_window || !display) return;
  if (!GLUI_Master.find_glui_by_window_id(focused_window)) {  // closed meanwhile
    focused_window = 0;
    return;
  }
  const Window focused = x_window_of(focused_window);
  int top = window;
  while (glutGet(GLUT_WINDOW_PARENT) != 0) {
    top = glutGet(GLUT_WINDOW_PARENT);
    glutSetWindow(top);
  }
  glutSetWindow(window);
  if (top == focused_window) return;
  focused_window = 0;
  Window holder = 0;
  int revert = 0;
  XGetInputFocus(display, &holder, &revert);
  if (holder != focused) return;
  const XErrorsIgnored ignored(display);
  XSetInputFocus(display, PointerRoot, RevertToPointerRoot, CurrentTime);
}

// ---- GLUT callbacks, shared by the main windows and the GLUI windows

void on_display() {
  const int window = glutGetWindow();
  if (window == keyboard_window) focus_keyboard_window();
  if (!GLUI_Master.prepare_display(window)) {
    resized_windows.erase(window);
    return;
  }
  GLUI* gui = GLUI_Master.find_glui_by_window_id(window);
  GlPainter painter(gui->win_w, gui->win_h);
  gui->draw(painter);
  glutSwapBuffers();
  if (resized_windows.erase(window)) glutPostRedisplay();
}

void on_reshape(int w, int h) {
  const int window = glutGetWindow();
  if (GLUI_Master.find_glui_by_window_id(window)) resized_windows.insert(window);
  GLUI_Master.on_reshape(window, w, h);
}

void on_mouse(int button, int state, int x, int y) {
  if (state == GLUT_DOWN) release_keyboard_on_press(glutGetWindow());
  GLUI_Master.on_mouse(glutGetWindow(), button, state, x, y, glutGetModifiers());
}

void on_motion(int x, int y) { GLUI_Master.on_motion(glutGetWindow(), x, y); }

void on_passive_motion(int x, int y) { GLUI_Master.on_passive_motion(glutGetWindow(), x, y); }

void on_keyboard(unsigned char key, int x, int y) {
  GLUI_Master.on_keyboard(glutGetWindow(), key, x, y, glutGetModifiers());
}

void on_special(int key, int x, int y) {
  GLUI_Master.on_special(glutGetWindow(), key, x, y, glutGetModifiers());
}

void on_idle() { GLUI_Master.on_idle(); }

// ---- pop-up menus: one per window at most (a long one with its group menus); freeglut
// forbids changing menus while one is open, so changes wait until it closes.

bool menu_open = false;
// The menus of each window, the one attached to its left button first; a menu stays
// attached until it closes, and is destroyed when the window gets another.
std::map<int, std::vector<int>> menus_of_window;

// freeglut draws a menu that opens once, right after giving its window the menu's size;
// Mesa may draw that first frame into a buffer of the window's old size, which leaves a
// black band at the top and cuts the list short, and freeglut draws again only when the
// highlighted item changes. So while a menu is open and not yet drawn whole, an Expose
// event sent to its window every few milliseconds has freeglut draw it again. Drawn whole,
// the menu's white top edge reaches its top-right corner.

int menu_openings = 0;  // a tick of an earlier opening finds the number changed
int menu_opened_at = 0;  // GLUT_ELAPSED_TIME

// The open menu's window: the topmost viewable child of the root window that freeglut
// named as its menus; 0 when there is none (yet).
Window find_open_menu_window(Display* display) {
  Window root = 0, parent = 0, *children = nullptr;
  unsigned count = 0;
  if (!XQueryTree(display, DefaultRootWindow(display), &root, &parent, &children, &count)) return 0;
  Window found = 0;
  for (unsigned i = count; i-- > 0 && !found;) {
    XWindowAttributes attributes;
    char* name = nullptr;
    if (XGetWindowAttributes(display, children[i], &attributes) && attributes.map_state == IsViewable &&
        XFetchName(display, children[i], &name) && name && std::strcmp(name, "freeglut menu") == 0) {
      found = children[i];
    }
    if (name) XFree(name);
  }
  if (children) XFree(children);
  return found;
}

// Whether the pixel near the top-right corner of the menu's window is white.
bool menu_drawn_whole(Display* display, Window menu) {
  XWindowAttributes attributes;
  if (!XGetWindowAttributes(display, menu, &attributes) || attributes.width < 4) return false;
  XImage* image = XGetImage(display, menu, attributes.width - 3, 1, 1, 1, AllPlanes, ZPixmap);
  if (!image) return false;
  const unsigned long white =
      attributes.visual->red_mask | attributes.visual->green_mask | attributes.visual->blue_mask;
  const bool whole = (XGetPixel(image, 0, 0) & white) == white;
  XDestroyImage(image);
  return whole;
}

void check_open_menu(int opening) {
  Display* display = glXGetCurrentDisplay();
  constexpr int give_up_after_ms = 10000;
  const bool too_late = glutGet(GLUT_ELAPSED_TIME) - menu_opened_at > give_up_after_ms;
  if (opening != menu_openings || !menu_open || !display || too_late) return;
  {
    const XErrorsIgnored ignored(display);
    const Window menu = find_open_menu_window(display);
    if (menu && menu_drawn_whole(display, menu)) return;
    if (menu) {
      XEvent expose{};
      expose.type = Expose;
      expose.xexpose.window = menu;
      XSendEvent(display, menu, False, ExposureMask, &expose);
    }
  }
  glutTimerFunc(5, check_open_menu, opening);
}

// When a menu closes, freeglut has the window it belongs to current. The menu is
// detached at once: freeglut would open it again at once if the click that closed it
// fell in its window (on the dialog's OK, say), instead of handing the click on.
void on_menu_status(int status, int x, int y) {
  menu_open = status == GLUT_MENU_IN_USE;
  if (menu_open) {
    menu_opened_at = glutGet(GLUT_ELAPSED_TIME);
    glutTimerFunc(5, check_open_menu, ++menu_openings);
    return;
  }
  glutDetachMenu(GLUT_LEFT_BUTTON);
  GLUI_Master.on_menu_closed(glutGetWindow(), x, y);
}

void on_menu_choice(int index) {
  const int menu = glutGetMenu();
  for (const auto& [window, menus] : menus_of_window) {
    if (std::find(menus.begin(), menus.end(), menu) != menus.end()) GLUI_Master.on_menu_choice(window, index);
  }
}

// How many menu entries one column of the screen holds: freeglut's entries are as tall
// as its menu font's lines and a border, inside a border round the menu.
int menu_rows_on_screen() {
  constexpr int border = 2;
  const int entry = glutBitmapHeight(GLUT_BITMAP_HELVETICA_18) + border;
  return (glutGet(GLUT_SCREEN_HEIGHT) - 4 * border) / entry;
}

// Makes the menus of `items` (one, or a menu of groups and a menu for each group) and
// answers their ids, the one to attach first.
std::vector<int> make_menus(const std::vector<std::string>& items) {
  const std::vector<int> starts = menu_groups(static_cast<int>(items.size()), menu_rows_on_screen());
  std::vector<int> groups;
  for (size_t g = 0; g < starts.size(); ++g) {
    const size_t end = g + 1 < starts.size() ? static_cast<size_t>(starts[g + 1]) : items.size();
    groups.push_back(glutCreateMenu(on_menu_choice));
    for (size_t i = static_cast<size_t>(starts[g]); i < end; ++i) {
      glutAddMenuEntry(items[i].c_str(), static_cast<int>(i));
    }
  }
  if (groups.size() == 1) return groups;
  const int top = glutCreateMenu(on_menu_choice);
  for (size_t g = 0; g < starts.size(); ++g) {
    const size_t last = g + 1 < starts.size() ? static_cast<size_t>(starts[g + 1]) - 1 : items.size() - 1;
    glutAddSubMenu((items[static_cast<size_t>(starts[g])] + " - " + items[last]).c_str(), groups[g]);
  }
  groups.insert(groups.begin(), top);
  return groups;
}

// Drops what the glue keeps for a window that freeglut is destroying, then tells the layer.
void on_close() {
  if (exiting) return;
  const int window = glutGetWindow();
  resized_windows.erase(window);
  if (auto found = menus_of_window.find(window); found != menus_of_window.end()) {
    if (!menu_open) {
      for (const int menu : found->second) glutDestroyMenu(menu);
    }
    menus_of_window.erase(found);
  }
  GLUI_Master.on_window_closed(window);
}

// Under X, Shift+Tab arrives as the key ISO_Left_Tab, which freeglut passes to no
// callback. Bound to the text "\t" on this program's connection (the X server's keymap is
// untouched), it reaches the keyboard function as Tab with Shift held. A binding matches
// the modifiers that the key did not use up, so Caps Lock and Num Lock get their own.
void deliver_shift_tab_as_tab() {
  static bool bound = false;
  Display* display = glXGetCurrentDisplay();
  if (bound || !display) return;
  bound = true;
  // Binding with modifiers looks their keys up while Xlib holds the connection's lock;
  // were the keyboard map not loaded yet, loading it would wait for that lock for ever.
  XKeysymToKeycode(display, XK_Tab);
  KeySym locks[] = {XK_Caps_Lock, XK_Num_Lock};
  const unsigned char tab[] = "\t";
  XRebindKeysym(display, XK_ISO_Left_Tab, nullptr, 0, tab, 1);
  XRebindKeysym(display, XK_ISO_Left_Tab, &locks[0], 1, tab, 1);
  XRebindKeysym(display, XK_ISO_Left_Tab, &locks[1], 1, tab, 1);
  XRebindKeysym(display, XK_ISO_Left_Tab, locks, 2, tab, 1);
}

// freeglut destroys a window that the window manager closes. By default it then ends the
// program; told to go on, it calls the window's close callback first. The widget layer
// decides what follows (a dialog is built anew, a main window's close ends the loop).
void install_close_callback() {
  static bool continue_on_close = false;
  if (!continue_on_close) {
    glutSetOption(GLUT_ACTION_ON_WINDOW_CLOSE, GLUT_ACTION_CONTINUE_EXECUTION);
    std::atexit([] { exiting = true; });
    continue_on_close = true;
  }
  glutCloseFunc(on_close);
}

void install_window_callbacks() {
  deliver_shift_tab_as_tab();
  install_close_callback();
  glutDisplayFunc(on_display);
  glutReshapeFunc(on_reshape);
  glutMouseFunc(on_mouse);
  glutMotionFunc(on_motion);
  glutPassiveMotionFunc(on_passive_motion);
  glutKeyboardFunc(on_keyboard);
  glutSpecialFunc(on_special);
}

// Whether freeglut still runs. When a window is closed through the window manager,
// freeglut shuts itself down and then calls exit, so the program's exit handlers (which
// close and delete GLUI windows) run after it; every window-system call then does
// nothing, as the windows are gone with it.
bool glut_running() { return glutGet(GLUT_INIT_STATE) != 0; }

// Runs f with window current, then makes the previous window current again.
template <class F>
void with_window(int window, F f) {
  if (!glut_running()) return;
  const int previous = glutGetWindow();
  if (previous != window) glutSetWindow(window);
  f();
  if (previous && previous != window) glutSetWindow(previous);
}

class GlutPlatform : public GLUI_Platform {
 public:
  int create_subwindow(int parent, int x, int y, int w, int h) override {
    const int previous = glutGetWindow();
    const int mode = glutGet(GLUT_INIT_DISPLAY_MODE);
    glutInitDisplayMode(GLUT_RGB | GLUT_DOUBLE);
    const int window = glutCreateSubWindow(parent, x, y, w, h);
    glutInitDisplayMode(static_cast<unsigned>(mode));
    install_window_callbacks();
    if (previous) glutSetWindow(previous);
    return window;
  }

  int create_toplevel(const char* title, int x, int y, int w, int h) override {
    const int previous = glutGetWindow();
    const int mode = glutGet(GLUT_INIT_DISPLAY_MODE);
    const int init_x = glutGet(GLUT_INIT_WINDOW_X), init_y = glutGet(GLUT_INIT_WINDOW_Y);
    const int init_w = glutGet(GLUT_INIT_WINDOW_WIDTH), init_h = glutGet(GLUT_INIT_WINDOW_HEIGHT);
    glutInitDisplayMode(GLUT_RGB | GLUT_DOUBLE);
    glutInitWindowPosition(x, y);
    glutInitWindowSize(w, h);
    const int window = glutCreateWindow(title);
    install_window_callbacks();
    glutInitDisplayMode(static_cast<unsigned>(mode));
    glutInitWindowPosition(init_x, init_y);
    glutInitWindowSize(init_w, init_h);
    if (previous) glutSetWindow(previous);
    return window;
  }

  // A window the layer destroys itself is no close for the layer to handle.
  void destroy_window(int window) override {
    menus_of_window.erase(window);
    with_window(window, [] { glutCloseFunc(nullptr); });
    if (glut_running()) glutDestroyWindow(window);
  }

  int current_window() override { return glut_running() ? glutGetWindow() : 0; }
  void set_current_window(int window) override {
    if (glut_running()) glutSetWindow(window);
  }

  void window_size(int window, int* w, int* h) override {
    *w = *h = 0;
    with_window(window, [&] {
      *w = glutGet(GLUT_WINDOW_WIDTH);
      *h = glutGet(GLUT_WINDOW_HEIGHT);
    });
  }

  void reshape_window(int window, int w, int h) override {
    with_window(window, [&] { glutReshapeWindow(w, h); });
  }

  void position_window(int window, int x, int y) override {
    with_window(window, [&] { glutPositionWindow(x, y); });
  }

  bool window_frame(int window, int* x, int* y, int* w, int* h) override {
    *x = *y = *w = *h = 0;
    Display* display = glut_running() ? glXGetCurrentDisplay() : nullptr;
    if (!display) return false;
    // The frame is the ancestor that is a child of the root window.
    Window frame = x_window_of(window), root = 0, parent = 0, *children = nullptr;
    unsigned count = 0;
    while (XQueryTree(display, frame, &root, &parent, &children, &count)) {
      if (children) XFree(children);
      if (parent == root || parent == 0) break;
      frame = parent;
    }
    XWindowAttributes attributes;
    if (!XGetWindowAttributes(display, frame, &attributes)) return false;
    *x = attributes.x;
    *y = attributes.y;
    *w = attributes.width + 2 * attributes.border_width;
    *h = attributes.height + 2 * attributes.border_width;
    return attributes.map_state == IsViewable;
  }

  void screen_size(int* w, int* h) override {
    *w = glut_running() ? glutGet(GLUT_SCREEN_WIDTH) : 0;
    *h = glut_running() ? glutGet(GLUT_SCREEN_HEIGHT) : 0;
  }

  void give_keyboard_focus(int window) override {
    if (!glut_running()) return;
    keyboard_window = window;
    focus_keyboard_window();
  }

  void show_window(int window) override { with_window(window, [] { glutShowWindow(); }); }

  // freeglut maps a top-level window as it creates it and hides a window only on its main
  // loop's next turn, which may come after every other window has been drawn: a dialog made
  // and hidden at start would show on the screen, empty, until then. So a top-level window
  // is also withdrawn here and now, and the X server has done so when this returns.
  void hide_window(int window) override {
    with_window(window, [] {
      glutHideWindow();
      Display* display = glXGetCurrentDisplay();
      if (!display || glutGet(GLUT_WINDOW_PARENT) != 0) return;
      XWithdrawWindow(display, glXGetCurrentDrawable(), DefaultScreen(display));
      XSync(display, False);
    });
  }
  void post_redisplay(int window) override {
    if (glut_running()) glutPostWindowRedisplay(window);
  }

  void draw_window_now(int window) override {
    with_window(window, [] {
      on_display();
      glFinish();
      if (Display* display = glXGetCurrentDisplay()) XFlush(display);
    });
  }

  void install_main_handler(Handler handler) override {
    install_close_callback();
    switch (handler) {
      case Handler::reshape: glutReshapeFunc(on_reshape); break;
      case Handler::keyboard: glutKeyboardFunc(on_keyboard); break;
      case Handler::special: glutSpecialFunc(on_special); break;
      case Handler::mouse: glutMouseFunc(on_mouse); break;
    }
  }

  void set_idle_handler(bool installed) override {
    if (glut_running()) glutIdleFunc(installed ? on_idle : nullptr);
  }

  void set_transient_for(int window, int owner) override {
    // A GLUT window's X window is the drawable of its context, current while it is.
    Window dialog = 0, owner_window = 0;
    with_window(window, [&] { dialog = glXGetCurrentDrawable(); });
    with_window(owner, [&] { owner_window = glXGetCurrentDrawable(); });
    if (Display* display = glXGetCurrentDisplay(); display && dialog && owner_window) {
      XSetTransientForHint(display, dialog, owner_window);
    }
  }

  void raise_window(int window) override { with_window(window, [] { glutPopWindow(); }); }

  void leave_main_loop() override {
    if (glut_running()) glutLeaveMainLoop();
  }

  void ring_bell() override {
    if (Display* display = glut_running() ? glXGetCurrentDisplay() : nullptr) {
      XBell(display, 0);
      XFlush(display);
    }
  }

  bool set_popup_menu(int window, const std::vector<std::string>* items) override {
    if (!glut_running()) return true;
    if (menu_open) return false;
    glutMenuStatusFunc(on_menu_status);
    with_window(window, [&] {
      if (auto found = menus_of_window.find(window); found != menus_of_window.end()) {
        glutDetachMenu(GLUT_LEFT_BUTTON);
        for (const int menu : found->second) glutDestroyMenu(menu);
        menus_of_window.erase(found);
      }
      if (!items) return;
      const std::vector<int> menus = make_menus(*items);
      glutSetMenu(menus.front());
      glutAttachMenu(GLUT_LEFT_BUTTON);
      menus_of_window[window] = menus;
    });
    return true;
  }
};

}  // namespace

GLUI_Platform& glui_default_platform() {
  static GlutPlatform platform;
  return platform;
}
