#pragma once
// The mouse in the scene area of the main window. While no dialog waits for its answer:
// a left drag turns the view as the Spin ball does (the ball follows), a middle drag or
// Shift with a left drag pans so that the scene follows the pointer, the wheel dollies,
// and Ctrl with a left drag on a charge (the nearest whose centre appears within a few
// pixels of the pointer) moves it in the plane facing the viewer, within the model's box.
// While the Explore panel's "Probe" is on, a left click (a press and release with at most
// a few pixels between them) places a probe where the drawn surface nearest the eye lies
// under the pointer; a left drag still turns the view.

namespace kelvaro {

// The live variable of the "Probe" check box (1 on, 0 off).
extern int probeClicks;

// The main window's mouse function (also given the clicks that the panels pass on); a
// press also brings a shown dialog to the top.
void sceneMouse(int button, int state, int x, int y);
// The main window's motion function (a button held).
void sceneMotion(int x, int y);
// Builds the scene for the latest place of a dragged charge, if one waits; for the idle
// function, so that the moves that came meanwhile count only by the last.
void buildDraggedCharge();
// Ends a drag in the scene; a dragged charge is built at its last place and the drag
// becomes one step of the edit history.
void endSceneDrag();

}  // namespace kelvaro
