#include "app/shell.h"

#include <GL/freeglut.h>

#include <cstdio>
#include <cstdlib>
#include <string>

#include "app/dialog.h"
#include "app/edit_charges_dialog.h"
#include "app/explore_commands.h"
#include "app/load_model_dialog.h"
#include "app/placement_dialogs.h"
#include "app/panels.h"
#include "app/plane_dialog.h"
#include "render/picture_file.h"
#include "render/picture_view.h"
#include "app/save_model_dialog.h"
#include "app/scene_mouse.h"
#include "app/session.h"
#include "app/visualisation_dialogs.h"
#include "app/visualisations_dialog.h"
#include "glui/glui.h"

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
    if (failure.empty()) {
        std::printf("Picture saved as %s.\n", name.c_str());
    } else {
        std::printf("Could not save picture %s: %s.\n", name.c_str(), failure.c_str());
    }
    std::fflush(stdout);
}

}  // namespace

std::vector<int> programWindows() {
    std::vector<int> windows{mainWindow};
    for (const GLUI* panel : {commandPanel, viewPanel}) {
        if (panel) windows.push_back(panel->get_glut_window_id());
    }
    for (const Dialog* dialog : std::initializer_list<const Dialog*>{
             loadModelDialog.get(), fieldLinesDialog.get(), hedgehogDialog.get(), potentialSurfaceDialog.get(),
             editChargesDialog.get(), visualisationsDialog.get(), saveModelDialog.get(), probeDialog.get(),
             gaussSphereDialog.get(), planeDialog.get()}) {
        if (dialog) windows.push_back(dialog->window()->get_glut_window_id());
    }
    return windows;
}

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
    }
    exploreKeyPressed(key);
    glutPostRedisplay();
}

void idleRedisplay() {
    if (glutGetWindow() != mainWindow) glutSetWindow(mainWindow);
    buildDraggedCharge();
    glutPostRedisplay();
}

void motionRedisplay(int x, int y) {
    sceneMotion(x, y);
    glutPostRedisplay();
}

void cleanupAtExit() {
    programSession = nullptr;
    ownSession.reset();
    if (commandPanel) {
        viewPanel->close();
        commandPanel->close();
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
    planeDialog.reset();
}

void buildUserInterface(int argc, char** argv) {
    glutInit(&argc, argv);
    glutInitDisplayMode(GLUT_RGB | GLUT_DOUBLE | GLUT_DEPTH);
    glutInitWindowPosition(50, 50);
    glutInitWindowSize(800, 600);
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
    buildViewPanel(mainWindow);
    GLUI_Master.set_glutIdleFunc(idleRedisplay);
    createDialogs();
    std::atexit(cleanupAtExit);
    glutMainLoop();
    std::exit(0);
}

}  // namespace kelvaro
