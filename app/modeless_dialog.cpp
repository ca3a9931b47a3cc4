#include "app/modeless_dialog.h"

#include <algorithm>

#include "app/shell.h"
#include "glui/glui.h"

namespace kelvaro {

namespace {
constexpr int gapBesideMainWindow = 8;
}  // namespace

ModelessDialog::ModelessDialog(const char* title, Action action, int firstDrop)
    : Dialog(title, action), firstDrop_(firstDrop) {}

bool ModelessDialog::show() {
    if (shown_) {
        window()->raise();
        return true;
    }
    place();
    window()->show();
    shown_ = true;
    return true;
}

bool ModelessDialog::hide() {
    if (!shown_) return false;
    int x = 0, y = 0, width = 0, height = 0;
    if (window()->frame(&x, &y, &width, &height)) {
        x_ = x;
        y_ = y;
        positionKnown_ = true;
    }
    window()->hide();
    shown_ = false;
    return true;
}

void ModelessDialog::place() {
    if (!positionKnown_) {
        int mainX = 0, mainY = 0, mainWidth = 0, mainHeight = 0, screenWidth = 0, screenHeight = 0;
        int x = 0, y = 0, width = 0, height = 0;
        GLUI_Master.get_screen_size(&screenWidth, &screenHeight);
        window()->frame(&x, &y, &width, &height);
        if (!GLUI_Master.get_window_frame(mainWindow, &mainX, &mainY, &mainWidth, &mainHeight)) return;
        // Right of the main window when it fits there, else left of it, else at the
        // screen's right edge.
        x_ = mainX + mainWidth + gapBesideMainWindow;
        if (x_ + width > screenWidth) x_ = mainX - gapBesideMainWindow - width;
        if (x_ < 0) x_ = std::max(screenWidth - width, 0);
        y_ = std::clamp(mainY + firstDrop_, 0, std::max(screenHeight - height, 0));
    }
    window()->place(x_, y_);
}

}  // namespace kelvaro
