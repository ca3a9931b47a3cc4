#include "scene/primitives.h"

#include <GL/gl.h>
#include <GL/glu.h>

#include <cmath>

#include "common/number_text.h"
#include "scene/attribute_set.h"
#include "scene/print_checked.h"

namespace kelvaro {
namespace {

double widened(float value) { return static_cast<double>(value); }

void vertex(const Vector3& p) { glVertex3f(p.x, p.y, p.z); }

bool wireframe(const AttributeSet* set) { return set != nullptr && set->has(AttributeSet::Wireframe); }

// Writes "<x>, <y>, <z><ending>" for one point.
bool printPoint(std::FILE* stream, const Vector3& p, const char* ending) {
    return printChecked(stream, "%s, %s, %s%s", numberText(p.x).c_str(), numberText(p.y).c_str(),
                        numberText(p.z).c_str(), ending);
}

// Writes "<a x>, <a y>, <a z>; <b x>, <b y>, <b z>)\n", the values of lines and boxes.
bool printPointPair(std::FILE* stream, const Vector3& a, const Vector3& b) {
    return printPoint(stream, a, "; ") && printPoint(stream, b, ")\n");
}

}  // namespace

bool Point::print(std::FILE* stream) const {
    return printChecked(stream, "Point(") && printAttributes(stream) && printPoint(stream, position, ")\n");
}

void Point::draw() const {
    drawAttributes();
    vertex(position);
}

bool Line::print(std::FILE* stream) const {
    return printChecked(stream, "Line(") && printAttributes(stream) && printPointPair(stream, start, end);
}

void Line::draw() const {
    drawAttributes();
    glBegin(GL_LINES);
    vertex(start);
    vertex(end);
    glEnd();
}

PolyLine::PolyLine(const PolyLine& source) : PointArray(source), AttributedObject(PolyLineType) {
    setAttributes(Ref<AttributeSet>::share(source.attributes()));
}

bool PolyLine::print(std::FILE* stream) const {
    if (!printChecked(stream, "PolyLine(") || !printAttributes(stream)) return false;
    if (count() == 0) return printChecked(stream, ")\n");
    for (std::int32_t i = 0; i < count(); ++i) {
        if (!printPoint(stream, point(i), i + 1 < count() ? "\n" : ")\n")) return false;
    }
    return true;
}

void PolyLine::draw() const {
    drawAttributes();
    glBegin(GL_LINE_STRIP);
    if (count() > 1) {
        for (std::int32_t i = 0; i < count(); ++i) vertex(point(i));
    }
    glEnd();
}

bool ABox::contains(const Vector3& p) const {
    // Written so that a not-a-number coordinate fails every comparison and gives false.
    return min.x <= p.x && p.x <= max.x && min.y <= p.y && p.y <= max.y && min.z <= p.z && p.z <= max.z;
}

bool ABox::print(std::FILE* stream) const {
    return printChecked(stream, "ABox(") && printAttributes(stream) && printPointPair(stream, min, max);
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

Sphere::Sphere(float radius)
    : AttributedObject(SphereType), axes{{radius, 0.0f, 0.0f}, {0.0f, radius, 0.0f}, {0.0f, 0.0f, radius}} {}

bool Sphere::print(std::FILE* stream) const {
    double lengthSum = 0.0;
    for (const Vector3& axis : axes) {
        lengthSum += std::sqrt(widened(axis.x) * axis.x + widened(axis.y) * axis.y + widened(axis.z) * axis.z);
    }
    const float radius = static_cast<float>(lengthSum / 3.0);
    return printChecked(stream, "Sphere(") && printAttributes(stream) &&
           printChecked(stream, " %s, ", numberText(radius).c_str()) && printPoint(stream, center, ")\n");
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

Triangle::Triangle(const Vector3& a, const Vector3& b, const Vector3& c)
    : AttributedObject(TriangleType), vertices{a, b, c} {}

void Triangle::setNormals(const Vector3& na, const Vector3& nb, const Vector3& nc) {
    normals[0] = na;
    normals[1] = nb;
    normals[2] = nc;
    hasNormal[0] = hasNormal[1] = hasNormal[2] = true;
}

void Triangle::clearNormals() { hasNormal[0] = hasNormal[1] = hasNormal[2] = false; }

bool Triangle::print(std::FILE*) const { return false; }

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
