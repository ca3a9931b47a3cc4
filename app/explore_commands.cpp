#include "app/explore_commands.h"

#include <GL/freeglut.h>

#include <optional>

#include "app/busy_cursor.h"
#include "app/dialog.h"
#include "app/edit_charges_dialog.h"
#include "app/messages.h"
#include "app/messages_dialog.h"
#include "app/panels.h"
#include "app/save_model_dialog.h"
#include "app/scene_mouse.h"
#include "app/session.h"
#include "app/shell.h"
#include "app/view_framing.h"
#include "app/view_geometry.h"
#include "app/visualisation_dialogs.h"
#include "glui/glui.h"
#include "render/picture_view.h"

namespace kelvaro {
namespace {

// The control characters that Ctrl with a letter types.
constexpr unsigned char ctrlS = 19, ctrlY = 25, ctrlZ = 26;

void undoOrRedo(bool redo) {
    bool changed;
    {
        const BusyCursor busy;
        changed = redo ? programSession->redo() : programSession->undo();
    }
    if (changed) showModelChange();
}

// The view panel's controls show the camera, and the main window is drawn again.
void showViewChange() {
    viewPanel->sync_live();
    glutPostWindowRedisplay(mainWindow);
}

// Frames the model in the present direction; without a model nothing changes.
void fitMainView() {
    const Model* model = programSession->model();
    if (!model) return;
    const std::string failure = fitCamera(mainView, model->bounds());
    if (!failure.empty()) say("The model cannot be framed: " + failure + ".\n", Echo::WindowOnly);
    showViewChange();
}

// Looks along `axis`, the model framed; the Spin ball stops turning.
void viewAlongAxis(ViewAxis axis) {
    viewPanel->set_focus(nullptr, false);
    const Model* model = programSession->model();
    const std::string failure = viewAlong(mainView, axis, model ? &model->bounds() : nullptr);
    if (!failure.empty()) say("The model cannot be framed: " + failure + ".\n", Echo::WindowOnly);
    showViewChange();
}

// The axis that a key looks along: 1, 2, 3 and, with Shift, the keys those give on a US
// keyboard (or the digit itself with Shift held, as a keypad may give it).
std::optional<ViewAxis> axisOfKey(unsigned char key) {
    const bool shift = (glutGetModifiers() & GLUT_ACTIVE_SHIFT) != 0;
    switch (key) {
        case '1': return shift ? ViewAxis::MinusX : ViewAxis::X;
        case '2': return shift ? ViewAxis::MinusY : ViewAxis::Y;
        case '3': return shift ? ViewAxis::MinusZ : ViewAxis::Z;
        case '!': return ViewAxis::MinusX;
        case '@': return ViewAxis::MinusY;
        case '#': return ViewAxis::MinusZ;
        default: return std::nullopt;
    }
}

void showMessages() { messagesDialog->show(); }

}  // namespace

void exploreCommand(int id) {
    switch (id) {
        case EditChargesCommand: editChargesDialog->show(); break;
        case ResetViewCommand: resetMainView(); break;
        case FitViewCommand: fitMainView(); break;
        case MessagesCommand: showMessages(); break;
        default: break;
    }
}

bool exploreKeyPressed(unsigned char key) {
    const std::optional<ViewAxis> axis = axisOfKey(key);
    const bool command = axis || key == 'e' || key == 'm' || key == 'r' || key == 'f' || key == ctrlS ||
                         key == ctrlY || key == ctrlZ;
    if (!command) return false;
    if (activeDialog != nullptr && key != 'm') return true;
    endSceneDrag();
    // A dialog opened by a key takes the keys typed next, wherever the pointer is.
    switch (key) {
        case 'e':
            editChargesDialog->show();
            editChargesDialog->window()->give_keyboard_focus();
            break;
        case 'm':
            showMessages();
            messagesDialog->window()->give_keyboard_focus();
            break;
        case ctrlS:
            commandButtonPressed(SaveModelCommand);
            saveModelDialog->window()->give_keyboard_focus();
            break;
        case 'r': resetMainView(); break;
        case 'f': fitMainView(); break;
        case ctrlY:
        case ctrlZ: undoOrRedo(key == ctrlY || (glutGetModifiers() & GLUT_ACTIVE_SHIFT) != 0); break;
        default: viewAlongAxis(*axis); break;
    }
    return true;
}

void resetMainView() {
    viewPanel->set_focus(nullptr, false);  // a spinning ball stops
    resetView(mainView);
    showViewChange();
}

void showModelChange() {
    const Model* model = programSession->model();
    fieldLinesDialog->setChargeCount(model ? model->chargeCount() : 0);
    if (editChargesDialog->shown()) editChargesDialog->showCharges();
    glutPostWindowRedisplay(mainWindow);
}

}  // namespace kelvaro
