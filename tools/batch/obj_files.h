#pragma once
// The OBJ file that kelvaro-batch writes with -o, and the MTL file of its colours beside it.
// Each file is written whole or not at all; a failure is reported on `err` as one line,
// "kelvaro-batch: cannot write PATH: why".

#include <cstdio>
#include <functional>
#include <string>

#include "tools/batch/obj_writer.h"

namespace kelvaro::batch {

// Writes an OBJ file at `objPath` whose elements `writeElements` puts through the writer
// it is given, and the MTL file of the materials they use beside it (FILE.obj gives
// FILE.mtl, any other name gets ".mtl" appended). Answers whether both were written; the
// two are committed together (see commitTogether), so that a failure leaves both older
// files as they were.
bool writeObjFiles(const std::string& objPath, const std::function<void(ObjWriter&)>& writeElements, std::FILE* err);


// Why `objPath` cannot be the name of an OBJ file with its materials, or an empty text.
// The OBJ file names its MTL file on its "mtllib" line, where OBJ readers end the name at a
// blank and the statement at a line break: the file's own name (which the MTL file's
// shares) may hold neither. The folders before it may.
std::string objNameProblem(const std::string& objPath);

}  // namespace kelvaro::batch
