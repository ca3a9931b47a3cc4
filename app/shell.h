#pragma once
// The program's spine: the main window, its callbacks and the process-wide state that
// the panels and dialogs read and write.

#include <memory>
#include <vector>

#include "app/message_line.h"
#include "render/frame.h"

namespace kelvaro {

class LoadModelDialog;
class FieldLinesDialog;
class HedgehogDialog;
class PotentialSurfaceDialog;
class EditChargesDialog;
class VisualisationsDialog;
class SaveModelDialog;
class PlacementDialog;
class MessagesDialog;

// The GLUT identifier of the main window.
extern int mainWindow;

// The camera that every frame of the main window is drawn with, starting at the start view.
extern Camera mainView;
// Its values, written directly by the view panel's controls (their live variables).
extern float& viewAspect;          // viewport width / height
extern float (&viewPan)[2];        // sideways and vertical shift
extern float& viewDolly;           // distance beyond the fixed 2.6 that the scene is pushed away
extern float (&viewRotation)[16];  // rotation of the scene, column-major
extern float& viewZoom;            // added to 30 degrees of vertical field of view
extern float& viewNear;            // near clipping distance
extern float& viewFar;             // far clipping distance

// The teaching style of the main window (1 on, 0 off): the live variable of the view
// panel's "Teaching style" check box, also switched by the key "t". Remembered between
// runs (settings.h).
extern int teachingStyle;
// After the style changed (the check box's callback): remembers it.
void teachingStyleChanged(int id);
// Each charge's value beside it (1 on, 0 off): the live variable of the Explore panel's
// "Charge labels" check box.
extern int chargeLabels;

// The four dialogs, made at start and deleted at exit.
extern std::unique_ptr<LoadModelDialog> loadModelDialog;
extern std::unique_ptr<FieldLinesDialog> fieldLinesDialog;
extern std::unique_ptr<HedgehogDialog> hedgehogDialog;
extern std::unique_ptr<PotentialSurfaceDialog> potentialSurfaceDialog;
// The dialogs of the Explore panel, made after the four.
extern std::unique_ptr<EditChargesDialog> editChargesDialog;
extern std::unique_ptr<VisualisationsDialog> visualisationsDialog;
extern std::unique_ptr<SaveModelDialog> saveModelDialog;
// The Explore panel's Probe... and Add Gauss Surface..., made after those.
extern std::unique_ptr<PlacementDialog> probeDialog;
extern std::unique_ptr<PlacementDialog> gaussSphereDialog;
extern std::unique_ptr<MessagesDialog> messagesDialog;

// The main window's size: the first version's 800 x 600, and the message line below the view panel.
inline constexpr int mainWindowWidth = 800;
inline constexpr int mainWindowHeight = 600 + messageLineHeight;

// The GLUT identifiers of every window of the program: the main window, the panels and
// the dialogs.
std::vector<int> programWindows();

// Main-window callbacks.
void displayScene();
void reshapeView(int width, int height);
void keyPressed(unsigned char key, int x, int y);
// The idle function while a dragged charge waits to be built (scene_mouse.h asks for
// it): builds the latest place, then gives the idle time back, so that the event loop
// waits for the next event when nothing on screen can change.
void idleRedisplay();
void motionRedisplay(int x, int y);  // also drags in the scene (sceneMotion)

// Ends the session (the model and the scene go) and frees the panels and the dialogs;
// registered with atexit.
void cleanupAtExit();

// Opens the main window, builds the panels and dialogs, takes up the command line
// (command_line.h: the look, a model file to load) and runs the event loop; never returns.
[[noreturn]] void buildUserInterface(int argc, char** argv);

}  // namespace kelvaro
