#pragma once
// The picture that kelvaro-batch png writes: the scene drawn without a window, through EGL.

#include <cstdio>
#include <string>

#include "app/picture_file.h"
#include "scene/group.h"
#include "tools/batch/batch_command.h"

namespace kelvaro::batch {

// Draws `scene` as the program's main window shows it at start, at the command's size and
// turned by its angles, without a window. Answers false, with the reason in `error`, when
// no usable GL context can be had.
bool drawPicture(const Group& scene, const Command& command, Picture& picture, std::string& error);

// Draws the picture as drawPicture does and writes it to the command's output path as
// a PNG file, whole or not at all. Answers whether the file was written; a failure is
// reported on `err` as one line.
bool writePicture(const Group& scene, const Command& command, std::FILE* err);

}  // namespace kelvaro::batch
