#include "app/dialog.h"

#include <string>

#include "app/panels.h"
#include "app/shell.h"
#include "glui/glui.h"

namespace kelvaro {

Dialog* activeDialog = nullptr;

Dialog::Dialog(const char* title, Action action) : window_(GLUI_Master.create_glui(title, 0, -1, -1)), action_(action) {
    window_->set_transient_for(mainWindow);
    // What the dialog's buttons change shows in the main window, and their callbacks run
    // with it current.
    window_->set_main_gfx_window(mainWindow);
    window_->hide();
}

Dialog::~Dialog() { window_->close(); }

bool Dialog::show() {
    if (activeDialog != nullptr) return false;
    // A number that the limits changed is told when OK uses it; one from an opening
    // before is no news.
    window_->for_each_control([](GLUI_Control* control) {
        if (auto* field = dynamic_cast<GLUI_EditText*>(control)) field->limited_text.clear();
    });
    window_->show();
    activeDialog = this;
    return true;
}

bool Dialog::hide() {
    if (activeDialog != this) return false;
    window_->hide();
    activeDialog = nullptr;
    return true;
}

void Dialog::runAction(int id) {
    if (action_ != nullptr) action_(this, id);
}

bool Dialog::owns(int id) const {
    bool found = false;
    window_->for_each_control([&](const GLUI_Control* control) { found = found || control->get_id() == id; });
    return found;
}

Dialog* activeDialogOwning(int id) { return activeDialog != nullptr && activeDialog->owns(id) ? activeDialog : nullptr; }

Dialog::ButtonRow Dialog::addButtonRow(int okId, int cancelId, void (*callback)(int id), const char* okLabel,
                                       const char* cancelLabel) {
    ButtonRow row{};
    row.panel = window_->add_panel("", GLUI_PANEL_NONE);
    row.ok = window_->add_button_to_panel(row.panel, okLabel, okId, callback);
    window_->add_column_to_panel(row.panel, false);
    row.cancel = window_->add_button_to_panel(row.panel, cancelLabel, cancelId, callback);
    window_->set_enter_button(row.ok);
    window_->set_escape_button(row.cancel);
    // Closing the window from its title bar is the same as Cancel; the widget layer builds
    // the window anew, so the dialog opens again as before.
    window_->set_close_callback(callback, cancelId);
    return row;
}

void setNumberedItems(GLUI_Listbox& list, int listed, int wanted) {
    for (int i = listed; i < wanted; ++i) list.add_item(i, std::to_string(i + 1).c_str());
    for (int i = listed - 1; i >= wanted; --i) list.delete_item(i);
}

void raiseActiveDialog() {
    if (activeDialog != nullptr) activeDialog->window()->raise();
}

void closeDialog(Dialog* dialog) {
    dialog->hide();
    enablePanels();
}

}  // namespace kelvaro
