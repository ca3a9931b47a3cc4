#include "common/vector3.h"

#include <cmath>

namespace kelvaro {

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
