#pragma once
// Pictures of a model's scene in memory, drawn without a window (through EGL): the one
// way kelvaro-batch (and any other caller) turns a scene and picture options into pixels.

#include <string>
#include <vector>

#include "render/picture_view.h"

namespace kelvaro {
class Group;
class Model;
}  // namespace kelvaro

namespace kelvaro {

// The most pixels that the pictures of one call may hold together.
inline constexpr long long maxPicturePixels = 1LL << 28;

// Draws `frames` pictures of `scene` (which shows `model`) as `options` say, turning the
// scene once about the vertical axis over them (see pictureCameras); one frame is the
// picture as asked. Answers false with a one-line reason in `error` (without a program
// name) when the view cannot be made, the pictures would be too large, or no GL context
// can be had.
bool drawPictures(const Model& model, const Group& scene, const PictureOptions& options, int frames,
                  std::vector<Picture>& pictures, std::string& error);

}  // namespace kelvaro
