// kelvaro-batch: the program's model reading and visualisation builders without a window,
// for scripting, exporting (text form, Wavefront OBJ, PNG pictures) and measuring. See usageText().

#include <cstdio>
#include <string>
#include <vector>

#include "common/whole_file.h"
#include "tools/batch/batch_command.h"
#include "tools/batch/batch_run.h"
#include "tools/batch/picture_output.h"

int main(int argc, char** argv) {
    using namespace kelvaro::batch;
    // Ctrl+C, kill or a closed terminal during a write leaves no temporary file behind.
    kelvaro::removeTemporaryFilesOnSignals();
    const std::vector<std::string> arguments(argv + 1, argv + argc);
    if (isHelpRequest(arguments)) {
        std::fputs(usageText(), stdout);
        return std::fflush(stdout) == 0 ? Success : Failure;
    }
    std::string error;
    const auto command = parseCommand(arguments, error);
    if (!command) {
        std::fprintf(stderr, "kelvaro-batch: %s\n%s", error.c_str(), usageText());
        return BadArguments;
    }
    const int status = runCommand(*command, stdout, stderr, {}, writePicture);
    if (std::fflush(stdout) != 0) return Failure;
    return status;
}
