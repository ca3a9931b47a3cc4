#include "render/teaching_style.h"

#include <GL/gl.h>
#include <GL/glu.h>

#include <algorithm>
#include <cmath>
#include <memory>
#include <numbers>
#include <string>

#include "model/model.h"
#include "model/model_colors.h"
#include "render/overlays.h"
#include "render/stroke_text.h"
#include "scene/attribute_set.h"
#include "scene/group.h"
#include "scene/primitives.h"
#include "scene/shaded_primitives.h"
#include "viz/colour_maps.h"

namespace kelvaro {
namespace {

// Sizes as fractions of the box's diagonal, chosen so that the dipole's charges and arrows
// read at once on a slide while the 99 charges of a cloud still leave room between them.
constexpr double largestBallFraction = 0.02;
constexpr double smallestBallShare = 0.4;
constexpr double arrowSpacingFraction = 0.12;
constexpr double arrowLengthFraction = 0.02;
constexpr double arrowHalfWidthShare = 0.36;  // of the arrow's length

// Red and blue that read on the dark background and, in print colours, on white.
constexpr float positiveColor[3] = {0.9f, 0.12f, 0.1f};
constexpr float negativeColor[3] = {0.2f, 0.45f, 1.0f};
constexpr float neutralColor[3] = {0.6f, 0.6f, 0.6f};

void setBallMaterial(const float (&color)[3]) {
    const GLfloat ambient[4] = {0.35f * color[0], 0.35f * color[1], 0.35f * color[2], 1.0f};
    const GLfloat diffuse[4] = {0.75f * color[0], 0.75f * color[1], 0.75f * color[2], 1.0f};
    const GLfloat specular[4] = {0.35f, 0.35f, 0.35f, 1.0f};
    const GLfloat none[4] = {0.0f, 0.0f, 0.0f, 1.0f};
    glMaterialfv(GL_FRONT, GL_AMBIENT, ambient);
    glMaterialfv(GL_FRONT, GL_DIFFUSE, diffuse);
    glMaterialfv(GL_FRONT, GL_SPECULAR, specular);
    glMaterialfv(GL_FRONT, GL_EMISSION, none);
    glMaterialf(GL_FRONT, GL_SHININESS, 30.0f);
}

const float (&ballColour(double value))[3] {
    return value > 0.0 ? positiveColor : value < 0.0 ? negativeColor : neutralColor;
}

// The radius of a charge's ball: never smaller than the model's own white sphere, which it hides.
double ballRadius(const Model& model, const Charge& charge, double diagonal, double largest) {
    return std::max(chargeBallRadius(diagonal, charge.value, largest), 1.25 * model.chargeRadius());
}

// The height of a charge's value beside it, its strokes' width and the width of the
// halo round them in the background's colour, in picture pixels.
constexpr double labelHeight = 16.0;
constexpr float labelStroke = 2.0f;
constexpr float labelHalo = 4.5f;

void drawChargeBalls(const Model& model, double diagonal) {
    const double largest = largestChargeMagnitude(model);
    const std::unique_ptr<GLUquadric, void (*)(GLUquadric*)> quadric(gluNewQuadric(), gluDeleteQuadric);
    if (!quadric) return;
    glEnable(GL_LIGHTING);
    for (const Charge& charge : model.charges()) {
        setBallMaterial(ballColour(charge.value));
        glPushMatrix();
        glTranslatef(charge.position.x, charge.position.y, charge.position.z);
        gluSphere(quadric.get(), ballRadius(model, charge, diagonal, largest), 24, 16);
        glPopMatrix();
    }
}

struct Direction {
    double x, y, z;
};

Direction unitOrZero(double x, double y, double z) {
    const double length = std::sqrt(x * x + y * y + z * z);
    if (!(length > 0.0) || !std::isfinite(length)) return {0.0, 0.0, 0.0};
    return {x / length, y / length, z / length};
}

// A cone of `length` centred on `centre`, its tip along `along` (a unit vector).
void drawArrowhead(const Direction& centre, const Direction& along, double length) {
    constexpr int sides = 10;
    // Two directions across the arrow: the axis crossed with whichever coordinate axis it
    // is least parallel to, then the axis crossed with that.
    const Direction helper = std::fabs(along.x) < 0.9 ? Direction{1, 0, 0} : Direction{0, 1, 0};
    const Direction across = unitOrZero(along.y * helper.z - along.z * helper.y, along.z * helper.x - along.x * helper.z,
                                        along.x * helper.y - along.y * helper.x);
    const Direction other{along.y * across.z - along.z * across.y, along.z * across.x - along.x * across.z,
                          along.x * across.y - along.y * across.x};
    const double half = 0.5 * length, radius = arrowHalfWidthShare * length;
    const auto vertex = [](double x, double y, double z) {
        glVertex3f(static_cast<float>(x), static_cast<float>(y), static_cast<float>(z));
    };
    const Direction base{centre.x - along.x * half, centre.y - along.y * half, centre.z - along.z * half};
    const auto rim = [&](int side) {
        const double angle = 2.0 * std::numbers::pi * side / sides;
        const double c = std::cos(angle) * radius, s = std::sin(angle) * radius;
        vertex(base.x + across.x * c + other.x * s, base.y + across.y * c + other.y * s,
               base.z + across.z * c + other.z * s);
    };
    glBegin(GL_TRIANGLE_FAN);
    vertex(centre.x + along.x * half, centre.y + along.y * half, centre.z + along.z * half);
    for (int side = 0; side <= sides; ++side) rim(side);
    glEnd();
    glBegin(GL_TRIANGLE_FAN);
    vertex(base.x, base.y, base.z);
    for (int side = sides; side >= 0; --side) rim(side);
    glEnd();
}

// The arrowheads of one field line, each turned along the model's field where it sits.
void drawLineArrows(const Model& model, const PolyLine& line, double spacing, double length) {
    double lineLength = 0.0;
    for (std::int32_t i = 1; i < line.count(); ++i) {
        const Vector3 d = difference(line.point(i), line.point(i - 1));
        lineLength += std::sqrt(double(d.x) * d.x + double(d.y) * d.y + double(d.z) * d.z);
    }
    if (!std::isfinite(lineLength)) return;
    const std::vector<double> places = arrowPlaces(lineLength, spacing, length);
    if (places.empty()) return;
    const Vector3 color = line.attributes() && line.attributes()->has(AttributeSet::ColorSet)
                              ? line.attributes()->color()
                              : fieldLineColor;
    glColor3f(color.x, color.y, color.z);
    // A line coloured by strength gives each arrowhead the colour where it sits.
    const auto* shaded = dynamic_cast<const ShadedPolyLine*>(&line);
    std::size_t next = 0;
    double travelled = 0.0;
    for (std::int32_t i = 1; i < line.count() && next < places.size(); ++i) {
        if (shaded) glColor3f(shaded->colour(i - 1).x, shaded->colour(i - 1).y, shaded->colour(i - 1).z);
        const Vector3& from = line.point(i - 1);
        const Vector3& to = line.point(i);
        const double dx = double(to.x) - from.x, dy = double(to.y) - from.y, dz = double(to.z) - from.z;
        const double step = std::sqrt(dx * dx + dy * dy + dz * dz);
        for (; next < places.size() && places[next] <= travelled + step; ++next) {
            const double t = step > 0.0 ? (places[next] - travelled) / step : 0.0;
            const Direction centre{from.x + dx * t, from.y + dy * t, from.z + dz * t};
            const Vector3 field = model.fieldAt(
                Vector3{static_cast<float>(centre.x), static_cast<float>(centre.y), static_cast<float>(centre.z)});
            const double sense = dx * field.x + dy * field.y + dz * field.z < 0.0 ? -1.0 : 1.0;
            const Direction along = unitOrZero(dx * sense, dy * sense, dz * sense);
            if (along.x != 0.0 || along.y != 0.0 || along.z != 0.0) drawArrowhead(centre, along, length);
        }
        travelled += step;
    }
}

void drawArrows(const Model& model, const Group& group, double spacing, double length) {
    for (std::int32_t i = 0; i < group.count(); ++i) {
        const SceneObject& child = group.child(i);
        if (child.typeCode() == GroupType) {
            drawArrows(model, static_cast<const Group&>(child), spacing, length);
        } else if (child.typeCode() == PolyLineType && dynamic_cast<const LevelLine*>(&child) == nullptr) {
            drawLineArrows(model, static_cast<const PolyLine&>(child), spacing, length);
        }
    }
}

}  // namespace

double chargeBallRadius(double diagonal, double value, double largest) {
    const double share = largest > 0.0 ? std::cbrt(std::fabs(value) / largest) : 0.0;
    return largestBallFraction * diagonal * std::max(share, smallestBallShare);
}

std::vector<double> arrowPlaces(double length, double spacing, double headLength) {
    std::vector<double> places;
    if (!(spacing > 0.0) || !(length >= 3.0 * headLength)) return places;
    const double middle = 0.5 * length;
    const int reach = length < spacing ? 0 : static_cast<int>(std::floor((middle - 0.5 * spacing) / spacing));
    for (int k = -reach; k <= reach; ++k) places.push_back(middle + k * spacing);
    return places;
}

void drawTeachingMarks(const Model& model, const Group* scene) {
    const double diagonal = boxDiagonal(model);
    if (!(diagonal > 0.0) || !std::isfinite(diagonal)) return;
    glPushAttrib(GL_ENABLE_BIT | GL_LIGHTING_BIT | GL_CURRENT_BIT);
    drawChargeBalls(model, diagonal);
    if (scene) {
        glDisable(GL_LIGHTING);
        drawArrows(model, *scene, arrowSpacingFraction * diagonal, arrowLengthFraction * diagonal);
    }
    glPopAttrib();
}

void drawChargeLabels(const Model& model, int scale, const float (&background)[3]) {
    GLdouble modelView[16], projection[16];
    GLint viewport[4];
    glGetDoublev(GL_MODELVIEW_MATRIX, modelView);
    glGetDoublev(GL_PROJECTION_MATRIX, projection);
    glGetIntegerv(GL_VIEWPORT, viewport);
    const double diagonal = boxDiagonal(model), largest = largestChargeMagnitude(model);
    // The eye's horizontal axis in the model's coordinates: the first row of the model view.
    const Direction right = unitOrZero(modelView[0], modelView[4], modelView[8]);
    struct Label {
        double x, y;
        const float* colour;
        std::string text;
    };
    std::vector<Label> labels;
    for (const Charge& charge : model.charges()) {
        const Vector3& p = charge.position;
        double x = 0, y = 0, depth = 0, edgeX = 0, edgeY = 0, edgeDepth = 0;
        if (!gluProject(p.x, p.y, p.z, modelView, projection, viewport, &x, &y, &depth) || !(depth >= 0.0 && depth <= 1.0))
            continue;
        const double radius = std::isfinite(diagonal) ? ballRadius(model, charge, diagonal, largest) : model.chargeRadius();
        if (!gluProject(p.x + right.x * radius, p.y + right.y * radius, p.z + right.z * radius, modelView, projection,
                        viewport, &edgeX, &edgeY, &edgeDepth))
            continue;
        const double shift = 0.75 * std::hypot(edgeX - x, edgeY - y) + 2.0 * scale;
        if (!std::isfinite(shift)) continue;
        labels.push_back({x - viewport[0] + shift, y - viewport[1] + shift, ballColour(charge.value),
                          chargeLabelText(charge.value)});
    }
    const PixelOverlay overlay;
    glLineWidth(labelHalo * static_cast<float>(scale));
    glColor3f(background[0], background[1], background[2]);
    for (const Label& label : labels) drawStrokeText(label.text, label.x, label.y, labelHeight * scale);
    glLineWidth(labelStroke * static_cast<float>(scale));
    for (const Label& label : labels) {
        glColor3f(label.colour[0], label.colour[1], label.colour[2]);
        drawStrokeText(label.text, label.x, label.y, labelHeight * scale);
    }
}

}  // namespace kelvaro
