// The scene classes' immediate-mode OpenGL drawing, the only part of the scene that calls
// GL. The desktop program, kelvaro-batch's pictures and the tests (with the recording
// stand-in) build it; the browser edition builds its own drawing of the same classes
// (web/scene_buffers.cpp), which fills the arrays that WebGL draws.

#include <GL/gl.h>
#include <GL/glu.h>

#include <cmath>

#include "scene/attribute_set.h"
#include "scene/label.h"
#include "scene/primitives.h"

namespace kelvaro {
namespace {

void vertex(const Vector3& p) { glVertex3f(p.x, p.y, p.z); }

bool wireframe(const AttributeSet* set) { return set != nullptr && set->has(AttributeSet::Wireframe); }

// The set's colour times `factor`, with its alpha (0 without one), as a front-face material.
void applyMaterial(const AttributeSet& set, GLenum parameter, float factor) {
    const Vector3& color = set.color();
    const GLfloat value[4] = {color.x * factor, color.y * factor, color.z * factor,
                              set.has(AttributeSet::AlphaSet) ? set.alpha() : 0.0f};
    glMaterialfv(GL_FRONT, parameter, value);
}

}  // namespace

void AttributeSet::draw() const {
    if (!has(ColorSet)) return;
    if (!has(Lighting)) {
        glDisable(GL_LIGHTING);
        glColor3f(color_.x, color_.y, color_.z);
        return;
    }
    glEnable(GL_LIGHTING);
    if (has(AmbientSet)) applyMaterial(*this, GL_AMBIENT, ambient_);
    if (has(DiffuseSet)) applyMaterial(*this, GL_DIFFUSE, diffuse_);
    if (has(SpecularSet)) applyMaterial(*this, GL_SPECULAR, specular_);
    if (has(ShininessSet)) glMaterialf(GL_FRONT, GL_SHININESS, shininess_);
}

void Point::draw() const {
    drawAttributes();
    vertex(position);
}

void Line::draw() const {
    drawAttributes();
    glBegin(GL_LINES);
    vertex(start);
    vertex(end);
    glEnd();
}

void PolyLine::draw() const {
    drawAttributes();
    glBegin(GL_LINE_STRIP);
    if (count() > 1) {
        for (std::int32_t i = 0; i < count(); ++i) vertex(point(i));
    }
    glEnd();
}

void ABox::draw() const {
    const float x0 = min.x, y0 = min.y, z0 = min.z;
    const float x1 = max.x, y1 = max.y, z1 = max.z;
    drawAttributes();
    if (wireframe(attributes())) {
        glDisable(GL_LIGHTING);
        glBegin(GL_LINE_LOOP);
        glVertex3f(x0, y1, z1), glVertex3f(x1, y1, z1), glVertex3f(x1, y0, z1), glVertex3f(x0, y0, z1);
        glEnd();
        glBegin(GL_LINE_LOOP);
        glVertex3f(x0, y1, z0), glVertex3f(x1, y1, z0), glVertex3f(x1, y0, z0), glVertex3f(x0, y0, z0);
        glEnd();
        glBegin(GL_LINES);
        glVertex3f(x0, y1, z0), glVertex3f(x0, y1, z1);
        glVertex3f(x1, y1, z0), glVertex3f(x1, y1, z1);
        glVertex3f(x1, y0, z0), glVertex3f(x1, y0, z1);
        glVertex3f(x0, y0, z0), glVertex3f(x0, y0, z1);
        glEnd();
        glEnable(GL_LIGHTING);
        return;
    }
    glBegin(GL_QUAD_STRIP);  // the four sides
    glVertex3f(x0, y1, z1), glVertex3f(x0, y0, z1), glVertex3f(x1, y1, z1), glVertex3f(x1, y0, z1);
    glVertex3f(x1, y1, z0), glVertex3f(x1, y0, z0), glVertex3f(x0, y1, z0), glVertex3f(x0, y0, z0);
    glVertex3f(x0, y1, z1), glVertex3f(x0, y0, z1);
    glEnd();
    glBegin(GL_QUADS);  // the face at y0
    glVertex3f(x0, y0, z1), glVertex3f(x1, y0, z1), glVertex3f(x1, y0, z0), glVertex3f(x0, y0, z0);
    glEnd();
    glBegin(GL_QUADS);  // the face at y1
    glVertex3f(x0, y1, z1), glVertex3f(x1, y1, z1), glVertex3f(x1, y1, z0), glVertex3f(x0, y1, z0);
    glEnd();
}

void Sphere::draw() const {
    drawAttributes();
    glPushMatrix();
    glTranslatef(center.x, center.y, center.z);
    GLUquadric* quadric = gluNewQuadric();
    if (quadric != nullptr) {
        gluSphere(quadric, axes[0].x, 10, 10);
        gluDeleteQuadric(quadric);
    }
    glPopMatrix();
}

void Label::draw() const {
    drawAttributes();
    GLfloat view[16];
    glGetFloatv(GL_MODELVIEW_MATRIX, view);
    // Rows of the rotation part: the eye's right and up in model coordinates.
    const auto eyeAxis = [&](int row) {
        const double x = view[row], y = view[row + 4], z = view[row + 8];
        const double length = std::sqrt(x * x + y * y + z * z);
        return length > 0.0 ? Vector3d{x / length, y / length, z / length} : Vector3d{};
    };
    glBegin(GL_LINES);
    for (const Vector3& end : strokeEnds(eyeAxis(0), eyeAxis(1))) vertex(end);
    glEnd();
}

void Triangle::draw() const {
    drawAttributes();
    if (wireframe(attributes())) {
        glDisable(GL_LIGHTING);
        glBegin(GL_LINE_LOOP);
        for (const Vector3& v : vertices) glVertex3fv(&v.x);
        glEnd();
        return;
    }
    glBegin(GL_TRIANGLES);
    for (int i = 0; i < 3; ++i) {
        if (hasNormal[i]) glNormal3fv(&normals[i].x);
        glVertex3fv(&vertices[i].x);
    }
    glEnd();
}

}  // namespace kelvaro
