#include "app/shell.h"

#include <GL/freeglut.h>

#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

#include "app/command_line.h"
#include "app/dialog.h"
#include "app/edit_charges_dialog.h"
#include "app/explore_commands.h"
#include "app/load_model_dialog.h"
#include "app/placement_dialogs.h"
#include "app/message_line.h"
#include "app/messages.h"
#include "app/messages_dialog.h"
#include "app/panels.h"
#include "app/plane_dialog.h"
#include "app/save_model_dialog.h"
#include "app/scene_mouse.h"
#include "app/session.h"
#include "app/settings.h"
#include "app/visualisation_dialogs.h"
#include "app/visualisations_dialog.h"
#include "glui/glui.h"
#include "render/picture_file.h"
#include "render/picture_view.h"

namespace kelvaro {

int mainWindow = 0;

Camera mainView;
float& viewAspect = mainView.aspect;
float (&viewPan)[2] = mainView.pan;
float& viewDolly = mainView.dolly;
float (&viewRotation)[16] = mainView.rotation;
float& viewZoom = mainView.zoom;
float& viewNear = mainView.nearPlane;
float& viewFar = mainView.farPlane;
int teachingStyle = 0;
int chargeLabels = 0;

std::unique_ptr<LoadModelDialog> loadModelDialog;
std::unique_ptr<FieldLinesDialog> fieldLinesDialog;
std::unique_ptr<HedgehogDialog> hedgehogDialog;
std::unique_ptr<PotentialSurfaceDialog> potentialSurfaceDialog;
std::unique_ptr<EditChargesDialog> editChargesDialog;
std::unique_ptr<VisualisationsDialog> visualisationsDialog;
std::unique_ptr<SaveModelDialog> saveModelDialog;
std::unique_ptr<PlacementDialog> probeDialog;
std::unique_ptr<PlacementDialog> gaussSphereDialog;
std::unique_ptr<MessagesDialog> messagesDialog;

namespace {

// The session that programSession points to, from start to exit.
std::unique_ptr<Session> ownSession;

constexpr unsigned char escapeKey = 27;
constexpr unsigned char pictureKey = 'p';  // saves a picture of the scene area
constexpr unsigned char largePictureKey = 'P';  // the same view at twice the size, smoothed
constexpr unsigned char teachingStyleKey = 't';
constexpr int largePictureScale = 2;
constexpr int largePictureSamples = 2;

FrameLook windowLook(int lineScale = 1) { return {teachingStyle != 0, false, lineScale, chargeLabels != 0}; }

void createDialogs() {
    loadModelDialog = std::make_unique<LoadModelDialog>("Load Model File", loadModelAction);
    loadModelDialog->fillFileList("*.txt");
    fieldLinesDialog = std::make_unique<FieldLinesDialog>("Add Field Lines to Charge", addFieldLinesAction);
    hedgehogDialog = std::make_unique<HedgehogDialog>("Add Hedgehog Lines", addHedgehogAction);
    potentialSurfaceDialog = std::make_unique<PotentialSurfaceDialog>("Add Equipotential Surface", addPotentialAction);
    editChargesDialog = std::make_unique<EditChargesDialog>("Edit Charges");
    visualisationsDialog = std::make_unique<VisualisationsDialog>("Visualisations", visualisationsAction);
    saveModelDialog = std::make_unique<SaveModelDialog>("Save Model As", saveModelAction);
    probeDialog = std::make_unique<PlacementDialog>("Probe", placeProbeAction, false);
    gaussSphereDialog = std::make_unique<PlacementDialog>("Add Gauss Surface", addGaussSphereAction, true);
    messagesDialog = std::make_unique<MessagesDialog>("Messages");
    planeDialog = std::make_unique<PlaneDialog>("Add Plane", addPlaneAction);
}

// Draws the current view into the main window's back buffer, reads the scene area back
// and writes it to the first free kelvaro-NNN.png in the working folder; `large`: at
// twice the size, drawn twice as large again in tiles of the scene area and averaged
// down. Says where it went, or why it could not be written; either way the program goes
// on. The main window is current, as it is for its keyboard function (a panel makes it
// current before it hands a key on).
void savePicture(bool large) {
    Picture picture;
    std::string failure;
    if (large) {
        GLint viewport[4] = {0, 0, 0, 0};
        glGetIntegerv(GL_VIEWPORT, viewport);
        const auto draw = [] { drawFrame(mainView, programSession->scene(), programSession->model(), windowLook(largePictureSamples)); };
        drawSampled(viewport[2] * largePictureScale, viewport[3] * largePictureScale, largePictureSamples,
                    {viewport[0], viewport[1], viewport[2], viewport[3]}, draw, picture, failure);
    } else {
        drawFrame(mainView, programSession->scene(), programSession->model(), windowLook());
        picture = readViewport();
    }
    const std::string name = nextPictureName();
    if (failure.empty()) failure = writePng(picture, name);
    if (!failure.empty()) {
        say("Could not save picture " + name + ": " + failure + ".\n");
        return;
    }
    say("Picture saved as " + name + ".\n");
    std::error_code ignored;
    say("Saved in " + std::filesystem::absolute(name, ignored).string() + "\n", Echo::WindowOnly);
}

void rememberStyle() {
    Settings settings;
    settings.teachingStyle = teachingStyle != 0;
    const std::string failure = writeSettings(settings);
    if (!failure.empty()) say("The look could not be remembered for the next start: " + failure + ".\n", Echo::WindowOnly);
}

// The command line, once the window and the dialogs are there: the look (remembered, or
// as --style says for this run) and a model file to load.
void takeUpCommandLine(int argc, char** argv) {
    const StartOptions options = readCommandLine(std::vector<std::string>(argv + 1, argv + argc));
    teachingStyle = options.teachingStyle.value_or(readSettings().teachingStyle) ? 1 : 0;
    GLUI_Master.sync_live_all();
    say(options.refusals);
    if (!options.modelFile.empty()) loadModelFile(options.modelFile);
}

}  // namespace

std::vector<int> programWindows() {
    std::vector<int> windows{mainWindow};
    for (const GLUI* panel : {commandPanel, messageLine, viewPanel}) {
        if (panel) windows.push_back(panel->get_glut_window_id());
    }
    for (const Dialog* dialog : std::initializer_list<const Dialog*>{
             loadModelDialog.get(), fieldLinesDialog.get(), hedgehogDialog.get(), potentialSurfaceDialog.get(),
             editChargesDialog.get(), visualisationsDialog.get(), saveModelDialog.get(), probeDialog.get(),
             gaussSphereDialog.get(), messagesDialog.get(), planeDialog.get()}) {
        if (dialog) windows.push_back(dialog->window()->get_glut_window_id());
    }
    return windows;
}

void teachingStyleChanged(int) { rememberStyle(); }

void displayScene() {
    drawFrame(mainView, programSession->scene(), programSession->model(), windowLook());
    glutSwapBuffers();
}

void reshapeView(int, int) {
    int x = 0, y = 0, width = 0, height = 0;
    GLUI_Master.get_viewport_area(&x, &y, &width, &height);
    glViewport(x, y, width, height);
    viewAspect = aspectRatio(width, height);
    glutPostRedisplay();
}

void keyPressed(unsigned char key, int, int) {
    if (key == escapeKey || key == 'q') std::exit(0);
    if (key == pictureKey || key == largePictureKey) savePicture(key == largePictureKey);
    if (key == teachingStyleKey) {
        teachingStyle = teachingStyle != 0 ? 0 : 1;
        GLUI_Master.sync_live_all();
        rememberStyle();
    }
    exploreKeyPressed(key);
    glutPostRedisplay();
}

void idleRedisplay() {
    if (glutGetWindow() != mainWindow) glutSetWindow(mainWindow);
    buildDraggedCharge();
    GLUI_Master.set_glutIdleFunc(nullptr);
}

void motionRedisplay(int x, int y) {
    sceneMotion(x, y);
    glutPostRedisplay();
}

void cleanupAtExit() {
    setMessageListener(nullptr);
    programSession = nullptr;
    ownSession.reset();
    for (GLUI* panel : {viewPanel, messageLine, commandPanel}) {
        if (panel) panel->close();
    }
    loadModelDialog.reset();
    fieldLinesDialog.reset();
    hedgehogDialog.reset();
    potentialSurfaceDialog.reset();
    editChargesDialog.reset();
    visualisationsDialog.reset();
    saveModelDialog.reset();
    probeDialog.reset();
    gaussSphereDialog.reset();
    messagesDialog.reset();
    planeDialog.reset();
}

void buildUserInterface(int argc, char** argv) {
    glutInit(&argc, argv);
    glutInitDisplayMode(GLUT_RGB | GLUT_DOUBLE | GLUT_DEPTH);
    glutInitWindowPosition(50, 50);
    glutInitWindowSize(mainWindowWidth, mainWindowHeight);
    mainWindow = glutCreateWindow("Kelvaro");
    glutDisplayFunc(displayScene);
    GLUI_Master.set_glutReshapeFunc(reshapeView);
    GLUI_Master.set_glutKeyboardFunc(keyPressed);
    GLUI_Master.set_glutSpecialFunc(nullptr);
    GLUI_Master.set_glutMouseFunc(sceneMouse);
    glutMotionFunc(motionRedisplay);
    setUpLighting();
    ownSession = std::make_unique<Session>();
    programSession = ownSession.get();
    buildCommandPanel(mainWindow);
    buildMessageLine(mainWindow);
    buildViewPanel(mainWindow);
    setMessageListener(showLatestMessage);
    createDialogs();
    takeUpCommandLine(argc, argv);
    std::atexit(cleanupAtExit);
    glutMainLoop();
    std::exit(0);
}

}  // namespace kelvaro
