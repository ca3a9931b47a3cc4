#pragma once
// The main window's camera brought to the model: the wheel's step towards it, which stops
// where the box fills the scene and keeps the near clipping plane in front of the box, and
// the views along an axis, framed. Window-free.

#include <string>

#include "render/frame.h"

namespace kelvaro {

class ABox;

// How far one step of the wheel moves the scene towards or away from the eye.
inline constexpr float dollyPerWheelStep = 0.25f;

// One step of the wheel: the scene `nearer` to the eye, or farther from it. With the
// model's `box`, a step nearer stops where the box's centre is as near as fitCamera would
// bring it (the box then fills the scene), and the near clipping plane moves in front of
// the box whenever the box comes nearer than it; nothing else of the camera changes.
void wheelDolly(Camera& camera, const ABox* box, bool nearer);

// Looks along `axis` and frames the box in that direction (fitCamera). Answers why the box
// cannot be framed (the camera then only looks along the axis), or an empty text; without
// a box it only looks along the axis.
std::string viewAlong(Camera& camera, ViewAxis axis, const ABox* box);

}  // namespace kelvaro
