#pragma once
// The command panel (right) with the buttons that open the dialogs and Quit, and the view
// panel (bottom) with the camera controls. Both are disabled while a dialog is shown.

class GLUI;

namespace kelvaro {

extern GLUI* commandPanel;
extern GLUI* viewPanel;

enum CommandId { LoadModelCommand = 1000, AddFieldLinesCommand = 1001, AddHedgehogCommand = 1002,
                 AddPotentialSurfaceCommand = 1003,
                 // The Explore panel below the five buttons, and the view panel's Reset View.
                 EditChargesCommand = 1004, VisualisationsCommand = 1005, SaveModelCommand = 1006,
                 ResetViewCommand = 1007,
                 // The view panel's Fit, below Reset View, and the message line's Messages...
                 FitViewCommand = 1008, MessagesCommand = 1009,
                 // The Explore panel's probe and Gauss sphere, plane and charge labels.
                 ProbeCommand = 1010, GaussSphereCommand = 1011, AddPlaneCommand = 1012 };

// Builds the command panel on the right side of `window`: the five buttons, then the
// Explore panel below them.
void buildCommandPanel(int window);
// Builds the view panel along the bottom of `window`, bound to the camera values.
void buildViewPanel(int window);

// Callback of the buttons that open a dialog which waits for its answer (the first four
// and Visualisations..., Save Model As..., Probe... and Add Gauss Surface...): disables
// both panels and shows the dialog.
void commandButtonPressed(int id);

// Enables the command panel and then the view panel.
void enablePanels();

}  // namespace kelvaro
