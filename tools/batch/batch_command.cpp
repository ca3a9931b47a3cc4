#include "tools/batch/batch_command.h"

#include <algorithm>
#include <cctype>
#include <cmath>
#include <filesystem>
#include <string_view>
#include <utility>

#include "common/number_text.h"

namespace kelvaro::batch {
namespace {

// A whole decimal number within [low, high]; none for anything else.
std::optional<int> integerWithin(const std::string& text, int low, int high) {
    const std::optional<long long> value = integerFromWord(text);
    if (!value || *value < low || *value > high) return std::nullopt;
    return static_cast<int>(*value);
}

// "WxH": two whole numbers from 1 to maxPictureSide.
bool parseSize(const std::string& text, int& width, int& height) {
    const auto side = [](const std::string& digits, int& value) {
        if (digits.empty() || digits.size() > 9 || digits.find_first_not_of("0123456789") != std::string::npos)
            return false;
        value = std::stoi(digits);
        return value >= 1 && value <= maxPictureSide;
    };
    const std::size_t x = text.find('x');
    return x != std::string::npos && side(text.substr(0, x), width) && side(text.substr(x + 1), height);
}

std::optional<double> finiteNumber(const std::string& text) {
    const std::optional<double> value = doubleFromWord(text);
    if (!value || !std::isfinite(*value)) return std::nullopt;
    return value;
}

// The value of a word among `choices` (given as name, value pairs); none for another word.
template <class Value, std::size_t count>
std::optional<Value> choice(const std::string& word, const std::pair<const char*, Value> (&choices)[count]) {
    for (const auto& [name, value] : choices) {
        if (word == name) return value;
    }
    return std::nullopt;
}

// The words of `choices` for a message: "a" or "b", or "a", "b" or "c".
template <class Value, std::size_t count>
std::string choiceWords(const std::pair<const char*, Value> (&choices)[count]) {
    std::string words;
    for (std::size_t i = 0; i < count; ++i) {
        words += std::string(i == 0 ? "" : i + 1 == count ? " or " : ", ") + "\"" + choices[i].first + "\"";
    }
    return words;
}

// An option that takes one word of a few, `value` (none when the arguments end); answers
// as parseOption does.
template <class Value, std::size_t count, class Target>
int parseChoiceOption(const std::string& option, const std::string* value,
                      const std::pair<const char*, Value> (&choices)[count], Target& target, std::string& error) {
    const auto chosen = value ? choice(*value, choices) : std::nullopt;
    if (!chosen) {
        error = option + " needs " + choiceWords(choices);
        return -1;
    }
    target = *chosen;
    return 2;
}

// Reads a picture option (png and gif) at arguments[at]; answers as parseOption does.
int parsePictureOption(const std::vector<std::string>& arguments, std::size_t at, PictureOptions& picture,
                       std::string& error) {
    const std::string& word = arguments[at];
    const std::string* value = at + 1 < arguments.size() ? &arguments[at + 1] : nullptr;
    const auto bad = [&](const std::string& why) {
        error = why;
        return -1;
    };
    if (word == "--fit") {
        picture.fit = true;
        return 1;
    }
    if (word == "--labels") {
        picture.chargeLabels = true;
        return 1;
    }
    if (word == "--legend") {
        picture.legend = true;
        return 1;
    }
    if (word == "--zoom") {
        const auto zoom = value ? finiteNumber(*value) : std::nullopt;
        if (!zoom || *zoom < minZoom || *zoom > maxZoom) return bad("--zoom needs a number from 0.01 to 100 (above 1 nearer)");
        picture.zoom = *zoom;
        return 2;
    }
    if (word == "--samples") {
        const auto samples = value ? integerWithin(*value, 1, maxSamples) : std::nullopt;
        if (!samples) return bad("--samples needs a whole number from 1 to " + std::to_string(maxSamples));
        picture.samples = *samples;
        return 2;
    }
    if (word == "--style") return parseChoiceOption(word, value, pictureStyleNames, picture.style, error);
    if (word == "--view") return parseChoiceOption(word, value, viewAxisNames, picture.view, error);
    if (word == "--background") {
        return parseChoiceOption(word, value, pictureBackgroundNames, picture.background, error);
    }
    return 0;
}

// Reads the option at arguments[at] into `command` and answers how many arguments it
// took; 0 when arguments[at] is no option, -1 (with `error` set) when it is a bad one.
int parseOption(const std::vector<std::string>& arguments, std::size_t at, Command& command, std::string& error) {
    const std::string& word = arguments[at];
    const std::size_t left = arguments.size() - at - 1;
    if (word == "-o") {
        if (left < 1 || arguments[at + 1].empty()) {
            error = "-o needs a file name";
            return -1;
        }
        command.outputPath = arguments[at + 1];
        return 2;
    }
    if (word == "--size") {
        if (left < 1 || !parseSize(arguments[at + 1], command.picture.width, command.picture.height)) {
            error = "--size needs WxH, two whole numbers from 1 to " + std::to_string(maxPictureSide);
            return -1;
        }
        return 2;
    }
    if (word == "--turn") {
        const auto aboutVertical = left >= 2 ? finiteNumber(arguments[at + 1]) : std::nullopt;
        const auto aboutHorizontal = left >= 2 ? finiteNumber(arguments[at + 2]) : std::nullopt;
        if (!aboutVertical || !aboutHorizontal) {
            error = "--turn needs two numbers of degrees";
            return -1;
        }
        command.picture.turnAboutVertical = *aboutVertical;
        command.picture.turnAboutHorizontal = *aboutHorizontal;
        return 3;
    }
    if (word == "--frames") {
        const auto frames = left >= 1 ? integerWithin(arguments[at + 1], minGifFrames, maxGifFrames) : std::nullopt;
        if (!frames) {
            error = "--frames needs a whole number from " + std::to_string(minGifFrames) + " to " +
                    std::to_string(maxGifFrames);
            return -1;
        }
        command.frames = *frames;
        return 2;
    }
    if (word == "--seconds") {
        const auto seconds = left >= 1 ? finiteNumber(arguments[at + 1]) : std::nullopt;
        if (!seconds || *seconds <= 0.0) {
            error = "--seconds needs a number of seconds above 0";
            return -1;
        }
        command.seconds = *seconds;
        return 2;
    }
    return parsePictureOption(arguments, at, command.picture, error);
}

// Whether `path` names a file of the kind `extension` (".png"), in any letter case, or a
// file without an extension (a device such as /dev/stdout, a FIFO).
bool hasExtensionOrNone(const std::string& path, std::string_view extension) {
    const std::string name = std::filesystem::path(path).filename().string();
    const std::size_t point = name.rfind('.');
    if (point == std::string::npos || point == 0) return true;
    const std::string_view given = std::string_view(name).substr(point);
    return given.size() == extension.size() &&
           std::equal(given.begin(), given.end(), extension.begin(),
                      [](char a, char b) { return std::tolower(static_cast<unsigned char>(a)) == b; });
}

// The options that the mode does not take, or that it lacks.
bool optionsFitMode(const std::vector<std::string>& arguments, const Command& command, std::string& error) {
    const auto given = [&](std::initializer_list<const char*> options) {
        return std::any_of(options.begin(), options.end(), [&](const char* option) {
            return std::find(arguments.begin() + 2, arguments.end(), option) != arguments.end();
        });
    };
    const bool picture = command.mode == Mode::Png || command.mode == Mode::Gif;
    const double frameSeconds = command.seconds / command.frames;
    if (command.mode == Mode::Png && command.outputPath.empty()) {
        error = "png needs -o FILE.png";
    } else if (command.mode == Mode::Gif && command.outputPath.empty()) {
        error = "gif needs -o FILE.gif";
    } else if (command.mode == Mode::Png && !hasExtensionOrNone(command.outputPath, ".png")) {
        error = "png writes PNG pictures: -o needs a name that ends in .png (or .PNG), not " + command.outputPath;
    } else if (command.mode == Mode::Gif && !hasExtensionOrNone(command.outputPath, ".gif")) {
        error = "gif writes GIF animations: -o needs a name that ends in .gif (or .GIF), not " + command.outputPath;
    } else if (!picture && given({"--size", "--turn", "--view"})) {
        error = "--size, --turn and --view are for png and gif";
    } else if (!picture && given({"--fit", "--zoom", "--samples", "--style", "--background", "--labels", "--legend"})) {
        error = "--fit, --zoom, --samples, --style, --background, --labels and --legend are for png and gif";
    } else if (command.mode != Mode::Gif && given({"--frames", "--seconds"})) {
        error = "--frames and --seconds are for gif";
    } else if (command.mode != Mode::Obj && !picture && given({"-o"})) {
        error = "-o is for obj, png and gif";
    } else if (frameSeconds < minFrameSeconds || frameSeconds > maxFrameSeconds) {
        error = "--seconds gives each of the " + std::to_string(command.frames) +
                " frames less than 0.02 s or more than 655.35 s";
    }
    return error.empty();
}

// "probe MODEL X Y Z [X Y Z...]" or "flux MODEL X Y Z R": the numbers after the model read
// as the words of probe requests or of one Gauss sphere.
std::optional<Command> parseReadingCommand(const std::vector<std::string>& arguments, std::string& error) {
    Command command;
    const bool probe = arguments[0] == "probe";
    command.mode = probe ? Mode::Probe : Mode::Flux;
    command.modelPath = arguments[1];
    const std::size_t numbers = arguments.size() - 2;
    if (probe ? numbers == 0 || numbers % 3 != 0 : numbers != 4) {
        error = probe ? "probe needs a model and X Y Z for each point" : "flux needs a model, then X Y Z R";
        return std::nullopt;
    }
    for (std::size_t at = 2; at < arguments.size(); at += probe ? 3 : 4) {
        std::vector<std::string> words{probe ? "probe" : "gauss"};
        words.insert(words.end(), arguments.begin() + static_cast<std::ptrdiff_t>(at),
                     arguments.begin() + static_cast<std::ptrdiff_t>(at + (probe ? 3 : 4)));
        std::size_t first = 0;
        const std::optional<ParsedRequest> request = parseRequest(words, first, error);
        if (!request) {
            error = probe ? "probe needs three finite numbers X Y Z for each point"
                          : "flux needs three finite numbers X Y Z for the centre and a radius R above 0";
            return std::nullopt;
        }
        command.requests.push_back(*request);
    }
    return command;
}

}  // namespace

const char* usageText() {
    static const std::string text =
           "usage: kelvaro-batch info MODEL\n"
           "       kelvaro-batch print MODEL [REQUEST...]\n"
           "       kelvaro-batch obj MODEL [REQUEST...] [-o FILE.obj]\n"
           "       kelvaro-batch png MODEL [REQUEST...] -o FILE.png [--size WxH] [--turn X Y]\n"
           "       kelvaro-batch stats MODEL [REQUEST...]   build time and size of each request\n"
           "       kelvaro-batch probe MODEL X Y Z [X Y Z...]   the potential and the field at each point\n"
           "       kelvaro-batch flux MODEL X Y Z R   the flux out through the sphere of radius R round X Y Z\n"
           "REQUEST is one of:\n"
           "  lines N            field lines, N per charge (1 to 100)\n"
           "  lines N accurate   the same traced accurately (the default of --style teaching)\n"
           "  lines N euler      the same traced by the program's own tracer (the default otherwise)\n"
           "  hedgehog N         N hedgehog lines (1 to 100000)\n"
           "  surface V leave    the equipotential surface of V (-10 to 10), normals along the field\n"
           "  surface V enter    the same with normals against the field\n"
           "  probe X Y Z        a probe in the box, labelled with the potential and the field there\n"
           "  gauss X Y Z R      a Gauss sphere, coloured by the field's outward component\n"
           "  plane AXIS [OFFSET] the plane x, y or z = OFFSET (default: through the box's centre): the\n"
           "                     potential's colours, equipotential lines and, if asked, field lines\n"
           "After lines N, in any order, each once: accurate or euler (the tracer), proportional (a\n"
           "charge q gets round(N |q| / max|q|) lines, at least 1 but for q = 0) and strength (each\n"
           "point coloured by log10 |E|); after hedgehog N: strength.\n"
           "After plane AXIS [OFFSET], in any order, each once:\n"
           "  levels N           N equipotential lines spread as the colours are (0 to 100, default 15)\n"
           "  potentials V,V,... the equipotential lines of these potentials instead (no blanks)\n"
           "  fieldlines N       N field lines round each charge in the plane (0 to 100, default 0)\n"
           "  strength           those field lines coloured by log10 |E|\n"
           "Values outside the limits are clamped. \"ElectronData\" is read from the current directory.\n"
           "obj -o FILE.obj also writes the colours to FILE.mtl beside it.\n"
           "png draws the program's start view, by default at the size of its scene area (" +
           std::to_string(startSceneWidth) + "x" + std::to_string(startSceneHeight) +
           "),\nturned by X degrees about the vertical axis and then Y about the horizontal one. "
           "It needs no X server.\n"
           "KELVARO_THREADS sets the number of threads the builders use (default: the processor's).\n"
           "Pictures for slides and lectures:\n"
           "  kelvaro-batch png MODEL [REQUEST...] -o FILE.png [PICTURE OPTION...]\n"
           "  kelvaro-batch gif MODEL [REQUEST...] -o FILE.gif [--frames N] [--seconds S] [PICTURE OPTION...]\n"
           "gif turns the scene once about the vertical axis in N frames (2 to 360, default 36) over S seconds\n"
           "(default 6), looping forever. PICTURE OPTION is one of:\n"
           "  --size WxH, --turn X Y   as above\n"
           "  --view A                 looks along the axis A (x, y, z, -x, -y or -z) before any turn\n"
           "  --fit                    the model's box fills the picture, its centre in the middle\n"
           "  --zoom F                 scales the view (0.01 to 100, above 1 nearer)\n"
           "  --samples N              draws N x N times larger and averages down (1 to 4, default 1)\n"
           "  --style S                plain (default) or teaching: red and blue charges, arrows, wide smooth lines\n"
           "  --background B           dark (default) or light: white, with darker print colours\n"
           "  --labels                 each charge's value beside it (+1, -2)\n"
           "  --legend                 colour bars with values: a plane's potential, the strength of lines\n"
           "The scene text, the OBJ text without -o and the lines of info and stats go to standard\n"
           "output; messages, the model file's warnings and this usage after an error go to standard\n"
           "error. When a request fails, -o writes nothing and an older file stays as it was. -o follows\n"
           "a symbolic link and writes into a FIFO or device as it is. Exit status: 0 done, 1 failed,\n"
           "2 usage error, 3 the scene has no text form.\n"
           "kelvaro-batch --help (or -h) prints this text.\n";
    return text.c_str();
}

bool isHelpRequest(const std::vector<std::string>& arguments) {
    return arguments.size() == 1 && (arguments[0] == "--help" || arguments[0] == "-h");
}

std::optional<Command> parseCommand(const std::vector<std::string>& arguments, std::string& error) {
    if (arguments.size() < 2) {
        error = "missing arguments";
        return std::nullopt;
    }
    Command command;
    const std::string& mode = arguments[0];
    if (mode == "info") {
        command.mode = Mode::Info;
    } else if (mode == "print") {
        command.mode = Mode::Print;
    } else if (mode == "obj") {
        command.mode = Mode::Obj;
    } else if (mode == "png") {
        command.mode = Mode::Png;
    } else if (mode == "gif") {
        command.mode = Mode::Gif;
    } else if (mode == "stats") {
        command.mode = Mode::Stats;
    } else if (mode == "probe" || mode == "flux") {
        return parseReadingCommand(arguments, error);
    } else {
        error = "unknown command \"" + mode + "\"";
        return std::nullopt;
    }
    command.modelPath = arguments[1];
    if (command.mode == Mode::Info && arguments.size() > 2) {
        error = "info takes no requests";
        return std::nullopt;
    }
    for (std::size_t at = 2; at < arguments.size();) {
        const int optionLength = parseOption(arguments, at, command, error);
        if (optionLength < 0) return std::nullopt;
        if (optionLength > 0) {
            at += static_cast<std::size_t>(optionLength);
            continue;
        }
        const std::optional<ParsedRequest> request = parseRequest(arguments, at, error);
        if (!request) return std::nullopt;
        command.requests.push_back(*request);
    }
    if (!optionsFitMode(arguments, command, error)) return std::nullopt;
    for (ParsedRequest& request : command.requests) settleLineMethod(request, command.picture.style == PictureStyle::Teaching);
    return command;
}

}  // namespace kelvaro::batch
