#include "app/visualisation_dialogs.h"

#include "app/busy_cursor.h"
#include "app/messages.h"
#include "app/session.h"
#include "app/shell.h"
#include "glui/glui.h"
#include "viz/request_grammar.h"

namespace kelvaro {

FieldLinesDialog::FieldLinesDialog(const char* title, Action action) : Dialog(title, action) {
    linesField_ =
        window()->add_edittext("Number of lines/charge", GLUI_EDITTEXT_INT, nullptr, LinesFieldId, dialogButtonControl);
    linesField_->set_int_limits(1, maxLinesPerCharge, GLUI_LIMIT_CLAMP);
    linesField_->set_int_val(10);
    chargeList_ = window()->add_listbox("Start round charge #", nullptr, ChargeListId, dialogButtonControl);
    tracerList_ = window()->add_listbox("Tracer", nullptr, TracerListId, dialogButtonControl);
    tracerList_->add_item(0, "Euler steps");
    tracerList_->add_item(1, "Accurate");
    proportionalBox_ = window()->add_checkbox("In proportion to charge", nullptr, ProportionalBoxId, dialogButtonControl);
    strengthBox_ = window()->add_checkbox("Colour by strength", nullptr, StrengthBoxId, dialogButtonControl);
    buttons_ = addButtonRow(OkId, CancelId, dialogButtonControl);
}

VisualisationRequest FieldLinesDialog::request() const {
    // Lines start round every charge; the charge list only shows which charges exist.
    VisualisationRequest lines{VisualisationRequest::Kind::FieldLines, linesField_->get_int_val()};
    lines.method = tracerList_->get_int_val() == 1 ? FieldLineMethod::Accurate : FieldLineMethod::Euler;
    lines.proportional = proportionalBox_->get_int_val() != 0;
    lines.strengthColours = strengthBox_->get_int_val() != 0;
    return lines;
}

bool FieldLinesDialog::show() {
    if (!Dialog::show()) return false;
    tracerList_->set_int_val(teachingStyle != 0 ? 1 : 0);
    return true;
}

void FieldLinesDialog::setChargeCount(int n) {
    setNumberedItems(*chargeList_, listedCharges_, n);
    listedCharges_ = n;
}

HedgehogDialog::HedgehogDialog(const char* title, Action action) : Dialog(title, action) {
    countField_ = window()->add_edittext("Number of lines", GLUI_EDITTEXT_INT, nullptr, CountFieldId, dialogButtonControl);
    countField_->set_int_limits(1, maxHedgehogLines, GLUI_LIMIT_CLAMP);
    strengthBox_ = window()->add_checkbox("Colour by strength", nullptr, StrengthBoxId, dialogButtonControl);
    buttons_ = addButtonRow(OkId, CancelId, dialogButtonControl);
}

VisualisationRequest HedgehogDialog::request() const {
    VisualisationRequest request{VisualisationRequest::Kind::Hedgehog, countField_->get_int_val()};
    request.strengthColours = strengthBox_->get_int_val() != 0;
    return request;
}

PotentialSurfaceDialog::PotentialSurfaceDialog(const char* title, Action action) : Dialog(title, action) {
    potentialField_ =
        window()->add_edittext("Potential", GLUI_EDITTEXT_FLOAT, nullptr, PotentialFieldId, dialogButtonControl);
    potentialField_->set_float_limits(minSurfaceLevel, maxSurfaceLevel, GLUI_LIMIT_CLAMP);
    directionList_ = window()->add_listbox("Field lines enter or leave?", nullptr, DirectionListId, dialogButtonControl);
    directionList_->add_item(0, "Leave");
    directionList_->add_item(1, "Enter");
    buttons_ = addButtonRow(OkId, CancelId, dialogButtonControl);
}

void dialogButtonControl(int id) {
    Dialog* owner = activeDialogOwning(id);
    if (owner == nullptr) return;
    switch (id) {
        case FieldLinesDialog::OkId:
        case FieldLinesDialog::CancelId:
        case HedgehogDialog::OkId:
        case HedgehogDialog::CancelId:
        case PotentialSurfaceDialog::OkId:
        case PotentialSurfaceDialog::CancelId:
            owner->runAction(id);
            break;
        default:
            break;
    }
}

namespace {

// When the field's limits changed the number typed into it, tells the window which value
// was used instead.
void tellLimitedValue(GLUI_EditText& field) {
    if (field.limited_text.empty()) return;
    const bool whole = field.data_type == GLUI_EDITTEXT_INT;
    const std::string low = whole ? std::to_string(field.int_low) : glui_numbers::format_float(field.float_low);
    const std::string high = whole ? std::to_string(field.int_high) : glui_numbers::format_float(field.float_high);
    say(field.name.str() + ": " + field.limited_text + " is outside " + low + " to " + high + "; " + field.get_text() +
            " was used instead.\n",
        Echo::WindowOnly);
    field.limited_text.clear();
}

// Runs a builder, which keeps the event loop from drawing until it is done: the dialog is
// drawn once more first (OK released), and the busy cursor shows meanwhile.
template <class Build>
void buildWhileBusy(Dialog* dialog, Build build) {
    dialog->window()->draw_now();
    const BusyCursor busy;
    build();
}

}  // namespace

void addFieldLinesAction(Dialog* dialog, int id) {
    if (id == FieldLinesDialog::OkId) {
        // Lines start round every charge; the charge list only shows which charges exist.
        auto* lines = static_cast<FieldLinesDialog*>(dialog);
        const VisualisationRequest request = lines->request();
        tellLimitedValue(*lines->linesField());
        buildWhileBusy(dialog, [&] { programSession->add(request); });
    }
    closeDialog(dialog);
}

void addHedgehogAction(Dialog* dialog, int id) {
    if (id == HedgehogDialog::OkId) {
        auto* hedgehog = static_cast<HedgehogDialog*>(dialog);
        const VisualisationRequest request = hedgehog->request();
        tellLimitedValue(*hedgehog->countField());
        buildWhileBusy(dialog, [&] { programSession->add(request); });
    }
    closeDialog(dialog);
}

void addPotentialAction(Dialog* dialog, int id) {
    if (id == PotentialSurfaceDialog::OkId) {
        auto* surface = static_cast<PotentialSurfaceDialog*>(dialog);
        const float potential = surface->potentialField()->get_float_val();
        tellLimitedValue(*surface->potentialField());
        const int direction = surface->directionList()->get_int_val();
        buildWhileBusy(dialog, [&] {
            programSession->add({VisualisationRequest::Kind::Surface, 0, potential, direction});
        });
    }
    closeDialog(dialog);
}

}  // namespace kelvaro
