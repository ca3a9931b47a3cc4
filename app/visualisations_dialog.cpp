#include "app/visualisations_dialog.h"

#include <algorithm>
#include <string>

#include "app/busy_cursor.h"
#include "app/session.h"
#include "glui/glui.h"

namespace kelvaro {

VisualisationsDialog::VisualisationsDialog(const char* title, Action action) : Dialog(title, action) {
    list_ = window()->add_listbox("Visualisation", nullptr, ListId, visualisationsControl);
    visibilityButtons_ = window()->add_panel("", GLUI_PANEL_NONE);
    window()->add_button_to_panel(visibilityButtons_, "Hide", HideId, visualisationsControl);
    window()->add_column_to_panel(visibilityButtons_, false);
    window()->add_button_to_panel(visibilityButtons_, "Show", ShowId, visualisationsControl);
    buttons_ = addButtonRow(RemoveId, CloseId, visualisationsControl, "Remove", "Close");
    // Return removes nothing by accident.
    window()->set_enter_button(nullptr);
    showList();
}

bool VisualisationsDialog::show() {
    if (!Dialog::show()) return false;
    showList();
    return true;
}

void VisualisationsDialog::showList(int chosen) {
    const int previous = list_->get_int_val();
    for (int id = listed_; id >= 0; --id) list_->delete_item(id);
    const std::vector<Visualisation>& visualisations = programSession->visualisations();
    const int count = static_cast<int>(visualisations.size());
    listed_ = count;
    if (count == 0) {
        list_->add_item(0, "None");
        return;
    }
    for (int i = 0; i < count; ++i) {
        std::string text = std::to_string(i + 1) + ". " + describe(visualisations[i].request);
        if (visualisations[i].hidden) text += " (hidden)";
        list_->add_item(i + 1, text.c_str());
    }
    list_->set_int_val(std::clamp(chosen != 0 ? chosen : previous, 1, count));
}

void visualisationsControl(int id) {
    Dialog* owner = activeDialogOwning(id);
    if (owner != nullptr && id != VisualisationsDialog::ListId) owner->runAction(id);
}

void visualisationsAction(Dialog* dialog, int id) {
    auto& listDialog = *static_cast<VisualisationsDialog*>(dialog);
    if (id == VisualisationsDialog::CloseId) {
        closeDialog(dialog);
        return;
    }
    const int chosen = listDialog.list()->get_int_val();
    if (chosen == 0) return;  // nothing to choose
    const auto index = static_cast<std::size_t>(chosen - 1);
    {
        const BusyCursor busy;
        if (id == VisualisationsDialog::RemoveId) {
            programSession->removeVisualisation(index);
        } else {
            programSession->setHidden(index, id == VisualisationsDialog::HideId);
        }
    }
    listDialog.showList(chosen);
}

}  // namespace kelvaro
