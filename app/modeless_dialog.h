#pragma once
// A dialog that stays open beside the panels while the user works: it is never the active
// dialog and disables nothing. Showing it shows it, or raises it when it is shown already;
// its Close hides it. The first time it opens beside the main window, so that the scene
// stays in view, and later where the user left it.

#include "app/dialog.h"

namespace kelvaro {

class ModelessDialog : public Dialog {
public:
    // `firstDrop`: how far below the main window's top the dialog first opens (dialogs
    // that stand beside the window together open one below the other).
    ModelessDialog(const char* title, Action action, int firstDrop);

    // Shows (or raises) the window; answers true.
    bool show() override;
    // Hides the window, noting where it stood; false when it was hidden.
    bool hide() override;
    bool shown() const { return shown_; }

private:
    // Where the window opens: beside the main window on the screen's side that has room,
    // the first time; where it stood when it was hidden, afterwards.
    void place();

    int firstDrop_;
    bool shown_ = false;
    bool positionKnown_ = false;
    int x_ = 0, y_ = 0;
};

}  // namespace kelvaro
