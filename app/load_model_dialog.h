#pragma once
// The "Load Model File" dialog: a list of the model files in the folder, read again each
// time the dialog opens, a name field that the list fills in and the user may type into,
// and OK and Cancel.

#include <string>

#include "app/dialog.h"

class GLUI_EditText;
class GLUI_Listbox;
class GLUI_StaticText;

namespace kelvaro {

class LoadModelDialog : public Dialog {
public:
    enum ControlId { FileListId = 2000, NameFieldId = 2001, OkId = 2002, CancelId = 2003 };

    LoadModelDialog(const char* title, Action action);

    // Fills the file list with the names in the current directory that match `pattern`
    // ("*.*" when none or empty), after the item "Click to see files" (id 0); the files get
    // ids from 1. Answers the number of items in the list. The dialog fills it again with
    // the same pattern each time it opens, so that files saved meanwhile are listed.
    int fillFileList(const char* pattern);
    // Shows the dialog as Dialog::show does, its file list read again.
    bool show() override;

    GLUI_Listbox* fileList() const { return fileList_; }
    GLUI_EditText* nameField() const { return nameField_; }

private:
    GLUI_StaticText* prompt_;
    GLUI_Listbox* fileList_;
    GLUI_StaticText* secondPrompt_;
    GLUI_EditText* nameField_;
    ButtonRow buttons_;
    std::string pattern_;
    int listed_ = 0;  // items in the file list
};

// Callback of the load dialog's controls: the file list copies the chosen name into the
// name field; OK and Cancel run the action of the active dialog.
void fileDialogControl(int id);

// OK: loads the file named in the name field (loadModelFile). OK and Cancel: hides the
// dialog and enables the panels.
void loadModelAction(Dialog* dialog, int id);

// Loads the model file `name` as the load dialog's OK does: the session loads it (or says
// why not and keeps its model), and the field-lines dialog's charge list and the Edit
// Charges dialog show the model as it now is.
void loadModelFile(const std::string& name);

}  // namespace kelvaro
