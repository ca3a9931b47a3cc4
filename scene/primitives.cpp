#include "scene/primitives.h"

#include <cmath>

#include "common/number_text.h"
#include "scene/attribute_set.h"
#include "scene/print_checked.h"

namespace kelvaro {
namespace {

double widened(float value) { return static_cast<double>(value); }

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

bool Line::print(std::FILE* stream) const {
    return printChecked(stream, "Line(") && printAttributes(stream) && printPointPair(stream, start, end);
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

bool ABox::contains(const Vector3& p) const {
    // Written so that a not-a-number coordinate fails every comparison and gives false.
    return min.x <= p.x && p.x <= max.x && min.y <= p.y && p.y <= max.y && min.z <= p.z && p.z <= max.z;
}

bool ABox::print(std::FILE* stream) const {
    return printChecked(stream, "ABox(") && printAttributes(stream) && printPointPair(stream, min, max);
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

}  // namespace kelvaro
