#pragma once
// The command line of kelvaro-batch: what to do with which model, and the requests to
// apply to it, with the dialogs' limits already applied.

#include <optional>
#include <string>
#include <vector>

#include "render/picture_view.h"
#include "viz/request_grammar.h"

namespace kelvaro::batch {

enum class Mode { Info, Print, Obj, Png, Gif, Stats, Probe, Flux };

// A turntable's frames, and the shortest time a frame may show (browsers show shorter
// ones slower).
inline constexpr int minGifFrames = 2;
inline constexpr int maxGifFrames = 360;
inline constexpr double minFrameSeconds = 0.02;
inline constexpr double maxFrameSeconds = 655.35;

struct Command {
    Mode mode;
    std::string modelPath;
    std::vector<ParsedRequest> requests;  // probe and flux: the probes and the Gauss sphere to read
    std::string outputPath;  // -o: the file to write (png and gif need one; obj without writes to standard output)
    PictureOptions picture;  // --size, --turn, --fit, --zoom, --samples, --style, --background: png and gif only
    int frames = 36;         // --frames, gif only
    double seconds = 6.0;    // --seconds: how long one turn takes, gif only
};

// Parses the arguments after the program name; none when they are not a valid command
// (then `error` says why). Numbers outside a dialog's limits are clamped to them.
std::optional<Command> parseCommand(const std::vector<std::string>& arguments, std::string& error);

// The usage text, several lines ending with a newline.
const char* usageText();

// Whether the arguments ask for the usage: "--help" or "-h" alone.
bool isHelpRequest(const std::vector<std::string>& arguments);

}  // namespace kelvaro::batch
