#pragma once
// The dialog windows: each is a hidden top-level GLUI window made once at start, shown
// by its command button and hidden again by its OK or Cancel. At most one is shown.

class GLUI;
class GLUI_Button;
class GLUI_Listbox;
class GLUI_Panel;

namespace kelvaro {

class Dialog {
public:
    // The action runs for the dialog's OK and Cancel, with the control id.
    using Action = void (*)(Dialog* dialog, int id);

    // Makes the window titled `title` at the default place, transient for the main window
    // (a window manager keeps it above), with the main window as the one its controls
    // redraw, and hides it.
    Dialog(const char* title, Action action);
    // Closes the window.
    virtual ~Dialog();
    Dialog(const Dialog&) = delete;
    Dialog& operator=(const Dialog&) = delete;

    // Shows the window and makes this the active dialog; false (nothing changes) while
    // another dialog is shown.
    virtual bool show();
    // Hides the window and clears the active dialog; false unless this one is active.
    virtual bool hide();
    // Calls the action, if there is one.
    virtual void runAction(int id);
    // Whether one of this dialog's controls has the id `id`.
    bool owns(int id) const;

    GLUI* window() const { return window_; }

protected:
    // The row of OK and Cancel side by side, in a frameless panel; Return clicks OK and
    // Esc clicks Cancel, and closing the window from its title bar acts as Cancel. Other
    // labels may stand in for "OK" and "Cancel" (Apply and Close).
    struct ButtonRow {
        GLUI_Panel* panel;
        GLUI_Button* ok;
        GLUI_Button* cancel;
    };
    ButtonRow addButtonRow(int okId, int cancelId, void (*callback)(int id), const char* okLabel = "OK",
                           const char* cancelLabel = "Cancel");

private:
    GLUI* window_;
    Action action_;
};

// The dialog now shown, or none.
extern Dialog* activeDialog;

// The active dialog when the control `id` is one of its own, otherwise none. A control
// callback acts only through it: a click can still reach a dialog that the program has
// already hidden (or not yet shown) when the X server is behind.
Dialog* activeDialogOwning(int id);

// Brings the shown dialog, if any, to the top: a click on the greyed panels or the scene
// finds the dialog that the user has to answer first.
void raiseActiveDialog();

// Makes a list that holds the items with ids 0 to `listed` - 1, shown as the numbers 1 to
// `listed`, hold those up to `wanted` instead; items are added or removed at the end only.
void setNumberedItems(GLUI_Listbox& list, int listed, int wanted);

// Hides the dialog that ran its action and enables the command and view panels again:
// the last step of every dialog action.
void closeDialog(Dialog* dialog);

}  // namespace kelvaro
