#include "app/explore_commands.h"

#include <GL/freeglut.h>

#include "app/busy_cursor.h"
#include "app/dialog.h"
#include "app/edit_charges_dialog.h"
#include "app/panels.h"
#include "app/scene_mouse.h"
#include "app/session.h"
#include "app/shell.h"
#include "app/view_geometry.h"
#include "app/visualisation_dialogs.h"
#include "glui/glui.h"

namespace kelvaro {
namespace {

// The control characters that Ctrl with a letter types.
constexpr unsigned char ctrlS = 19, ctrlY = 25, ctrlZ = 26;

void undoOrRedo(bool redo) {
    endSceneDrag();
    bool changed;
    {
        const BusyCursor busy;
        changed = redo ? programSession->redo() : programSession->undo();
    }
    if (changed) showModelChange();
}

}  // namespace

void exploreCommand(int id) {
    if (id == EditChargesCommand) editChargesDialog->show();
    if (id == ResetViewCommand) resetMainView();
}

bool exploreKeyPressed(unsigned char key) {
    if (key != 'e' && key != 'r' && key != ctrlS && key != ctrlY && key != ctrlZ) return false;
    if (activeDialog != nullptr) return true;
    switch (key) {
        case 'e': editChargesDialog->show(); break;
        case 'r': resetMainView(); break;
        case ctrlS: commandButtonPressed(SaveModelCommand); break;
        default: undoOrRedo(key == ctrlY || (glutGetModifiers() & GLUT_ACTIVE_SHIFT) != 0); break;
    }
    return true;
}

void resetMainView() {
    viewPanel->set_focus(nullptr, false);  // a spinning ball stops
    resetView(mainView);
    viewPanel->sync_live();
    glutPostRedisplay();
}

void showModelChange() {
    const Model* model = programSession->model();
    fieldLinesDialog->setChargeCount(model ? model->chargeCount() : 0);
    if (editChargesDialog->shown()) editChargesDialog->showCharges();
    glutPostRedisplay();
}

}  // namespace kelvaro
