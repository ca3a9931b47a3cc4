#include "tools/batch/batch_command.h"

#include <algorithm>
#include <cerrno>
#include <cmath>
#include <cstdlib>

namespace kelvaro::batch {
namespace {

// A whole decimal integer, clamped to [low, high] (then `clamped` is set); none for anything else.
std::optional<int> clampedInteger(const std::string& text, int low, int high, bool& clamped) {
    if (text.empty()) return std::nullopt;
    char* end = nullptr;
    errno = 0;
    const long long value = std::strtoll(text.c_str(), &end, 10);
    if (*end != '\0') return std::nullopt;
    clamped = errno == ERANGE || value < low || value > high;
    if (errno == ERANGE) return value < 0 ? low : high;  // far beyond either limit
    return static_cast<int>(std::clamp<long long>(value, low, high));
}

// A decimal number read in single precision, clamped to [low, high] (then `clamped` is
// set); none for anything else.
std::optional<float> clampedFloat(const std::string& text, float low, float high, bool& clamped) {
    if (text.empty()) return std::nullopt;
    char* end = nullptr;
    const float value = std::strtof(text.c_str(), &end);
    if (*end != '\0' || std::isnan(value)) return std::nullopt;
    clamped = value < low || value > high;
    return std::clamp(value, low, high);
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
    if (text.empty()) return std::nullopt;
    char* end = nullptr;
    const double value = std::strtod(text.c_str(), &end);
    if (*end != '\0' || !std::isfinite(value)) return std::nullopt;
    return value;
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
        if (left < 1 || !parseSize(arguments[at + 1], command.width, command.height)) {
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
        command.turnAboutVertical = *aboutVertical;
        command.turnAboutHorizontal = *aboutHorizontal;
        return 3;
    }
    return 0;
}

// The options that the mode does not take, or that it lacks.
bool optionsFitMode(const std::vector<std::string>& arguments, const Command& command, std::string& error) {
    const auto given = [&](const char* option) {
        return std::find(arguments.begin() + 2, arguments.end(), option) != arguments.end();
    };
    if (command.mode == Mode::Png && command.outputPath.empty()) {
        error = "png needs -o FILE.png";
    } else if (command.mode != Mode::Png && (given("--size") || given("--turn"))) {
        error = "--size and --turn are for png";
    } else if (command.mode != Mode::Obj && command.mode != Mode::Png && given("-o")) {
        error = "-o is for obj and png";
    }
    return error.empty();
}

}  // namespace

const char* usageText() {
    static const std::string text =
           "usage: kelvaro-batch info MODEL\n"
           "       kelvaro-batch print MODEL [REQUEST...]\n"
           "       kelvaro-batch obj MODEL [REQUEST...] [-o FILE.obj]\n"
           "       kelvaro-batch png MODEL [REQUEST...] -o FILE.png [--size WxH] [--turn X Y]\n"
           "       kelvaro-batch stats MODEL [REQUEST...]   build time and size of each request\n"
           "REQUEST is one of:\n"
           "  lines N            field lines, N per charge (1 to 100)\n"
           "  hedgehog N         N hedgehog lines (1 to 100000)\n"
           "  surface V leave    the equipotential surface of V (-10 to 10), normals along the field\n"
           "  surface V enter    the same with normals against the field\n"
           "Values outside the limits are clamped. \"ElectronData\" is read from the current directory.\n"
           "obj -o FILE.obj also writes the colours to FILE.mtl beside it.\n"
           "png draws the program's start view, by default at the size of its scene area (" +
           std::to_string(startSceneWidth) + "x" + std::to_string(startSceneHeight) +
           "),\nturned by X degrees about the vertical axis and then Y about the horizontal one. "
           "It needs no X server.\n"
           "KELVARO_THREADS sets the number of threads the builders use (default: the processor's).\n";
    return text.c_str();
}

std::optional<Request> parseRequest(const std::vector<std::string>& words, std::size_t& at, std::string& error) {
    const std::string& word = words[at];
    const std::size_t left = words.size() - at - 1;
    const std::size_t first = at;
    Request request{};
    if ((word == "lines" || word == "hedgehog") && left >= 1) {
        const bool lines = word == "lines";
        const auto count = clampedInteger(words[at + 1], 1, lines ? 100 : 100000, request.clamped);
        if (!count) {
            error = "\"" + words[at + 1] + "\" is not a whole number";
            return std::nullopt;
        }
        request.kind = lines ? Request::Kind::FieldLines : Request::Kind::Hedgehog;
        request.count = *count;
        at += 2;
    } else if (word == "surface" && left >= 2) {
        const auto potential = clampedFloat(words[at + 1], -10.0f, 10.0f, request.clamped);
        const std::string& direction = words[at + 2];
        if (!potential || (direction != "leave" && direction != "enter")) {
            error = "surface needs a number and \"leave\" or \"enter\"";
            return std::nullopt;
        }
        request.kind = Request::Kind::Surface;
        request.potential = *potential;
        request.direction = direction == "enter" ? 1 : 0;
        at += 3;
    } else {
        error = "bad request \"" + word + "\"";
        return std::nullopt;
    }
    for (std::size_t w = first; w < at; ++w) request.text += (w > first ? " " : "") + words[w];
    return request;
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
    } else if (mode == "stats") {
        command.mode = Mode::Stats;
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
        const std::optional<Request> request = parseRequest(arguments, at, error);
        if (!request) return std::nullopt;
        command.requests.push_back(*request);
    }
    if (!optionsFitMode(arguments, command, error)) return std::nullopt;
    return command;
}

}  // namespace kelvaro::batch
