#include "app/shell.h"

#include <GL/freeglut.h>

#include <cstdlib>

#include "app/dialog.h"
#include "app/load_model_dialog.h"
#include "app/panels.h"
#include "app/session.h"
#include "app/visualisation_dialogs.h"
#include "glui/glui.h"

namespace kelvaro {

int mainWindow = 0;

float viewAspect = 1.2f;
float viewPan[2] = {0.0f, 0.0f};
float viewDolly = 13.0f;
float viewRotation[16] = {1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1};
float viewZoom = 0.0f;
float viewNear = 10.1f;
float viewFar = 20.0f;

std::unique_ptr<LoadModelDialog> loadModelDialog;
std::unique_ptr<FieldLinesDialog> fieldLinesDialog;
std::unique_ptr<HedgehogDialog> hedgehogDialog;
std::unique_ptr<PotentialSurfaceDialog> potentialSurfaceDialog;

namespace {

constexpr unsigned char escapeKey = 27;

void createDialogs() {
    loadModelDialog = std::make_unique<LoadModelDialog>("Load Model File", loadModelAction);
    loadModelDialog->fillFileList("*.txt");
    fieldLinesDialog = std::make_unique<FieldLinesDialog>("Add Field Lines to Charge", addFieldLinesAction);
    hedgehogDialog = std::make_unique<HedgehogDialog>("Add Hedgehog Lines", addHedgehogAction);
    potentialSurfaceDialog = std::make_unique<PotentialSurfaceDialog>("Add Equipotential Surface", addPotentialAction);
}

}  // namespace

// Light 0: white ambient and diffuse light from a fixed direction relative to the eye.
const GLfloat lightAmbient[4] = {1.0f, 1.0f, 1.0f, 1.0f};
const GLfloat lightDiffuse[4] = {1.0f, 1.0f, 1.0f, 1.0f};
const GLfloat lightPosition[4] = {0.5f, 0.5f, 1.0f, 0.0f};

void setUpLighting() {
    glEnable(GL_LIGHTING);
    glEnable(GL_NORMALIZE);
    glEnable(GL_LIGHT0);
    glLightfv(GL_LIGHT0, GL_AMBIENT, lightAmbient);
    glLightfv(GL_LIGHT0, GL_DIFFUSE, lightDiffuse);
    glLightfv(GL_LIGHT0, GL_POSITION, lightPosition);
    glEnable(GL_DEPTH_TEST);
}

std::vector<int> programWindows() {
    std::vector<int> windows{mainWindow};
    for (const GLUI* panel : {commandPanel, viewPanel}) {
        if (panel) windows.push_back(panel->get_glut_window_id());
    }
    for (const Dialog* dialog : std::initializer_list<const Dialog*>{
             loadModelDialog.get(), fieldLinesDialog.get(), hedgehogDialog.get(), potentialSurfaceDialog.get()}) {
        if (dialog) windows.push_back(dialog->window()->get_glut_window_id());
    }
    return windows;
}

void displayScene() {
    glClearColor(0.1f, 0.1f, 0.1f, 1.0f);
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    glMatrixMode(GL_PROJECTION);
    glLoadIdentity();
    gluPerspective(static_cast<double>(viewZoom) + 30.0, viewAspect, viewNear, viewFar);
    glMatrixMode(GL_MODELVIEW);
    glLoadIdentity();
    glTranslatef(0.0f, 0.0f, -2.6f);
    glTranslatef(viewPan[0], viewPan[1], -viewDolly);
    glMultMatrixf(viewRotation);
    glEnable(GL_LIGHTING);
    glEnable(GL_BLEND);
    glBlendFunc(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA);
    if (sceneGroup) sceneGroup->draw();
    glutSwapBuffers();
}

void reshapeView(int, int) {
    int x = 0, y = 0, width = 0, height = 0;
    GLUI_Master.get_viewport_area(&x, &y, &width, &height);
    glViewport(x, y, width, height);
    viewAspect = static_cast<float>(static_cast<double>(width) / static_cast<double>(height));
    glutPostRedisplay();
}

void keyPressed(unsigned char key, int, int) {
    if (key == escapeKey || key == 'q') std::exit(0);
    glutPostRedisplay();
}

void idleRedisplay() {
    if (glutGetWindow() != mainWindow) glutSetWindow(mainWindow);
    glutPostRedisplay();
}

void motionRedisplay(int, int) { glutPostRedisplay(); }

// The scene takes no clicks; one while a dialog is open (on the scene or on the greyed
// panels, which pass it on) brings that dialog back to the top.
void ignoreMouse(int, int state, int, int) {
    if (state == GLUT_DOWN) raiseActiveDialog();
}

void cleanupAtExit() {
    endSession();
    if (commandPanel) {
        viewPanel->close();
        commandPanel->close();
    }
    loadModelDialog.reset();
    fieldLinesDialog.reset();
    hedgehogDialog.reset();
    potentialSurfaceDialog.reset();
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
    GLUI_Master.set_glutMouseFunc(ignoreMouse);
    glutMotionFunc(motionRedisplay);
    setUpLighting();
    buildCommandPanel(mainWindow);
    buildViewPanel(mainWindow);
    GLUI_Master.set_glutIdleFunc(idleRedisplay);
    createDialogs();
    std::atexit(cleanupAtExit);
    glutMainLoop();
    std::exit(0);
}

}  // namespace kelvaro
