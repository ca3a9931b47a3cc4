#pragma once
// The "Add Plane" dialog: a plane through the field normal to x, y or z at an offset (the
// box's centre when the dialog opens or its axis changes), with its equipotential lines
// (a number of levels, or the user's own potentials), field lines round the charges in
// it, and whether those are coloured by strength.

#include <memory>
#include <optional>
#include <string>

#include "app/dialog.h"
#include "viz/visualisation_request.h"

class GLUI_Checkbox;
class GLUI_EditText;
class GLUI_Listbox;

namespace kelvaro {

class PlaneDialog : public Dialog {
public:
    enum ControlId { AxisListId = 3100, OffsetFieldId = 3101, LevelsFieldId = 3102, PotentialsFieldId = 3103,
                     LinesFieldId = 3104, StrengthBoxId = 3105, OkId = 3106, CancelId = 3107 };

    PlaneDialog(const char* title, Action action);

    // Shows the dialog as Dialog::show does, with the offset at the centre of the current
    // model's box along the chosen axis.
    bool show() override;
    // Puts the middle of the current model's box along the chosen axis into "Offset".
    void showCentre();

    // The plane the controls describe; none, with the reason in `error`, when "Own
    // potentials" holds something that is not a list of finite numbers.
    std::optional<VisualisationRequest> request(std::string& error) const;

    GLUI_Listbox* axisList() const { return axisList_; }
    GLUI_EditText* offsetField() const { return offsetField_; }
    GLUI_EditText* levelsField() const { return levelsField_; }
    GLUI_EditText* potentialsField() const { return potentialsField_; }
    GLUI_EditText* linesField() const { return linesField_; }
    GLUI_Checkbox* strengthBox() const { return strengthBox_; }

private:
    GLUI_Listbox* axisList_;
    GLUI_EditText* offsetField_;
    GLUI_EditText* levelsField_;
    GLUI_EditText* potentialsField_;
    GLUI_EditText* linesField_;
    GLUI_Checkbox* strengthBox_;
    ButtonRow buttons_;
};

// The dialog made at start (next to the others) and deleted at exit.
extern std::unique_ptr<PlaneDialog> planeDialog;

// Callback of the dialog's controls: a new axis puts the box's centre along it into
// "Offset"; OK and Cancel run the dialog's action.
void planeDialogControl(int id);

// OK adds the plane (the busy cursor shows meanwhile) and closes the dialog; a plane that
// cannot be made (its offset outside the box, potentials that are not finite numbers) is
// told with its reason, and the dialog stays open to be mended. Cancel closes it.
void addPlaneAction(Dialog* dialog, int id);

}  // namespace kelvaro
