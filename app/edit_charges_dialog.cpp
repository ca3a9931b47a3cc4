#include "app/edit_charges_dialog.h"

#include <algorithm>
#include <vector>

#include "app/busy_cursor.h"
#include "app/explore_commands.h"
#include "app/messages.h"
#include "app/scene_mouse.h"
#include "app/session.h"
#include "app/shell.h"
#include "glui/glui.h"

namespace kelvaro {

EditChargesDialog::EditChargesDialog(const char* title) : Dialog(title, editChargesAction) {
    chargeList_ = window()->add_listbox("Charge #", nullptr, ChargeListId, editChargesControl);
    const char* const labels[] = {"Value", "X", "Y", "Z"};
    for (int i = 0; i < 4; ++i) {
        fields_[i] = window()->add_edittext(labels[i], GLUI_EDITTEXT_TEXT, nullptr, ValueFieldId + i, nullptr);
    }
    chargeButtons_ = window()->add_panel("", GLUI_PANEL_NONE);
    window()->add_button_to_panel(chargeButtons_, "Add Charge", AddId, editChargesControl);
    window()->add_column_to_panel(chargeButtons_, false);
    window()->add_button_to_panel(chargeButtons_, "Delete Charge", DeleteId, editChargesControl);
    buttons_ = addButtonRow(ApplyId, CloseId, editChargesControl, "Apply", "Close");
}

bool EditChargesDialog::show() {
    if (shown_) {
        window()->raise();
    } else {
        window()->show();
        shown_ = true;
        showCharges();
    }
    focusValue();
    return true;
}

bool EditChargesDialog::hide() {
    if (!shown_) return false;
    window()->hide();
    shown_ = false;
    return true;
}

void EditChargesDialog::showCharges(std::optional<int> chosen) {
    const Model* model = programSession->model();
    const int count = model ? model->chargeCount() : 0;
    const int previous = chargeList_->get_int_val();
    setNumberedItems(*chargeList_, listedCharges_, count);
    listedCharges_ = count;
    if (count == 0) {
        for (GLUI_EditText* field : fields_) field->set_text("");
        return;
    }
    const int index = std::min(chosen.value_or(previous), count - 1);
    chargeList_->set_int_val(index);
    const ChargeTexts texts = chargeTexts(model->charges()[static_cast<std::size_t>(index)]);
    fields_[0]->set_text(texts.value.c_str());
    fields_[1]->set_text(texts.x.c_str());
    fields_[2]->set_text(texts.y.c_str());
    fields_[3]->set_text(texts.z.c_str());
}

std::optional<int> EditChargesDialog::chosenCharge() const {
    if (listedCharges_ == 0) return std::nullopt;
    return chargeList_->get_int_val();
}

ChargeTexts EditChargesDialog::typedTexts() const {
    return {fields_[0]->get_text(), fields_[1]->get_text(), fields_[2]->get_text(), fields_[3]->get_text()};
}

void EditChargesDialog::focusValue() {
    // Leaving the field first, so that coming back selects its text even when it had the focus.
    window()->set_focus(nullptr, false);
    window()->set_focus(fields_[0], true);
}

void editChargesControl(int id) {
    EditChargesDialog* dialog = editChargesDialog.get();
    if (dialog == nullptr || !dialog->shown() || !dialog->owns(id)) return;
    if (id == EditChargesDialog::ChargeListId) {
        dialog->showCharges();
    } else {
        dialog->runAction(id);
    }
}

namespace {

// Gives the model `charges` as one step of the history and shows charge `chosen`.
void changeCharges(EditChargesDialog& dialog, const std::vector<Charge>& charges, int chosen) {
    endSceneDrag();
    {
        const BusyCursor busy;
        programSession->editCharges(charges);
    }
    showModelChange();
    dialog.showCharges(chosen);
}

// Makes the edit when it is allowed (and shows charge `chosen` after it), or says why not.
void change(EditChargesDialog& dialog, const ChargeEdit& edit, int chosen) {
    if (!edit.charges) {
        say(edit.refusal);
        return;
    }
    changeCharges(dialog, *edit.charges, chosen);
}

void applyTypedCharge(EditChargesDialog& dialog) {
    const std::optional<int> chosen = dialog.chosenCharge();
    change(dialog, chargesWithTyped(*programSession->model(), chosen, dialog.typedTexts()), chosen.value_or(0));
}

void addCharge(EditChargesDialog& dialog) {
    const ChargeEdit edit = chargesWithNew(*programSession->model());
    change(dialog, edit, edit.charges ? static_cast<int>(edit.charges->size()) - 1 : 0);
    if (edit.charges) dialog.focusValue();
}

void deleteCharge(EditChargesDialog& dialog) {
    const std::optional<int> chosen = dialog.chosenCharge();
    change(dialog, chargesWithout(*programSession->model(), chosen), chosen.value_or(0));
}

}  // namespace

void editChargesAction(Dialog* dialog, int id) {
    auto& edit = *static_cast<EditChargesDialog*>(dialog);
    if (id == EditChargesDialog::CloseId) {
        edit.hide();
        return;
    }
    if (!programSession->model()) {
        say("No model is loaded.\n");
        return;
    }
    switch (id) {
        case EditChargesDialog::ApplyId: applyTypedCharge(edit); break;
        case EditChargesDialog::AddId: addCharge(edit); break;
        case EditChargesDialog::DeleteId: deleteCharge(edit); break;
        default: break;
    }
}

}  // namespace kelvaro
