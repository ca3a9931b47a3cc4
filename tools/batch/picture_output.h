#pragma once
// The files that kelvaro-batch png and gif write: the scene drawn without a window,
// through EGL.

#include <cstdio>
#include <string>

#include "model/model.h"
#include "scene/group.h"
#include "tools/batch/batch_command.h"

namespace kelvaro::batch {

// Draws `scene` (which shows `model`) as the command's picture options say (by default
// as the program's main window shows it at start) and writes it to the command's output
// path: one PNG picture, or for gif a GIF animation of one turn. Whole or not at all.
// Answers whether the file was written; a failure is reported on `err` as one line.
bool writePicture(const Model& model, const Group& scene, const Command& command, std::FILE* err);

}  // namespace kelvaro::batch
