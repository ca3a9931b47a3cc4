#include "app/busy_cursor.h"

#include <GL/freeglut.h>
#include <GL/glx.h>

#include "app/shell.h"

namespace kelvaro {
namespace {

// Sends queued requests (the cursor changes) to the X server now.
void flushDisplay() {
    if (Display* display = glXGetCurrentDisplay()) XFlush(display);
}

}  // namespace

BusyCursor::BusyCursor() {
    if (glutGet(GLUT_INIT_STATE) == 0) return;  // no windows (the dialogs' tests)
    const int current = glutGetWindow();
    for (int window : programWindows()) {
        glutSetWindow(window);
        saved_.emplace_back(window, glutGet(GLUT_WINDOW_CURSOR));
        glutSetCursor(GLUT_CURSOR_WAIT);
    }
    flushDisplay();
    if (current != 0) glutSetWindow(current);
}

BusyCursor::~BusyCursor() {
    if (saved_.empty()) return;
    const int current = glutGetWindow();
    for (const auto& [window, cursor] : saved_) {
        glutSetWindow(window);
        glutSetCursor(cursor);
    }
    flushDisplay();
    if (current != 0) glutSetWindow(current);
}

}  // namespace kelvaro
