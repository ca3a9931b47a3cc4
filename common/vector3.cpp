#include "common/vector3.h"

#include <cmath>

namespace kelvaro {

Vector3 sum(const Vector3& a, const Vector3& b) { return {a.x + b.x, a.y + b.y, a.z + b.z}; }

Vector3 difference(const Vector3& a, const Vector3& b) { return {a.x - b.x, a.y - b.y, a.z - b.z}; }

void addInPlace(Vector3& a, const Vector3& b) {
    a.x += b.x;
    a.y += b.y;
    a.z += b.z;
}

Vector3 scaled(const Vector3& a, float s) { return {a.x * s, a.y * s, a.z * s}; }

void scaleInPlace(Vector3& a, float s) {
    a.x *= s;
    a.y *= s;
    a.z *= s;
}

double normalize(Vector3& a) {
    const double x = a.x;
    const double y = a.y;
    const double z = a.z;
    const double length = std::sqrt(x * x + y * y + z * z);
    a.x = static_cast<float>(x / length);
    a.y = static_cast<float>(y / length);
    a.z = static_cast<float>(z / length);
    return length;
}

}  // namespace kelvaro
