#pragma once
// Colours of the model's own geometry and of field lines, fixed for the whole program.

#include "common/vector3.h"

namespace kelvaro {

// Every charge sphere, whatever the sign or size of its charge.
inline constexpr Vector3 chargeColor{1.0f, 1.0f, 1.0f};
// The three coordinate axes.
inline constexpr Vector3 axisColor{0.5f, 0.5f, 0.5f};
// Every field line.
inline constexpr Vector3 fieldLineColor{0.7f, 0.7f, 0.0f};

}  // namespace kelvaro
