#pragma once
// Saving a Model as a model file.

#include <string>

#include "model/model.h"

namespace kelvaro {

// Writes `model` to `path` as a model file that reads back into the same model
// (modelFileText), whole or not at all (WholeFile). Answers why it could not, in a few
// lowercase words ("the file name is empty", "it is a folder", the system's words such
// as "Permission denied"), or an empty text when the file was written.
std::string saveModelFile(const Model& model, const std::string& path);

}  // namespace kelvaro
