#pragma once
// The "Visualisations" dialog: the visualisations added since the load, in words and in
// order, and Hide, Show, Remove and Close.

#include "app/dialog.h"

class GLUI_Listbox;

namespace kelvaro {

class VisualisationsDialog : public Dialog {
public:
    enum ControlId { ListId = 2500, HideId = 2501, ShowId = 2502, RemoveId = 2503, CloseId = 2504 };

    VisualisationsDialog(const char* title, Action action);

    // Shows the dialog as Dialog::show does, listing the visualisations.
    bool show() override;
    // Lists the visualisations ("1. Field lines, 20 per charge", with " (hidden)" after a
    // hidden one; item ids from 1) and chooses number `chosen` (from 1; 0 keeps the
    // choice), or the last one when there are fewer.
    void showList(int chosen = 0);

    GLUI_Listbox* list() const { return list_; }

private:
    GLUI_Listbox* list_;
    GLUI_Panel* visibilityButtons_;
    ButtonRow buttons_;
    int listed_ = 0;  // items in the list: ids 1 to listed_, or the single item 0 when there is nothing
};

// Callback of the dialog's controls: the buttons run the active dialog's action.
void visualisationsControl(int id);

// Hide and Show hide or show the chosen visualisation, Remove removes it (one step of the
// edit history); the dialog stays open for the next. Close hides it and enables the panels.
void visualisationsAction(Dialog* dialog, int id);

}  // namespace kelvaro
