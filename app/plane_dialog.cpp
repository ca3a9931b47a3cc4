#include "app/plane_dialog.h"

#include "app/busy_cursor.h"
#include "app/messages.h"
#include "app/session.h"
#include "glui/glui.h"
#include "viz/field_plane.h"
#include "viz/request_grammar.h"

namespace kelvaro {

std::unique_ptr<PlaneDialog> planeDialog;

PlaneDialog::PlaneDialog(const char* title, Action action) : Dialog(title, action) {
    axisList_ = window()->add_listbox("Normal to", nullptr, AxisListId, planeDialogControl);
    axisList_->add_item(0, "x");
    axisList_->add_item(1, "y");
    axisList_->add_item(2, "z");
    axisList_->set_int_val(2);
    offsetField_ = window()->add_edittext("Offset", GLUI_EDITTEXT_FLOAT, nullptr, OffsetFieldId, planeDialogControl);
    levelsField_ = window()->add_edittext("Levels", GLUI_EDITTEXT_INT, nullptr, LevelsFieldId, planeDialogControl);
    levelsField_->set_int_limits(0, maxPlaneLevels, GLUI_LIMIT_CLAMP);
    levelsField_->set_int_val(defaultPlaneLevels);
    potentialsField_ =
        window()->add_edittext("Own potentials", GLUI_EDITTEXT_TEXT, nullptr, PotentialsFieldId, planeDialogControl);
    linesField_ =
        window()->add_edittext("Field lines/charge", GLUI_EDITTEXT_INT, nullptr, LinesFieldId, planeDialogControl);
    linesField_->set_int_limits(0, maxPlaneLinesPerCharge, GLUI_LIMIT_CLAMP);
    strengthBox_ = window()->add_checkbox("Colour lines by strength", nullptr, StrengthBoxId, planeDialogControl);
    buttons_ = addButtonRow(OkId, CancelId, planeDialogControl);
}

bool PlaneDialog::show() {
    if (!Dialog::show()) return false;
    showCentre();
    return true;
}

void PlaneDialog::showCentre() {
    const Model* model = programSession->model();
    if (model == nullptr) return;
    FieldPlane plane;
    plane.axis = axisList_->get_int_val();
    offsetField_->set_float_val(planeLevel(*model, plane));
}

std::optional<VisualisationRequest> PlaneDialog::request(std::string& error) const {
    VisualisationRequest request{VisualisationRequest::Kind::Plane};
    request.plane.axis = axisList_->get_int_val();
    request.plane.offset = offsetField_->get_float_val();
    request.plane.levelCount = levelsField_->get_int_val();
    request.plane.linesPerCharge = linesField_->get_int_val();
    request.strengthColours = strengthBox_->get_int_val() != 0;
    const std::string potentials = potentialsField_->get_text();
    if (potentials.find_first_not_of(" \t") != std::string::npos) {
        const auto levels = parsePotentialList(potentials, error);
        if (!levels) return std::nullopt;
        request.plane.levels = *levels;
    }
    return request;
}

void planeDialogControl(int id) {
    Dialog* owner = activeDialogOwning(id);
    if (owner == nullptr) return;
    if (id == PlaneDialog::AxisListId) static_cast<PlaneDialog*>(owner)->showCentre();
    if (id == PlaneDialog::OkId || id == PlaneDialog::CancelId) owner->runAction(id);
}

void addPlaneAction(Dialog* dialog, int id) {
    if (id == PlaneDialog::OkId) {
        std::string error;
        const std::optional<VisualisationRequest> request = static_cast<PlaneDialog*>(dialog)->request(error);
        if (!request) {
            say("Own " + error + ".\n");
            return;  // open, to be mended
        }
        const Model* model = programSession->model();
        const std::string problem = model ? planeProblem(*model, request->plane) : std::string();
        if (!problem.empty()) {
            say(problem + "\n");
            return;
        }
        dialog->window()->draw_now();
        const BusyCursor busy;
        programSession->add(*request);
    }
    closeDialog(dialog);
}

}  // namespace kelvaro
