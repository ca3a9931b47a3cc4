#pragma once
// Runs one kelvaro-batch command: reads the model as the program's load dialog does,
// applies the requests with the program's builders and writes the result.

#include <cstdio>
#include <string>

#include "model/model.h"
#include "scene/group.h"
#include "model/model.h"
#include "tools/batch/batch_command.h"
#include "viz/hedgehog.h"
#include "viz/worker_threads.h"

namespace kelvaro::batch {

// Exit statuses.
enum Status : int {
    Success = 0,
    Failure = 1,     // the model could not be read, a request produced nothing, a file was not written
    BadArguments = 2,
    PrintFailed = 3,  // the scene has an object without a text form, or a write failed
};

// Draws the finished scene (which shows `model`) for the png and gif commands and writes
// the picture file, answering whether the file was written. kelvaro-batch hands in its
// drawing without a window; in-process callers that make no pictures (the tests) hand in
// none.
using PictureWriter = bool (*)(const Model& model, const Group& scene, const Command& command, std::FILE* err);

// Messages and results go to `out`, read errors and failed writes to `err`. Answers the
// exit status. The builders compute their numbers as `options` say (tests run the
// reference path); a png or gif command without `writePicture` fails.
int runCommand(const Command& command, std::FILE* out, std::FILE* err, const BuildOptions& options = {},
               PictureWriter writePicture = nullptr);

// Reports on `err` that `path` could not be written and why; answers false.
bool cannotWrite(const std::string& path, const std::string& why, std::FILE* err);

}  // namespace kelvaro::batch
