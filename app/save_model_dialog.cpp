#include "app/save_model_dialog.h"

#include <filesystem>

#include "app/messages.h"
#include "app/session.h"
#include "model/model_writer.h"
#include "glui/glui.h"

namespace kelvaro {

SaveModelDialog::SaveModelDialog(const char* title, Action action) : Dialog(title, action) {
    nameField_ = window()->add_edittext("File name", GLUI_EDITTEXT_TEXT, nullptr, NameFieldId, saveDialogControl);
    notice_ = window()->add_statictext("");
    buttons_ = addButtonRow(OkId, CancelId, saveDialogControl);
}

bool SaveModelDialog::show() {
    if (!Dialog::show()) return false;
    window()->set_focus(nameField_, true);
    return true;
}

bool SaveModelDialog::mayReplace(const std::string& name) {
    if (nameToReplace_ == name) return true;
    nameToReplace_ = name;
    notice_->set_text("That file exists: OK again replaces it.");
    return false;
}

void SaveModelDialog::forgetReplace() {
    nameToReplace_.clear();
    notice_->set_text("");
}

void saveDialogControl(int id) {
    Dialog* owner = activeDialogOwning(id);
    if (owner != nullptr && (id == SaveModelDialog::OkId || id == SaveModelDialog::CancelId)) owner->runAction(id);
}

namespace {

// Whether `name` names something that saving would replace (a folder is refused instead).
bool wouldReplace(const std::string& name) {
    namespace fs = std::filesystem;
    std::error_code ignored;
    const fs::file_status status = fs::symlink_status(name, ignored);
    return fs::exists(status) && !fs::is_directory(name, ignored);
}

void save(const std::string& name) {
    const Model* model = programSession->model();
    if (!model) {
        say("Could not save model: no model is loaded.\n");
    } else if (name.empty()) {
        say("Could not save model: no file name was given.\n");
    } else if (const std::string reason = saveModelFile(*model, name, programSession->leadingComments());
               reason.empty()) {
        say("Model saved as " + name + ".\n");
        std::error_code ignored;
        say("Saved in " + std::filesystem::absolute(name, ignored).string() + "\n", Echo::WindowOnly);
    } else {
        say("Could not save model " + name + ": " + reason + ".\n");
    }
}

}  // namespace

std::string modelFileName(const std::string& typed) {
    std::error_code ignored;
    if (typed.empty() || std::filesystem::path(typed).has_extension() || std::filesystem::is_directory(typed, ignored)) {
        return typed;  // a folder is refused as it is named
    }
    return typed + ".txt";
}

void saveModelAction(Dialog* dialog, int id) {
    auto& saveDialog = *static_cast<SaveModelDialog*>(dialog);
    if (id == SaveModelDialog::OkId) {
        const std::string name = modelFileName(saveDialog.nameField()->get_text());
        if (programSession->model() && !name.empty() && wouldReplace(name) && !saveDialog.mayReplace(name)) return;
        save(name);
    }
    saveDialog.forgetReplace();
    closeDialog(dialog);
}

}  // namespace kelvaro
