#include <X11/Xlib.h>
#include <X11/Xutil.h>

#include <chrono>
#include <stdexcept>
#include <thread>

#include "tests/support/e2e/e2e_harness.h"

namespace e2e {

struct XDisplay::Impl {
  Display* display = nullptr;
  bool auto_repeat_was_on = false;
};

namespace {

bool viewable(Display* display, Window window) {
  XWindowAttributes attributes;
  return XGetWindowAttributes(display, window, &attributes) && attributes.map_state == IsViewable;
}

// Searches the window tree below `under` for a window named title, a viewable one if
// `shown_only`.
Window find_named(Display* display, Window under, const std::string& title, bool shown_only) {
  char* name = nullptr;
  if (XFetchName(display, under, &name) && name) {
    const bool match = title == name && (!shown_only || viewable(display, under));
    XFree(name);
    if (match) return under;
  }
  Window root, parent, *children = nullptr;
  unsigned int count = 0;
  if (!XQueryTree(display, under, &root, &parent, &children, &count)) return 0;
  Window found = 0;
  for (unsigned int i = 0; i < count && !found; ++i) {
    found = find_named(display, children[i], title, shown_only);
  }
  if (children) XFree(children);
  return found;
}

// Every viewable window named title below `under`, in the order of the tree (a parent's
// children bottom of the stack first).
void find_all_shown(Display* display, Window under, const std::string& title, std::vector<WindowId>& found) {
  char* name = nullptr;
  if (XFetchName(display, under, &name) && name) {
    if (title == name && viewable(display, under)) found.push_back(under);
    XFree(name);
  }
  Window root, parent, *children = nullptr;
  unsigned int count = 0;
  if (!XQueryTree(display, under, &root, &parent, &children, &count)) return;
  for (unsigned int i = 0; i < count; ++i) find_all_shown(display, children[i], title, found);
  if (children) XFree(children);
}

// Xlib's default handler ends the process on errors such as a window that vanished
// while it was being looked at; the harness answers "not found" instead.
int ignore_x_error(Display*, XErrorEvent*) { return 0; }

}  // namespace

// Xvfb resets itself when its last client leaves and refuses connections meanwhile, so
// a test that starts right after another may need a few tries.
XDisplay::XDisplay() : impl_(new Impl) {
  const auto start = std::chrono::steady_clock::now();
  while (!(impl_->display = XOpenDisplay(nullptr)) &&
         std::chrono::steady_clock::now() - start < std::chrono::seconds(5)) {
    std::this_thread::sleep_for(std::chrono::milliseconds(50));
  }
  if (!impl_->display) {
    delete impl_;
    throw std::runtime_error("cannot open the X display (is DISPLAY set?)");
  }
  XSetErrorHandler(ignore_x_error);
  // A key whose release reaches a busy server late would repeat ("diipole.txt"): no key
  // the tests press is meant to repeat, so the server repeats none while this connection
  // lives.
  XKeyboardState keyboard;
  XGetKeyboardControl(impl_->display, &keyboard);
  impl_->auto_repeat_was_on = keyboard.global_auto_repeat == AutoRepeatModeOn;
  XAutoRepeatOff(impl_->display);
  XSync(impl_->display, False);
}

XDisplay::~XDisplay() {
  if (impl_->auto_repeat_was_on) XAutoRepeatOn(impl_->display);
  XCloseDisplay(impl_->display);
  delete impl_;
}

WindowId XDisplay::wait_for_window(const std::string& title, double timeout_seconds) {
  Window found = 0;
  wait_until([&] { return (found = find_named(impl_->display, DefaultRootWindow(impl_->display), title, false)); },
             timeout_seconds);
  return found;
}

WindowId XDisplay::wait_for_shown_window(const std::string& title, double timeout_seconds) {
  Window found = 0;
  wait_until([&] { return (found = find_named(impl_->display, DefaultRootWindow(impl_->display), title, true)); },
             timeout_seconds);
  return found;
}

std::vector<WindowId> XDisplay::shown_windows(const std::string& title) {
  std::vector<WindowId> found;
  find_all_shown(impl_->display, DefaultRootWindow(impl_->display), title, found);
  return found;
}

void XDisplay::request_close(WindowId window) {
  XEvent event{};
  event.xclient.type = ClientMessage;
  event.xclient.window = window;
  event.xclient.message_type = XInternAtom(impl_->display, "WM_PROTOCOLS", False);
  event.xclient.format = 32;
  event.xclient.data.l[0] = static_cast<long>(XInternAtom(impl_->display, "WM_DELETE_WINDOW", False));
  event.xclient.data.l[1] = CurrentTime;
  XSendEvent(impl_->display, window, False, NoEventMask, &event);
  XFlush(impl_->display);
}

bool XDisplay::is_viewable(WindowId window) { return viewable(impl_->display, window); }

bool XDisplay::wait_until_viewable(WindowId window, bool shown, double timeout_seconds) {
  return wait_until([&] { return is_viewable(window) == shown; }, timeout_seconds);
}

std::vector<WindowId> XDisplay::children(WindowId window) {
  Window root, parent, *list = nullptr;
  unsigned int count = 0;
  std::vector<WindowId> found;
  if (!XQueryTree(impl_->display, window, &root, &parent, &list, &count)) return found;
  found.assign(list, list + count);
  if (list) XFree(list);
  return found;
}

WindowId XDisplay::transient_for(WindowId window) {
  Window owner = 0;
  return XGetTransientForHint(impl_->display, window, &owner) ? owner : 0;
}

WindowId XDisplay::top_level(WindowId window) {
  while (true) {
    Window root, parent, *list = nullptr;
    unsigned int count = 0;
    if (!XQueryTree(impl_->display, window, &root, &parent, &list, &count)) return 0;
    if (list) XFree(list);
    if (parent == root) return window;
    window = parent;
  }
}

bool XDisplay::is_above(WindowId a, WindowId b) {
  const WindowId top_a = top_level(a), top_b = top_level(b);
  int index_a = -1, index_b = -1, index = 0;
  for (WindowId child : children(DefaultRootWindow(impl_->display))) {
    if (child == top_a) index_a = index;
    if (child == top_b) index_b = index;
    ++index;
  }
  return index_a >= 0 && index_b >= 0 && index_a > index_b;
}

bool XDisplay::window_manager_running() {
  Display* display = impl_->display;
  Atom type = None;
  int format = 0;
  unsigned long count = 0, after = 0;
  unsigned char* data = nullptr;
  const Atom check = XInternAtom(display, "_NET_SUPPORTING_WM_CHECK", False);
  const bool found = XGetWindowProperty(display, DefaultRootWindow(display), check, 0, 1, False,
                                        AnyPropertyType, &type, &format, &count, &after,
                                        &data) == Success &&
                     count == 1;
  if (data) XFree(data);
  return found;
}

bool XDisplay::geometry(WindowId window, int* screen_x, int* screen_y, int* width, int* height) {
  XWindowAttributes attributes;
  if (!XGetWindowAttributes(impl_->display, window, &attributes)) return false;
  Window child;
  XTranslateCoordinates(impl_->display, window, DefaultRootWindow(impl_->display), 0, 0, screen_x,
                        screen_y, &child);
  *width = attributes.width;
  *height = attributes.height;
  return true;
}

Image XDisplay::capture(WindowId window) {
  int x, y, w, h;
  if (!geometry(window, &x, &y, &w, &h)) return Image();
  Display* display = impl_->display;
  const Window root = DefaultRootWindow(display);
  XWindowAttributes root_attributes;
  XGetWindowAttributes(display, root, &root_attributes);
  // Clip to the screen.
  const int x0 = std::max(x, 0), y0 = std::max(y, 0);
  const int x1 = std::min(x + w, root_attributes.width), y1 = std::min(y + h, root_attributes.height);
  if (x1 <= x0 || y1 <= y0) return Image();
  XImage* shot = XGetImage(display, root, x0, y0, static_cast<unsigned>(x1 - x0),
                           static_cast<unsigned>(y1 - y0), AllPlanes, ZPixmap);
  if (!shot) return Image();
  Image image(w, h);
  auto channel = [](unsigned long pixel, unsigned long mask) {
    int shift = 0;
    while (mask && !(mask & 1)) {
      mask >>= 1;
      ++shift;
    }
    return static_cast<std::uint8_t>(((pixel >> shift) & mask) * 255 / (mask ? mask : 1));
  };
  for (int row = 0; row < y1 - y0; ++row) {
    for (int col = 0; col < x1 - x0; ++col) {
      const unsigned long pixel = XGetPixel(shot, col, row);
      image.set(col + x0 - x, row + y0 - y,
                Pixel{channel(pixel, shot->red_mask), channel(pixel, shot->green_mask),
                      channel(pixel, shot->blue_mask)});
    }
  }
  XDestroyImage(shot);
  return image;
}

// A capture costs the server and this process a lot of time that the program being
// watched may need: a look every 100 ms or so.
Image XDisplay::capture_when(WindowId window, const std::function<bool(const Image&)>& shows,
                             double timeout_seconds) {
  Image image;
  wait_until(
      [&] {
        if (shows(image = capture(window))) return true;
        pause(0.08);
        return false;
      },
      timeout_seconds);
  return image;
}

}  // namespace e2e
