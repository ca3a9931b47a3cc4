#include "render/teaching_style.h"

#include <GL/gl.h>
#include <GL/glu.h>

#include <cmath>
#include <memory>
#include <numbers>
#include <optional>
#include <string>
#include <vector>

#include "model/model.h"
#include "render/overlays.h"
#include "render/stroke_text.h"
#include "scene/group.h"
#include "scene/primitives.h"
#include "scene/shaded_primitives.h"

namespace kelvaro {
namespace {

constexpr double arrowHalfWidthShare = 0.36;  // of the arrow's length

// The height of a charge's value beside it, its strokes' width and the width of the
// halo round them in the background's colour, in picture pixels.
constexpr double labelHeight = 16.0;
constexpr float labelStroke = 2.0f;
constexpr float labelHalo = 4.5f;

void setBallMaterial(const Vector3& color) {
    const GLfloat ambient[4] = {0.35f * color.x, 0.35f * color.y, 0.35f * color.z, 1.0f};
    const GLfloat diffuse[4] = {0.75f * color.x, 0.75f * color.y, 0.75f * color.z, 1.0f};
    const GLfloat specular[4] = {0.35f, 0.35f, 0.35f, 1.0f};
    const GLfloat none[4] = {0.0f, 0.0f, 0.0f, 1.0f};
    glMaterialfv(GL_FRONT, GL_AMBIENT, ambient);
    glMaterialfv(GL_FRONT, GL_DIFFUSE, diffuse);
    glMaterialfv(GL_FRONT, GL_SPECULAR, specular);
    glMaterialfv(GL_FRONT, GL_EMISSION, none);
    glMaterialf(GL_FRONT, GL_SHININESS, 30.0f);
}

void drawChargeBalls(const Model& model, double diagonal) {
    const std::unique_ptr<GLUquadric, void (*)(GLUquadric*)> quadric(gluNewQuadric(), gluDeleteQuadric);
    if (!quadric) return;
    glEnable(GL_LIGHTING);
    const std::vector<ChargeBall> balls = chargeBalls(model, diagonal);
    for (std::size_t i = 0; i < balls.size(); ++i) {
        const Vector3& at = model.charges()[i].position;
        setBallMaterial(balls[i].color);
        glPushMatrix();
        glTranslatef(at.x, at.y, at.z);
        gluSphere(quadric.get(), balls[i].radius, 24, 16);
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

// The arrowheads of every field line below `group` (its polylines but the level lines),
// each in its line's colour, or for a line coloured by strength in the colour where it sits.
void drawArrows(const Model& model, const Group& group, const TeachingSizes& sizes) {
    for (std::int32_t i = 0; i < group.count(); ++i) {
        const SceneObject& child = group.child(i);
        if (child.typeCode() == GroupType) {
            drawArrows(model, static_cast<const Group&>(child), sizes);
        } else if (child.typeCode() == PolyLineType && dynamic_cast<const LevelLine*>(&child) == nullptr) {
            const std::optional<LineArrows> arrows = lineArrows(model, static_cast<const PolyLine&>(child), sizes);
            if (!arrows) continue;
            glColor3f(arrows->color.x, arrows->color.y, arrows->color.z);
            const auto* shaded = dynamic_cast<const ShadedPolyLine*>(&child);
            for (const Arrowhead& head : arrows->heads) {
                if (!head.pointsSomewhere()) continue;
                if (shaded) {
                    const Vector3& colour = shaded->colour(head.segment);
                    glColor3f(colour.x, colour.y, colour.z);
                }
                drawArrowhead({head.centre[0], head.centre[1], head.centre[2]},
                              {head.along[0], head.along[1], head.along[2]}, sizes.arrowLength);
            }
        }
    }
}

}  // namespace

void drawTeachingMarks(const Model& model, const Group* scene) {
    const std::optional<TeachingSizes> sizes = teachingSizes(model);
    if (!sizes) return;
    glPushAttrib(GL_ENABLE_BIT | GL_LIGHTING_BIT | GL_CURRENT_BIT);
    drawChargeBalls(model, sizes->diagonal);
    if (scene) {
        glDisable(GL_LIGHTING);
        drawArrows(model, *scene, *sizes);
    }
    glPopAttrib();
}

void drawChargeLabels(const Model& model, int scale, const float (&background)[3]) {
    GLdouble modelView[16], projection[16];
    GLint viewport[4];
    glGetDoublev(GL_MODELVIEW_MATRIX, modelView);
    glGetDoublev(GL_PROJECTION_MATRIX, projection);
    glGetIntegerv(GL_VIEWPORT, viewport);
    const std::optional<TeachingSizes> sizes = teachingSizes(model);
    const std::vector<ChargeBall> balls = chargeBalls(model, sizes ? sizes->diagonal : 0.0);
    // The eye's horizontal axis in the model's coordinates: the first row of the model view.
    const Direction right = unitOrZero(modelView[0], modelView[4], modelView[8]);
    struct Label {
        double x, y;
        Vector3 colour;
        std::string text;
    };
    std::vector<Label> labels;
    for (std::size_t i = 0; i < balls.size(); ++i) {
        const Vector3& p = model.charges()[i].position;
        const double radius = balls[i].radius;
        double x = 0, y = 0, depth = 0, edgeX = 0, edgeY = 0, edgeDepth = 0;
        if (!gluProject(p.x, p.y, p.z, modelView, projection, viewport, &x, &y, &depth) || !(depth >= 0.0 && depth <= 1.0))
            continue;
        if (!gluProject(p.x + right.x * radius, p.y + right.y * radius, p.z + right.z * radius, modelView, projection,
                        viewport, &edgeX, &edgeY, &edgeDepth))
            continue;
        const double shift = 0.75 * std::hypot(edgeX - x, edgeY - y) + 2.0 * scale;
        if (!std::isfinite(shift)) continue;
        labels.push_back({x - viewport[0] + shift, y - viewport[1] + shift, balls[i].color,
                          chargeLabelText(model.charges()[i].value)});
    }
    const PixelOverlay overlay;
    glLineWidth(labelHalo * static_cast<float>(scale));
    glColor3f(background[0], background[1], background[2]);
    for (const Label& label : labels) drawStrokeText(label.text, label.x, label.y, labelHeight * scale);
    glLineWidth(labelStroke * static_cast<float>(scale));
    for (const Label& label : labels) {
        glColor3f(label.colour.x, label.colour.y, label.colour.z);
        drawStrokeText(label.text, label.x, label.y, labelHeight * scale);
    }
}

}  // namespace kelvaro
