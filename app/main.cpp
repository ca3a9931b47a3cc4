// Kelvaro: an interactive viewer of the electrostatic field of point charges.

#include <X11/Xlib.h>

#include <cstdio>
#include <cstdlib>

#include "app/shell.h"
#include "common/whole_file.h"

namespace {

// The one start-up check the program makes before any window exists: the display can
// be opened. Without it the toolkit would fail later with a message of its own. The
// connection stays open for the life of the process: an X server with no other client
// (a bare Xvfb) resets when its last client leaves, and would refuse GLUT meanwhile.
bool initialiseApplicationFramework() {
    static Display* const display = XOpenDisplay(nullptr);
    return display != nullptr;
}

// The line after the fatal one: what failed, in the user's words.
void explainMissingDisplay() {
    const char* display = std::getenv("DISPLAY");
    if (display == nullptr || display[0] == '\0') {
        std::fputs("No X display could be opened: DISPLAY is not set.\n", stderr);
    } else {
        std::fprintf(stderr, "No X display could be opened at DISPLAY=%s.\n", display);
    }
}

}  // namespace

int main(int argc, char** argv) {
    // Ctrl+C, kill or a closed terminal while a model or picture is saved leaves no
    // temporary file behind.
    kelvaro::removeTemporaryFilesOnSignals();
    if (!initialiseApplicationFramework()) {
        std::fputs("Fatal Error: MFC initialization failed\n", stderr);
        explainMissingDisplay();
        std::fflush(stderr);
        return 1;
    }
    kelvaro::buildUserInterface(argc, argv);
}
