#pragma once
// One frame of the main window without the window: the fixed light, the background, the
// projection and view from the camera values, and the scene. The main window draws every
// frame with it and kelvaro-batch draws its pictures with it, so a picture looks like the
// window. Works in whatever GL context is current; opens no window.

namespace kelvaro {

class Group;
class Model;

// The scene area of the main window at start: the 800 x 600 window less the command panel
// on its right (174 px wide) and the view panel along its bottom (80 px high).
inline constexpr int startSceneWidth = 626;
inline constexpr int startSceneHeight = 520;

// The camera values. The defaults are the start view: the eye looks down the negative z
// axis at the scene origin 15.6 units away, with a 30 degree vertical field of view.
struct Camera {
    float aspect = 1.2f;        // viewport width / height
    float pan[2] = {0.0f, 0.0f};  // sideways and vertical shift
    float dolly = 13.0f;        // distance beyond the fixed 2.6 that the scene is pushed away
    float rotation[16] = {1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1};  // column-major
    float zoom = 0.0f;          // added to 30 degrees of vertical field of view
    float nearPlane = 10.1f;    // near clipping distance
    float farPlane = 20.0f;     // far clipping distance
};

// The aspect ratio of a viewport, as the camera stores it.
float aspectRatio(int width, int height);

// Turns the scene by `degreesAboutVertical` about the eye's vertical axis and then by
// `degreesAboutHorizontal` about its horizontal axis (right-handed: positive angles bring
// the front of the scene to the right and then down), on top of its present rotation.
void turnCamera(Camera& camera, double degreesAboutVertical, double degreesAboutHorizontal);

// The axis a view looks along: from the positive side of x, y or z towards the origin
// (z is the start view's direction), or from the negative side.
enum class ViewAxis { X, Y, Z, MinusX, MinusY, MinusZ };

// Turns the scene so that the eye looks along `axis`: from +x with y up and z to the left,
// from +y with x to the right and z down the picture (a view from above), from +z as at
// start; from the negative side the same, turned half round the vertical (about the
// horizontal for -y). The other camera values stay.
void lookAlong(Camera& camera, ViewAxis axis);

// Light 0 (white, from a fixed direction relative to the eye), normalised normals and the
// depth test. Set once in each context, before its first frame.
void setUpLighting();

// What a frame shows beyond the scene; the defaults are the window's own look.
struct FrameLook {
    // The teaching style: the model's charges as red and blue balls, arrowheads along the
    // field lines, and every line two pixels wide and smoothed.
    bool teaching = false;
    // A white background, with everything drawn in darker print colours of its own hue.
    bool light = false;
    // Pixels per picture pixel along each side, for a picture drawn larger and averaged
    // down: lines are drawn that many times wider.
    int lineScale = 1;
    // Each charge's value beside it ("+1", "-2"), in the colour of its teaching-style ball.
    bool chargeLabels = false;
    // The colour bars, with their values, of the colours the scene shows: the potential of
    // a plane, the strength of lines coloured by it (see legendBarsOf).
    bool legend = false;
};

// Clears the draw buffer to the dark grey background and draws `scene` (none: only the
// background) into the current viewport as `camera` sees it. Lighting and blending stay
// on afterwards; the viewport is not touched. A look other than the default also needs
// the `model` the scene shows (the teaching style draws its charges; none: no charges and
// no arrowheads, no labels, no legend) and restores the GL state it changes. On the light
// background the colour maps of planes keep their own colours: they are drawn first,
// without print colours, and the rest of the scene after them.
void drawFrame(const Camera& camera, const Group* scene, const Model* model = nullptr, const FrameLook& look = {});

}  // namespace kelvaro
