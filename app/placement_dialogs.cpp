#include "app/placement_dialogs.h"

#include <algorithm>
#include <optional>
#include <string>

#include "app/busy_cursor.h"
#include "app/messages.h"
#include "app/session.h"
#include "app/typed_charge.h"
#include "glui/glui.h"
#include "model/model_numbers.h"

namespace kelvaro {
namespace {

const char* const fieldNames[4] = {"X", "Y", "Z", "Radius"};

void placeAction(Dialog* dialog, int id, int okId) {
    if (id == okId) {
        const std::optional<VisualisationRequest> request = static_cast<PlacementDialog*>(dialog)->typedRequest();
        if (!request) return;  // the dialog stays open for a correction
        dialog->window()->draw_now();
        const BusyCursor busy;
        programSession->add(*request);
    }
    closeDialog(dialog);
}

std::string numberText(double value) { return modelNumberText(static_cast<float>(value)).value_or("0"); }

}  // namespace

PlacementDialog::PlacementDialog(const char* title, Action action, bool withRadius)
    : Dialog(title, action), withRadius_(withRadius) {
    const int first = withRadius ? GaussFirstId : ProbeFirstId;
    for (int i = 0; i < (withRadius ? 4 : 3); ++i) {
        fields_[i] = window()->add_edittext(fieldNames[i], GLUI_EDITTEXT_TEXT, nullptr, first + i, nullptr);
    }
    buttons_ = withRadius ? addButtonRow(GaussOkId, GaussCancelId, placementControl)
                          : addButtonRow(ProbeOkId, ProbeCancelId, placementControl);
}

bool PlacementDialog::show() {
    if (!Dialog::show()) return false;
    if (const Model* model = programSession->model(); model && std::string(fields_[0]->get_text()).empty()) {
        const ABox& box = model->bounds();
        const float low[3] = {box.min.x, box.min.y, box.min.z}, high[3] = {box.max.x, box.max.y, box.max.z};
        double shortest = high[0] - static_cast<double>(low[0]);
        for (int axis = 0; axis < 3; ++axis) {
            fields_[axis]->set_text(numberText((static_cast<double>(low[axis]) + high[axis]) / 2.0).c_str());
            shortest = std::min(shortest, high[axis] - static_cast<double>(low[axis]));
        }
        if (withRadius_) fields_[3]->set_text(numberText(shortest / 4.0).c_str());
    }
    window()->set_focus(nullptr, false);
    window()->set_focus(fields_[0], true);
    return true;
}

std::optional<VisualisationRequest> PlacementDialog::typedRequest() const {
    float numbers[4] = {};
    for (int i = 0; i < (withRadius_ ? 4 : 3); ++i) {
        std::string refusal;
        const std::optional<float> number = readTypedNumber(fieldNames[i], fields_[i]->get_text(), refusal);
        if (!number) {
            say(refusal);
            return std::nullopt;
        }
        numbers[i] = *number;
    }
    VisualisationRequest request{withRadius_ ? VisualisationRequest::Kind::GaussSphere : VisualisationRequest::Kind::Probe};
    request.point = {numbers[0], numbers[1], numbers[2]};
    request.radius = numbers[3];
    if (const Model* model = programSession->model()) {
        const std::string problem = requestProblem(request, *model);
        if (!problem.empty()) {
            say(problem);
            return std::nullopt;
        }
    }
    return request;
}

void placementControl(int id) {
    Dialog* owner = activeDialogOwning(id);
    if (owner == nullptr) return;
    switch (id) {
        case PlacementDialog::ProbeOkId:
        case PlacementDialog::ProbeCancelId:
        case PlacementDialog::GaussOkId:
        case PlacementDialog::GaussCancelId:
            owner->runAction(id);
            break;
        default:
            break;
    }
}

void placeProbeAction(Dialog* dialog, int id) { placeAction(dialog, id, PlacementDialog::ProbeOkId); }

void addGaussSphereAction(Dialog* dialog, int id) { placeAction(dialog, id, PlacementDialog::GaussOkId); }

}  // namespace kelvaro
