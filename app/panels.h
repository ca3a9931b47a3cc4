#pragma once
// The command panel (right) with the buttons that open the dialogs and Quit, and the view
// panel (bottom) with the camera controls. Both are disabled while a dialog is shown.

class GLUI;

namespace kelvaro {

extern GLUI* commandPanel;
extern GLUI* viewPanel;

enum CommandId { LoadModelCommand = 1000, AddFieldLinesCommand = 1001, AddHedgehogCommand = 1002,
                 AddPotentialSurfaceCommand = 1003 };

// Builds the command panel on the right side of `window`.
void buildCommandPanel(int window);
// Builds the view panel along the bottom of `window`, bound to the camera values.
void buildViewPanel(int window);

// Callback of the four dialog buttons: disables both panels and shows the dialog.
void commandButtonPressed(int id);

// Enables the command panel and then the view panel.
void enablePanels();

}  // namespace kelvaro
