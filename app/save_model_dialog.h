#pragma once
// The "Save Model As" dialog: a file name, OK and Cancel. OK writes the current model as
// a model file; a name that exists is replaced only after a second OK on the same name,
// the dialog saying so first.

#include <string>

#include "app/dialog.h"

class GLUI_EditText;
class GLUI_StaticText;

namespace kelvaro {

class SaveModelDialog : public Dialog {
public:
    enum ControlId { NameFieldId = 2600, OkId = 2602, CancelId = 2603 };

    SaveModelDialog(const char* title, Action action);

    // Shows the dialog as Dialog::show does, with the focus in the name field and its text
    // selected.
    bool show() override;

    GLUI_EditText* nameField() const { return nameField_; }
    GLUI_StaticText* notice() const { return notice_; }
    // Whether OK may replace the existing file `name`: on the first OK on that name the
    // dialog says that the file exists and answers false; the next OK on it answers true.
    bool mayReplace(const std::string& name);
    // Forgets the name that OK was about to replace, and the notice.
    void forgetReplace();

private:
    GLUI_EditText* nameField_;
    GLUI_StaticText* notice_;
    ButtonRow buttons_;
    std::string nameToReplace_;
};

// Callback of the dialog's controls: OK and Cancel run the active dialog's action.
void saveDialogControl(int id);

// OK: saves the current model under the typed name, with ".txt" added to a name without
// an extension ("Model saved as <name>." or "Could not save model <name>: <reason>."), or
// asks first when the name exists. The saved file keeps the comment lines at the head of
// the file the model was loaded from. OK and Cancel then hide the dialog and enable the
// panels.
void saveModelAction(Dialog* dialog, int id);

// The name a model is saved under when `typed` is typed: ".txt" added when it has no
// extension (and names no folder), so that the load dialog lists the file.
std::string modelFileName(const std::string& typed);

}  // namespace kelvaro
