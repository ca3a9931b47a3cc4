#include "app/panels.h"

#include <cstdlib>

#include "app/explore_commands.h"
#include "app/load_model_dialog.h"
#include "app/placement_dialogs.h"
#include "app/plane_dialog.h"
#include "app/save_model_dialog.h"
#include "app/scene_mouse.h"
#include "app/shell.h"
#include "app/visualisation_dialogs.h"
#include "app/visualisations_dialog.h"
#include "glui/glui.h"

namespace kelvaro {

GLUI* commandPanel = nullptr;
GLUI* viewPanel = nullptr;

namespace {

// GLUI calls a button's callback with the button's id, so Quit ends with status 0.
void quit(int status) { std::exit(status); }

void addTranslation(const char* label, int type, float* value, float speed) {
    viewPanel->add_translation(label, type, value, -1, nullptr)->set_speed(speed);
    viewPanel->add_column(false);
}

}  // namespace

void buildCommandPanel(int window) {
    commandPanel = GLUI_Master.create_glui_subwindow(window, GLUI_SUBWINDOW_RIGHT);
    commandPanel->add_button("Load Model...           ", LoadModelCommand, commandButtonPressed);
    commandPanel->add_button("Add Field Lines...      ", AddFieldLinesCommand, commandButtonPressed);
    commandPanel->add_button("Add Hedgehog Lines...   ", AddHedgehogCommand, commandButtonPressed);
    commandPanel->add_button("Add Potential Surface...", AddPotentialSurfaceCommand, commandButtonPressed);
    commandPanel->add_button("Quit", 0, quit);
    GLUI_Panel* explore = commandPanel->add_panel("Explore");
    commandPanel->add_button_to_panel(explore, "Edit Charges...", EditChargesCommand, exploreCommand);
    commandPanel->add_button_to_panel(explore, "Visualisations...", VisualisationsCommand, commandButtonPressed);
    commandPanel->add_button_to_panel(explore, "Save Model As...", SaveModelCommand, commandButtonPressed);
    commandPanel->add_checkbox_to_panel(explore, "Probe", &probeClicks);
    commandPanel->add_button_to_panel(explore, "Probe...", ProbeCommand, commandButtonPressed);
    commandPanel->add_button_to_panel(explore, "Add Gauss Surface...", GaussSphereCommand, commandButtonPressed);
    commandPanel->add_button_to_panel(explore, "Add Plane...", AddPlaneCommand, commandButtonPressed);
    commandPanel->add_checkbox_to_panel(explore, "Charge labels", &chargeLabels);
    commandPanel->set_main_gfx_window(window);
}

void buildViewPanel(int window) {
    viewPanel = GLUI_Master.create_glui_subwindow(window, GLUI_SUBWINDOW_BOTTOM);
    viewPanel->set_main_gfx_window(window);
    viewPanel->add_rotation("Spin", viewRotation, -1, nullptr)->set_spin(1.0f);
    viewPanel->add_column(false);
    addTranslation("Pan", GLUI_TRANSLATION_XY, viewPan, 0.005f);
    addTranslation("Dolly", GLUI_TRANSLATION_Z, &viewDolly, 0.02f);
    addTranslation("Zoom", GLUI_TRANSLATION_Z, &viewZoom, 0.05f);
    addTranslation("Near", GLUI_TRANSLATION_Z, &viewNear, 0.05f);
    addTranslation("Far", GLUI_TRANSLATION_Z, &viewFar, 0.05f);
    viewPanel->add_checkbox("Teaching style", &teachingStyle, -1, teachingStyleChanged);
    viewPanel->add_button("Reset View", ResetViewCommand, exploreCommand);
    viewPanel->add_button("Fit", FitViewCommand, exploreCommand);
}

void commandButtonPressed(int id) {
    commandPanel->disable();
    viewPanel->disable();
    switch (id) {
        case LoadModelCommand: loadModelDialog->show(); break;
        case AddFieldLinesCommand: fieldLinesDialog->show(); break;
        case AddHedgehogCommand: hedgehogDialog->show(); break;
        case AddPotentialSurfaceCommand: potentialSurfaceDialog->show(); break;
        case VisualisationsCommand: visualisationsDialog->show(); break;
        case SaveModelCommand: saveModelDialog->show(); break;
        case ProbeCommand: probeDialog->show(); break;
        case GaussSphereCommand: gaussSphereDialog->show(); break;
        case AddPlaneCommand: planeDialog->show(); break;
        default: break;
    }
}

void enablePanels() {
    commandPanel->enable();
    viewPanel->enable();
}

}  // namespace kelvaro
