#pragma once
// The teaching style's red and blue, for what is positive or points outward and for what is
// negative or points inward: they read on the dark background and, turned into print
// colours, on white.

#include "common/vector3.h"

namespace kelvaro {

inline constexpr Vector3 teachingRed{0.9f, 0.12f, 0.1f};
inline constexpr Vector3 teachingBlue{0.2f, 0.45f, 1.0f};

}  // namespace kelvaro
