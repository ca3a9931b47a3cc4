#pragma once
// Writing a Model as the text of a model file, and saving it as one.

#include <optional>
#include <string>
#include <string_view>

#include "model/model.h"

namespace kelvaro {

// A model file that reads back into `model`: `leadingComments` (comment lines, as
// leadingCommentLines gives them), a comment line of its own, MODEL with the name, BOUNDS
// from the min to the max corner, AXES ON and BOX ON when set, and one POINT per charge
// in order. Every number is written so that the reader gives the same single-precision
// bits (modelNumberText), and the name with the escapes the reader undoes. None when the
// model holds what no model file states: a number that is not a number, or a NUL
// character in the name.
std::optional<std::string> modelFileText(const Model& model, std::string_view leadingComments = {});

// The comment lines at the head of the model file `path` (before its first line that is
// not a comment of two backslashes), each ending with a line feed, for a saved copy of
// its model to keep; the line that Kelvaro writes itself is left out. Empty when the file
// cannot be read.
std::string leadingCommentLines(const std::string& path);

// Writes `model` to `path` as a model file that reads back into the same model
// (modelFileText), whole or not at all (WholeFile). Answers why it could not, in a few
// lowercase words ("the file name is empty", "it is a folder", the system's words such
// as "Permission denied"), or an empty text when the file was written.
std::string saveModelFile(const Model& model, const std::string& path, std::string_view leadingComments = {});

}  // namespace kelvaro
