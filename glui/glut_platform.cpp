// The freeglut side of the widget layer: windows, GLUT callbacks routed to
// GLUI_Master, drawing through GlPainter, and the list boxes' pop-up menus.
#include <GL/freeglut.h>
#include <GL/glx.h>
#include <X11/Xutil.h>
#include <X11/keysym.h>

#include <cstdlib>
#include <cstring>
#include <map>
#include <set>

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

// ---- GLUT callbacks, shared by the main windows and the GLUI windows

void on_display() {
  const int window = glutGetWindow();
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

// ---- pop-up menus: one per window at most; freeglut forbids changing menus while one
// is open, so changes wait until it closes.

bool menu_open = false;
std::map<int, int> menu_of_window;

// freeglut draws a menu that opens once, right after giving its window the menu's size;
// Mesa may draw that first frame into a buffer of the window's old size, which leaves a
// black band at the top and cuts the list short, and freeglut draws again only when the
// highlighted item changes. So while a menu is open and not yet drawn whole, an Expose
// event sent to its window every few milliseconds has freeglut draw it again. Drawn whole,
// the menu's white top edge reaches its top-right corner.

int menu_openings = 0;  // a tick of an earlier opening finds the number changed
int menu_opened_at = 0;  // GLUT_ELAPSED_TIME

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

void on_menu_status(int status, int, int) {
  menu_open = status == GLUT_MENU_IN_USE;
  if (!menu_open) return;
  menu_opened_at = glutGet(GLUT_ELAPSED_TIME);
  glutTimerFunc(5, check_open_menu, ++menu_openings);
}

void on_menu_choice(int index) {
  const int menu = glutGetMenu();
  for (const auto& [window, window_menu] : menu_of_window) {
    if (window_menu == menu) GLUI_Master.on_menu_choice(window, index);
  }
}

// Drops what the glue keeps for a window that freeglut is destroying, then tells the layer.
void on_close() {
  if (exiting) return;
  const int window = glutGetWindow();
  resized_windows.erase(window);
  if (auto found = menu_of_window.find(window); found != menu_of_window.end()) {
    if (!menu_open) glutDestroyMenu(found->second);
    menu_of_window.erase(found);
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
    menu_of_window.erase(window);
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

  void install_idle_handler() override { glutIdleFunc(on_idle); }

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
      if (auto found = menu_of_window.find(window); found != menu_of_window.end()) {
        glutDetachMenu(GLUT_LEFT_BUTTON);
        glutDestroyMenu(found->second);
        menu_of_window.erase(found);
      }
      if (!items) return;
      const int menu = glutCreateMenu(on_menu_choice);
      for (size_t i = 0; i < items->size(); ++i) {
        glutAddMenuEntry((*items)[i].c_str(), static_cast<int>(i));
      }
      glutAttachMenu(GLUT_LEFT_BUTTON);
      menu_of_window[window] = menu;
    });
    return true;
  }
};

}  // namespace

GLUI_Platform& glui_default_platform() {
  static GlutPlatform platform;
  return platform;
}
