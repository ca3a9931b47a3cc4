#pragma once
// The "Edit Charges" dialog: the charge list, the value and place of the chosen charge,
// and Apply, Add Charge, Delete Charge and Close. It stays open beside the main window
// while the user works in the scene (a ModelessDialog), and shows the charges as they are
// after every change.

#include <optional>

#include "app/modeless_dialog.h"
#include "app/typed_charge.h"

class GLUI_EditText;
class GLUI_Listbox;

namespace kelvaro {

class EditChargesDialog : public ModelessDialog {
public:
    enum ControlId { ChargeListId = 2400, ValueFieldId = 2401, XFieldId = 2402, YFieldId = 2403, ZFieldId = 2404,
                     AddId = 2405, DeleteId = 2406, ApplyId = 2407, CloseId = 2408 };

    explicit EditChargesDialog(const char* title);

    // Shows the charges of the current model, or raises the dialog when it is shown
    // already; either way the focus goes to "Value" with its text selected. Answers true.
    bool show() override;

    // Lists the current model's charges and shows the values of charge `chosen` (by
    // default the one chosen in the list), or of the last one when there are fewer.
    void showCharges(std::optional<int> chosen = std::nullopt);
    // The chosen charge (0 = the first), or none when the model has no charges.
    std::optional<int> chosenCharge() const;
    // What the four fields hold now, typed but not yet applied included.
    ChargeTexts typedTexts() const;
    // Moves the focus to "Value" and selects its text.
    void focusValue();

    GLUI_Listbox* chargeList() const { return chargeList_; }

private:
    GLUI_Listbox* chargeList_;
    GLUI_EditText* fields_[4];  // value, x, y, z
    GLUI_Panel* chargeButtons_;
    ButtonRow buttons_;
    int listedCharges_ = 0;
};

// Callback of the dialog's controls: the charge list shows the chosen charge; the buttons
// run the dialog's action. Nothing while the dialog is hidden.
void editChargesControl(int id);

// Apply gives the chosen charge the typed value and place, Add Charge adds a charge of 1
// at the box's centre and chooses it, Delete Charge deletes the chosen one, each as one
// step of the edit history; a refused edit prints its reason and changes nothing. Close
// hides the dialog.
void editChargesAction(Dialog* dialog, int id);

}  // namespace kelvaro
