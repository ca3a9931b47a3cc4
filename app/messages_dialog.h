#pragma once
// The "Messages" dialog: every line the program has said in this session, newest last,
// in a list that scrolls, and Close. It stays open beside the main window while the user
// works (a ModelessDialog) and shows each new message as it comes, scrolled to it unless
// the user scrolled back.

#include <cstddef>

#include "app/modeless_dialog.h"

class GLUI_List;

namespace kelvaro {

class MessagesDialog : public ModelessDialog {
public:
    enum ControlId { ListId = 2700, CloseId = 2701 };
    static constexpr int listWidth = 400;
    static constexpr int listRows = 24;

    explicit MessagesDialog(const char* title);

    // Shows the dialog (or raises it) with the log, the newest line in view, and the focus
    // in the list (its keys scroll it). Answers true.
    bool show() override;
    // Adds the lines said since the list was last filled (the list follows the log).
    void showNewLines();

    GLUI_List* list() const { return list_; }

private:
    // Fills the list with the log anew.
    void fill();

    GLUI_List* list_;
    std::size_t listedLines_ = 0;  // linesSaid() when the list was filled
};

// Callback of the dialog's Close (and of its title bar's close button).
void messagesControl(int id);

}  // namespace kelvaro
