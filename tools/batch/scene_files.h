#pragma once
// The files kelvaro-batch writes with -o: a picture of the scene, or the scene's geometry
// with its colours. Each file is written whole or not at all; a failure is reported on
// `err` as one line, "kelvaro-batch: cannot write PATH: why".

#include <cstdio>
#include <functional>
#include <string>

#include "scene/group.h"
#include "tools/batch/batch_command.h"
#include "tools/batch/obj_writer.h"

namespace kelvaro::batch {

// Draws `scene` as the program's main window shows it at start, at the command's size and
// turned by its angles, without a window, and writes it to the command's output path as
// a PNG file. Answers whether the file was written.
bool writePicture(const Group& scene, const Command& command, std::FILE* err);

// Writes an OBJ file at `objPath` whose elements `writeElements` puts through the writer
// it is given, and the MTL file of the materials they use beside it (FILE.obj gives
// FILE.mtl, any other name gets ".mtl" appended). Answers whether both were written; when
// the OBJ file cannot take its place at the end, the MTL file written for it is removed.
bool writeObjFiles(const std::string& objPath, const std::function<void(ObjWriter&)>& writeElements, std::FILE* err);

}  // namespace kelvaro::batch
