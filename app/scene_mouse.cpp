#include "app/scene_mouse.h"

#include <GL/freeglut.h>

#include <algorithm>
#include <cmath>
#include <cstring>
#include <optional>
#include <string>

#include "app/charge_drag.h"
#include "app/dialog.h"
#include "app/edit_charges_dialog.h"
#include "app/explore_commands.h"
#include "app/messages.h"
#include "app/panels.h"
#include "app/session.h"
#include "app/shell.h"
#include "app/view_geometry.h"
#include "glui/arcball.h"
#include "glui/glui.h"

namespace kelvaro {
namespace {

// freeglut reports the wheel as these buttons when no wheel function is set.
constexpr int wheelUp = 3, wheelDown = 4;
// How far one step of the wheel moves the scene towards or away from the eye.
constexpr float dollyPerWheelStep = 0.25f;
// How near the pointer a charge's centre must appear to be taken: the spheres are tiny.
constexpr double pickRadius = 6.0;

// How far the pointer may move between the press and the release of a click.
constexpr double clickSlack = 3.0;

enum class Gesture { None, Turn, Pan, MoveCharge, ProbeClick };

Gesture gesture = Gesture::None;
int lastX = 0, lastY = 0;
int pressX = 0, pressY = 0;
Vector3 chargeAtPress;
ChargeDrag chargeDrag;

// The free area of the main window, which is current in its callbacks.
SceneArea sceneArea() {
    int x = 0, y = 0, width = 0, height = 0;
    GLUI_Master.get_viewport_area(&x, &y, &width, &height);
    return {x, glutGet(GLUT_WINDOW_HEIGHT) - y - height, width, height};
}

void turnView(const SceneArea& area, int x, int y) {
    const Arcball ball(area.left + area.width / 2.0, area.top + area.height / 2.0,
                       std::min(area.width, area.height) / 2.0);
    RotationMatrix rotation;
    std::memcpy(rotation.m, viewRotation, sizeof rotation.m);
    rotation.premultiply(ball.step(lastX, lastY, x, y, Arcball::Lock::none));
    std::memcpy(viewRotation, rotation.m, sizeof rotation.m);
}

// Starts the gesture that a press of `button` with the modifier keys held begins at (x, y).
void beginGesture(int button, int x, int y) {
    const int modifiers = glutGetModifiers();
    if (button == GLUT_MIDDLE_BUTTON || (button == GLUT_LEFT_BUTTON && (modifiers & GLUT_ACTIVE_SHIFT))) {
        gesture = Gesture::Pan;
    } else if (button == GLUT_LEFT_BUTTON && (modifiers & GLUT_ACTIVE_CTRL)) {
        const Model* model = programSession->model();
        if (!model) return;
        const auto charge = chargeNear(mainView, sceneArea(), model->charges(), x, y, pickRadius);
        if (!charge || !chargeDrag.begin(*programSession, *charge)) return;
        chargeAtPress = model->charges()[static_cast<std::size_t>(*charge)].position;
        gesture = Gesture::MoveCharge;
        if (editChargesDialog->shown()) editChargesDialog->showCharges(*charge);  // it shows the dragged charge
    } else if (button == GLUT_LEFT_BUTTON) {
        gesture = probeClicks != 0 ? Gesture::ProbeClick : Gesture::Turn;
    }
    lastX = pressX = x;
    lastY = pressY = y;
}

// Places a probe on the drawn surface under (x, y), or says why none was placed.
void placeProbe(int x, int y) {
    const Group* scene = programSession->scene();
    const Model* model = programSession->model();
    if (!scene || !model) return;
    const PickRay ray = rayThrough(mainView, sceneArea(), x, y);
    const std::optional<double> along = nearestPick(*scene, ray);
    if (!along) {
        say("No drawn surface under the pointer: a probe is placed on a surface, or anywhere in the box with "
            "Probe....\n");
        return;
    }
    VisualisationRequest request{VisualisationRequest::Kind::Probe};
    request.point = {static_cast<float>(ray.origin.x + *along * ray.direction.x),
                     static_cast<float>(ray.origin.y + *along * ray.direction.y),
                     static_cast<float>(ray.origin.z + *along * ray.direction.z)};
    const std::string problem = requestProblem(request, *model);
    if (!problem.empty()) {
        say(problem);
        return;
    }
    programSession->add(request);
}

}  // namespace

int probeClicks = 0;

void sceneMouse(int button, int state, int x, int y) {
    if (state == GLUT_DOWN) raiseActiveDialog();
    if (activeDialog != nullptr) {
        endSceneDrag();
        return;
    }
    if (button == wheelUp || button == wheelDown) {
        if (state == GLUT_DOWN && sceneArea().contains(x, y)) {
            viewDolly += button == wheelUp ? -dollyPerWheelStep : dollyPerWheelStep;
            viewPanel->sync_live();
            glutPostRedisplay();
        }
        return;
    }
    const bool click = state == GLUT_UP && gesture == Gesture::ProbeClick;
    endSceneDrag();
    if (click) placeProbe(x, y);
    if (state == GLUT_DOWN && sceneArea().contains(x, y)) beginGesture(button, x, y);
}

void sceneMotion(int x, int y) {
    switch (gesture) {
        case Gesture::Turn:
            turnView(sceneArea(), x, y);
            viewPanel->sync_live();
            break;
        case Gesture::Pan:
            panByPixels(mainView, sceneArea(), x - lastX, y - lastY);
            viewPanel->sync_live();
            break;
        case Gesture::MoveCharge:
            chargeDrag.moveTo(draggedInViewPlane(mainView, sceneArea(), chargeAtPress, pressX, pressY, x, y));
            break;
        case Gesture::ProbeClick:
            // Moved too far for a click: a drag that turns the view from where it began.
            if (std::hypot(x - pressX, y - pressY) > clickSlack) {
                gesture = Gesture::Turn;
                lastX = pressX;
                lastY = pressY;
                sceneMotion(x, y);
                return;
            }
            break;
        case Gesture::None:
            break;
    }
    lastX = x;
    lastY = y;
}

void buildDraggedCharge() {
    if (chargeDrag.buildWaiting()) showModelChange();
}

void endSceneDrag() {
    if (gesture == Gesture::MoveCharge && chargeDrag.end()) showModelChange();
    gesture = Gesture::None;
}

}  // namespace kelvaro
