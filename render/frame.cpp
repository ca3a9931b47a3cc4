#include "render/frame.h"

#include <GL/gl.h>
#include <GL/glu.h>

#include <algorithm>
#include <cmath>
#include <iterator>
#include <numbers>

#include "render/overlays.h"
#include "render/print_colours.h"
#include "render/teaching_style.h"
#include "scene/group.h"
#include "scene/shaded_primitives.h"

namespace kelvaro {

namespace {

// Light 0: white ambient and diffuse light from a fixed direction relative to the eye.
const GLfloat lightAmbient[4] = {1.0f, 1.0f, 1.0f, 1.0f};
const GLfloat lightDiffuse[4] = {1.0f, 1.0f, 1.0f, 1.0f};
const GLfloat lightPosition[4] = {0.5f, 0.5f, 1.0f, 0.0f};

using Matrix = double[16];  // column-major, as OpenGL stores it

// product = left x right
void multiply(const Matrix& left, const Matrix& right, Matrix& product) {
    for (int column = 0; column < 4; ++column) {
        for (int row = 0; row < 4; ++row) {
            double sum = 0.0;
            for (int k = 0; k < 4; ++k) sum += left[k * 4 + row] * right[column * 4 + k];
            product[column * 4 + row] = sum;
        }
    }
}

// The rotation by `degrees` about the coordinate axis `axis` (0 x, 1 y), right-handed.
void axisRotation(int axis, double degrees, Matrix& rotation) {
    const double radians = degrees * std::numbers::pi / 180.0;
    const double c = std::cos(radians), s = std::sin(radians);
    const int a = (axis + 1) % 3, b = (axis + 2) % 3;  // the plane that turns
    for (int i = 0; i < 16; ++i) rotation[i] = i % 5 == 0 ? 1.0 : 0.0;
    rotation[a * 4 + a] = c;
    rotation[a * 4 + b] = s;
    rotation[b * 4 + a] = -s;
    rotation[b * 4 + b] = c;
}

// Draws the colour maps (ShadedGrids) below `object` on their own. Drawn again with the
// rest of the scene, at the same depth, they then fail the depth test and keep these colours.
void drawShadedGrids(const SceneObject& object) {
    if (object.typeCode() == GroupType) {
        const auto& group = static_cast<const Group&>(object);
        for (std::int32_t i = 0; i < group.count(); ++i) drawShadedGrids(group.child(i));
    } else if (object.typeCode() == ShadedGridType) {
        object.draw();
    }
}

// The backgrounds, and the light grey of texts over the dark one (over white they take
// the dark one's grey).
constexpr float white[3] = {1.0f, 1.0f, 1.0f};
constexpr float darkGrey[3] = {0.1f, 0.1f, 0.1f};
constexpr float lightGrey[3] = {0.85f, 0.85f, 0.85f};

}  // namespace

float aspectRatio(int width, int height) {
    return static_cast<float>(static_cast<double>(width) / static_cast<double>(height));
}

void turnCamera(Camera& camera, double degreesAboutVertical, double degreesAboutHorizontal) {
    Matrix aboutVertical, aboutHorizontal, turn, present, turned;
    axisRotation(1, degreesAboutVertical, aboutVertical);
    axisRotation(0, degreesAboutHorizontal, aboutHorizontal);
    multiply(aboutHorizontal, aboutVertical, turn);
    for (int i = 0; i < 16; ++i) present[i] = camera.rotation[i];
    multiply(turn, present, turned);
    for (int i = 0; i < 16; ++i) camera.rotation[i] = static_cast<float>(turned[i]);
}

void lookAlong(Camera& camera, ViewAxis axis) {
    // Where the scene's x, y and z axes point in eye space (x right, y up, z at the eye),
    // the columns of the rotation.
    struct Columns {
        float x[3], y[3], z[3];
    };
    static constexpr Columns columns[] = {
        {{0, 0, 1}, {0, 1, 0}, {-1, 0, 0}},   // X: x at the eye, z to the left
        {{1, 0, 0}, {0, 0, 1}, {0, -1, 0}},   // Y: y at the eye, z down
        {{1, 0, 0}, {0, 1, 0}, {0, 0, 1}},    // Z: the start view
        {{0, 0, -1}, {0, 1, 0}, {1, 0, 0}},   // -X
        {{1, 0, 0}, {0, 0, -1}, {0, 1, 0}},   // -Y: z up
        {{-1, 0, 0}, {0, 1, 0}, {0, 0, -1}},  // -Z
    };
    const Columns& c = columns[static_cast<int>(axis)];
    const float rotation[16] = {c.x[0], c.x[1], c.x[2], 0, c.y[0], c.y[1], c.y[2], 0,
                                c.z[0], c.z[1], c.z[2], 0, 0,      0,      0,      1};
    std::copy(std::begin(rotation), std::end(rotation), camera.rotation);
}

void setUpLighting() {
    glEnable(GL_LIGHTING);
    glEnable(GL_NORMALIZE);
    glEnable(GL_LIGHT0);
    glLightfv(GL_LIGHT0, GL_AMBIENT, lightAmbient);
    glLightfv(GL_LIGHT0, GL_DIFFUSE, lightDiffuse);
    glLightfv(GL_LIGHT0, GL_POSITION, lightPosition);
    glEnable(GL_DEPTH_TEST);
}

void drawFrame(const Camera& camera, const Group* scene, const Model* model, const FrameLook& look) {
    const float(&background)[3] = look.light ? white : darkGrey;
    glClearColor(background[0], background[1], background[2], 1.0f);
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    glMatrixMode(GL_PROJECTION);
    glLoadIdentity();
    gluPerspective(static_cast<double>(camera.zoom) + 30.0, camera.aspect, camera.nearPlane, camera.farPlane);
    glMatrixMode(GL_MODELVIEW);
    glLoadIdentity();
    glTranslatef(0.0f, 0.0f, -2.6f);
    glTranslatef(camera.pan[0], camera.pan[1], -camera.dolly);
    glMultMatrixf(camera.rotation);
    glEnable(GL_LIGHTING);
    glEnable(GL_BLEND);
    glBlendFunc(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA);
    if (!look.teaching && !look.light && look.lineScale == 1 && !look.chargeLabels && !look.legend) {
        if (scene) scene->draw();
        return;
    }
    glPushAttrib(GL_ENABLE_BIT | GL_LINE_BIT | GL_LIGHTING_BIT | GL_CURRENT_BIT | GL_HINT_BIT);
    if (look.light && scene) drawShadedGrids(*scene);
    const LegendBars bars = look.legend && scene && model ? legendBarsOf(*scene) : LegendBars{};
    const float(&textColour)[3] = look.light ? darkGrey : lightGrey;
    {
        const PrintColours printColours(look.light);
        glLineWidth(static_cast<float>(look.lineScale * (look.teaching ? teachingLineWidth : 1)));
        if (look.teaching) {
            glEnable(GL_LINE_SMOOTH);
            glHint(GL_LINE_SMOOTH_HINT, GL_NICEST);
            // The opaque balls and arrowheads go first, so that the translucent surfaces
            // drawn after them show them through.
            if (model) drawTeachingMarks(*model, scene);
        }
        if (scene) scene->draw();
        // The strength bar in print colours, as the lines it tells of.
        if (bars.strength) drawLegend(*model, bars, {false, true}, textColour, look.lineScale);
    }
    // The potential bar in the map's own colours, the labels on halos of the background's.
    if (bars.potential) drawLegend(*model, bars, {true, false}, textColour, look.lineScale);
    if (look.chargeLabels && model) drawChargeLabels(*model, look.lineScale, background);
    glPopAttrib();
}

}  // namespace kelvaro
