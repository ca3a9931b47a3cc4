#pragma once
// The two dialogs of the Explore panel that place something at a point the user types:
// "Probe..." (X, Y, Z) places a probe, "Add Gauss Surface..." (X, Y, Z of the centre and a
// Radius) adds a Gauss sphere. Numbers are read as a model file reads them.

#include <optional>

#include "app/dialog.h"
#include "viz/visualisation_request.h"

class GLUI_EditText;

namespace kelvaro {

class PlacementDialog : public Dialog {
public:
    // The controls' ids: the first of four (probe) or five (Gauss sphere) fields, then OK and Cancel.
    enum ControlId { ProbeFirstId = 2800, ProbeOkId = 2803, ProbeCancelId = 2804,
                     GaussFirstId = 2900, GaussOkId = 2904, GaussCancelId = 2905 };

    // A probe's dialog, or with `withRadius` a Gauss sphere's.
    PlacementDialog(const char* title, Action action, bool withRadius);

    // Shows the dialog as Dialog::show does; fields that are empty get the centre of the
    // model's box (and a quarter of its shortest side for the radius), and the focus goes
    // to X with its text selected.
    bool show() override;

    // The probe or the sphere that the fields state, or none once the reason it cannot be
    // made has been said (a number that cannot be read, a probe outside the box or on a
    // charge, a radius not above 0).
    std::optional<VisualisationRequest> typedRequest() const;

    // The field that holds X (0), Y, Z or the radius (3).
    GLUI_EditText* field(int index) const { return fields_[index]; }
    bool withRadius() const { return withRadius_; }

private:
    bool withRadius_;
    GLUI_EditText* fields_[4] = {};
    ButtonRow buttons_;
};

// Callback of the dialogs' controls: OK and Cancel run the active dialog's action.
void placementControl(int id);

// OK reads the fields (typedRequest): what cannot be made is told on the message line and
// the dialog stays open; otherwise the probe or the sphere is added (and says what it
// reads) and the dialog closes, as on Cancel.
void placeProbeAction(Dialog* dialog, int id);
void addGaussSphereAction(Dialog* dialog, int id);

}  // namespace kelvaro
