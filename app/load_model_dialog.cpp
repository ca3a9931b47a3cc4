#include "app/load_model_dialog.h"

#include <string>

#include "app/edit_charges_dialog.h"
#include "app/file_search.h"
#include "app/scene_mouse.h"
#include "app/session.h"
#include "app/shell.h"
#include "app/visualisation_dialogs.h"
#include "glui/glui.h"

namespace kelvaro {

LoadModelDialog::LoadModelDialog(const char* title, Action action) : Dialog(title, action) {
    prompt_ = window()->add_statictext("Select a file from the list");
    fileList_ = window()->add_listbox("", nullptr, FileListId, fileDialogControl);
    secondPrompt_ = window()->add_statictext("Or enter name below");
    nameField_ = window()->add_edittext("", GLUI_EDITTEXT_TEXT, nullptr, NameFieldId, fileDialogControl);
    buttons_ = addButtonRow(OkId, CancelId, fileDialogControl);
}

int LoadModelDialog::fillFileList(const char* pattern) {
    if (pattern == nullptr || pattern[0] == '\0') pattern = "*.*";
    fileList_->add_item(0, "Click to see files");
    int nextId = 1;
    for (const std::string& name : findFiles(pattern)) fileList_->add_item(nextId++, name.c_str());
    return nextId;
}

void fileDialogControl(int id) {
    Dialog* owner = activeDialogOwning(id);
    if (owner == nullptr) return;
    switch (id) {
        case LoadModelDialog::FileListId: {
            auto* dialog = static_cast<LoadModelDialog*>(owner);
            const int item = dialog->fileList()->get_int_val();
            if (item > 0) dialog->nameField()->set_text(dialog->fileList()->get_item_ptr(item)->text);
            break;
        }
        case LoadModelDialog::OkId:
        case LoadModelDialog::CancelId:
            owner->runAction(id);
            break;
        default:
            break;
    }
}

void loadModelAction(Dialog* dialog, int id) {
    if (id == LoadModelDialog::OkId) {
        const std::string name = static_cast<LoadModelDialog*>(dialog)->nameField()->get_text();
        endSceneDrag();
        if (programSession->load(name) == LoadOutcome::Loaded) {
            fieldLinesDialog->setChargeCount(programSession->model()->chargeCount());
        }
        if (editChargesDialog && editChargesDialog->shown()) editChargesDialog->showCharges();
    }
    closeDialog(dialog);
}

}  // namespace kelvaro
