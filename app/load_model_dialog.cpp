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
    pattern_ = pattern == nullptr || pattern[0] == '\0' ? "*.*" : pattern;
    for (int id = listed_ - 1; id >= 0; --id) fileList_->delete_item(id);
    fileList_->add_item(0, "Click to see files");
    int nextId = 1;
    for (const std::string& name : findFiles(pattern_.c_str())) fileList_->add_item(nextId++, name.c_str());
    listed_ = nextId;
    return nextId;
}

bool LoadModelDialog::show() {
    if (!Dialog::show()) return false;
    if (!pattern_.empty()) fillFileList(pattern_.c_str());
    return true;
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
    if (id == LoadModelDialog::OkId) loadModelFile(static_cast<LoadModelDialog*>(dialog)->nameField()->get_text());
    closeDialog(dialog);
}

void loadModelFile(const std::string& name) {
    endSceneDrag();
    if (programSession->load(name) == LoadOutcome::Loaded) {
        fieldLinesDialog->setChargeCount(programSession->model()->chargeCount());
    }
    if (editChargesDialog && editChargesDialog->shown()) editChargesDialog->showCharges();
}

}  // namespace kelvaro
