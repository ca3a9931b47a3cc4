#pragma once
// The command line of kelvaro-batch: what to do with which model, and the requests to
// apply to it, with the dialogs' limits already applied.

#include <optional>
#include <string>
#include <vector>

namespace kelvaro::batch {

enum class Mode { Info, Print, Obj, Stats };

struct Request {
    enum class Kind { FieldLines, Hedgehog, Surface };
    Kind kind;
    int count = 0;           // lines per charge (1..100) or hedgehog lines (1..100000)
    float potential = 0.0f;  // the surface value (-10..10), single precision like the dialog
    int direction = 0;       // 0 "leave", 1 "enter"
    std::string text;        // the request's words as given, separated by spaces
};

struct Command {
    Mode mode;
    std::string modelPath;
    std::vector<Request> requests;
};

// Parses the arguments after the program name; none when they are not a valid command
// (then `error` says why). Numbers outside a dialog's limits are clamped to them.
std::optional<Command> parseCommand(const std::vector<std::string>& arguments, std::string& error);

// The usage text, several lines ending with a newline.
const char* usageText();

}  // namespace kelvaro::batch
