#pragma once
// Runs one kelvaro-batch command: reads the model as the program's load dialog does,
// applies the requests with the program's builders and writes the result.

#include <cstdio>

#include "tools/batch/batch_command.h"
#include "viz/worker_threads.h"

namespace kelvaro::batch {

// Exit statuses.
enum Status : int {
    Success = 0,
    Failure = 1,     // the model could not be read, or a request produced nothing
    BadArguments = 2,
    PrintFailed = 3,  // the scene has an object without a text form, or a write failed
};

// Messages and results go to `out`, read errors to `err`. Answers the exit status. The
// builders compute their numbers as `options` say (tests run the reference path).
int runCommand(const Command& command, std::FILE* out, std::FILE* err, const BuildOptions& options = {});

}  // namespace kelvaro::batch
