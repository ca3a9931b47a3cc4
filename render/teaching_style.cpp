#include "render/teaching_style.h"

#include <GL/gl.h>
#include <GL/glu.h>

#include <cmath>
#include <memory>
#include <numbers>
#include <optional>
#include <vector>

#include "model/model.h"
#include "scene/group.h"
#include "scene/primitives.h"

namespace kelvaro {
namespace {

constexpr double arrowHalfWidthShare = 0.36;  // of the arrow's length

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

// The arrowheads of every field line below `group` (its polylines), each in its line's colour.
void drawArrows(const Model& model, const Group& group, const TeachingSizes& sizes) {
    for (std::int32_t i = 0; i < group.count(); ++i) {
        const SceneObject& child = group.child(i);
        if (child.typeCode() == GroupType) {
            drawArrows(model, static_cast<const Group&>(child), sizes);
        } else if (child.typeCode() == PolyLineType) {
            const std::optional<LineArrows> arrows = lineArrows(model, static_cast<const PolyLine&>(child), sizes);
            if (!arrows) continue;
            glColor3f(arrows->color.x, arrows->color.y, arrows->color.z);
            for (const Arrowhead& head : arrows->heads) {
                if (!head.pointsSomewhere()) continue;
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

}  // namespace kelvaro
