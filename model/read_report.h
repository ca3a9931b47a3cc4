#pragma once
// What reading a model file tells besides the model: a warning for every statement the
// reader drops and every line it discards (the model itself is the same with or without
// them), and plain words for the codes with which a read fails. The program, kelvaro-batch
// and its info command print both in the form "FILE:LINE: ...".

#include <cstdio>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "model/model.h"
#include "model/read_warning.h"

namespace kelvaro {

// `raw` (a line of a model file, or its start) made into ReadWarning::text.
std::string warningText(std::string_view raw);

// Plain words for a read error code (37000 to 37012 and 48000, see read_errors.h), for
// example "a blank line, ..."; other codes get words saying that the error is unknown.
const char* readErrorWords(int code);

// "FILE:LINE: REASON: TEXT" (": TEXT" only when the text is not empty).
std::string formatReadWarning(std::string_view file, const ReadWarning& warning);
// "FILE:LINE: WORDS (error CODE)", for a read that failed with `code` on `line`.
std::string formatReadFailure(std::string_view file, int code, int line);

// What reading one model file gave.
struct ModelFileRead {
    std::unique_ptr<Model> model;       // null when the read failed
    std::vector<ReadWarning> warnings;  // in file order, also those before a failure
    int error = 0;                      // the read error code when the read failed
    int errorLine = 0;                  // and the line where it stopped
    int openError = 0;                  // errno's code when the file could not be opened (then
                                        // nothing was read): EISDIR for a folder
};

// Reads a model from `file` (left open) with the reading constructor of Model.
ModelFileRead readModelFile(std::FILE* file);
// Reads a model from `text`, the whole of a model file held in memory (a file chosen in a
// browser). A stream on the text that cannot be made is reported as a file that cannot be
// opened (openError).
ModelFileRead readModelText(std::string_view text);
// Opens the model file `path` in text mode, reads it and closes it: the one way the
// program, kelvaro-batch and the Python module open a model file. A folder, which opens
// on this platform but reads as an empty file, is refused like a file that cannot be
// opened.
ModelFileRead readModelFile(const std::string& path);

// What the read of the file `name` lost, in the lines the program's load prints: a file
// that could not be opened as "Could not open file NAME."; after a failed read the line
// "Failed to read in model correctly." and the line that says why; then every warning,
// one a line. Empty for a clean read.
std::string modelReadReport(const ModelFileRead& read, std::string_view name);

}  // namespace kelvaro
