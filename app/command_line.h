#pragma once
// The program's command line: kelvaro [--style teaching|plain] [MODEL-FILE]. What cannot
// be used is told and left out; the program starts all the same.

#include <optional>
#include <string>
#include <vector>

namespace kelvaro {

struct StartOptions {
    std::optional<bool> teachingStyle;  // --style: for this run, over the remembered look
    std::string modelFile;              // loaded at start, as if chosen in the load dialog
    std::string refusals;               // a line for each argument left out, line feeds included
};

// Reads the arguments after the program's name (GLUT's own options already taken out).
StartOptions readCommandLine(const std::vector<std::string>& arguments);

}  // namespace kelvaro
