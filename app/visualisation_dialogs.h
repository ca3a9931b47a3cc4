#pragma once
// The three dialogs that add a visualisation of the current model to the scene: field
// lines, hedgehog lines and an equipotential surface.

#include "app/dialog.h"
#include "viz/visualisation_request.h"

class GLUI_Checkbox;
class GLUI_EditText;
class GLUI_Listbox;

namespace kelvaro {

class FieldLinesDialog : public Dialog {
public:
    enum ControlId { LinesFieldId = 2100, ChargeListId = 2101, OkId = 2102, CancelId = 2103, TracerListId = 2104,
                     ProportionalBoxId = 2110, StrengthBoxId = 2111 };

    FieldLinesDialog(const char* title, Action action);

    // Shows the dialog as Dialog::show does, its tracer list set to the look's default: the
    // program's own (Euler steps) in the window's look, Accurate in the teaching style.
    bool show() override;

    // Makes the charge list hold exactly the items with ids 0 to n - 1, shown as the
    // charge numbers 1 to n; items are added or removed at the end only.
    void setChargeCount(int n);

    // The field lines that the controls ask for: their number a charge, their tracer, and
    // whether they are in proportion to charge and coloured by strength.
    VisualisationRequest request() const;

    GLUI_EditText* linesField() const { return linesField_; }
    GLUI_Listbox* chargeList() const { return chargeList_; }
    // The tracer: item 0 the program's own (Euler steps), item 1 Accurate.
    GLUI_Listbox* tracerList() const { return tracerList_; }
    int listedCharges() const { return listedCharges_; }
    // "In proportion to charge": the number is that of the largest charge.
    GLUI_Checkbox* proportionalBox() const { return proportionalBox_; }
    GLUI_Checkbox* strengthBox() const { return strengthBox_; }

private:
    GLUI_EditText* linesField_;
    GLUI_Listbox* chargeList_;
    GLUI_Listbox* tracerList_;
    GLUI_Checkbox* proportionalBox_;
    GLUI_Checkbox* strengthBox_;
    ButtonRow buttons_;
    int listedCharges_ = 0;
};

class HedgehogDialog : public Dialog {
public:
    enum ControlId { CountFieldId = 2200, OkId = 2202, CancelId = 2203, StrengthBoxId = 2210 };

    HedgehogDialog(const char* title, Action action);

    GLUI_EditText* countField() const { return countField_; }
    GLUI_Checkbox* strengthBox() const { return strengthBox_; }
    // The hedgehog the controls ask for.
    VisualisationRequest request() const;

private:
    GLUI_EditText* countField_;
    GLUI_Checkbox* strengthBox_;
    ButtonRow buttons_;
};

class PotentialSurfaceDialog : public Dialog {
public:
    enum ControlId { PotentialFieldId = 2300, DirectionListId = 2301, OkId = 2302, CancelId = 2303 };

    PotentialSurfaceDialog(const char* title, Action action);

    GLUI_EditText* potentialField() const { return potentialField_; }
    GLUI_Listbox* directionList() const { return directionList_; }

private:
    GLUI_EditText* potentialField_;
    GLUI_Listbox* directionList_;
    ButtonRow buttons_;
};

// Callback of the three dialogs' controls: OK and Cancel run the active dialog's action.
void dialogButtonControl(int id);

// OK builds and adds the visualisation (the dialog is drawn with OK released first, and
// the mouse cursor shows that the program is busy meanwhile); OK and Cancel then hide the
// dialog and enable the panels.
void addFieldLinesAction(Dialog* dialog, int id);
void addHedgehogAction(Dialog* dialog, int id);
void addPotentialAction(Dialog* dialog, int id);

}  // namespace kelvaro
