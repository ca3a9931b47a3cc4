#include "tools/batch/batch_command.h"

#include <algorithm>
#include <cerrno>
#include <cmath>
#include <cstdlib>

namespace kelvaro::batch {
namespace {

// A whole decimal integer, clamped to [low, high]; none for anything else.
std::optional<int> clampedInteger(const std::string& text, int low, int high) {
    if (text.empty()) return std::nullopt;
    char* end = nullptr;
    errno = 0;
    const long long value = std::strtoll(text.c_str(), &end, 10);
    if (*end != '\0') return std::nullopt;
    if (errno == ERANGE) return value < 0 ? low : high;  // far beyond either limit
    return static_cast<int>(std::clamp<long long>(value, low, high));
}

// A decimal number read in single precision, clamped to [low, high]; none for anything else.
std::optional<float> clampedFloat(const std::string& text, float low, float high) {
    if (text.empty()) return std::nullopt;
    char* end = nullptr;
    const float value = std::strtof(text.c_str(), &end);
    if (*end != '\0' || std::isnan(value)) return std::nullopt;
    return std::clamp(value, low, high);
}

}  // namespace

const char* usageText() {
    return "usage: kelvaro-batch info MODEL\n"
           "       kelvaro-batch print MODEL [REQUEST...]\n"
           "       kelvaro-batch obj MODEL [REQUEST...]\n"
           "       kelvaro-batch stats MODEL [REQUEST...]   build time and size of each request\n"
           "REQUEST is one of:\n"
           "  lines N            field lines, N per charge (1 to 100)\n"
           "  hedgehog N         N hedgehog lines (1 to 100000)\n"
           "  surface V leave    the equipotential surface of V (-10 to 10), normals along the field\n"
           "  surface V enter    the same with normals against the field\n"
           "Values outside the limits are clamped. \"ElectronData\" is read from the current directory.\n"
           "KELVARO_THREADS sets the number of threads the builders use (default: the processor's).\n";
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
        const std::string& word = arguments[at];
        const std::size_t left = arguments.size() - at - 1;
        const std::size_t first = at;
        Request request{};
        if ((word == "lines" || word == "hedgehog") && left >= 1) {
            const bool lines = word == "lines";
            const auto count = clampedInteger(arguments[at + 1], 1, lines ? 100 : 100000);
            if (!count) {
                error = "\"" + arguments[at + 1] + "\" is not a whole number";
                return std::nullopt;
            }
            request.kind = lines ? Request::Kind::FieldLines : Request::Kind::Hedgehog;
            request.count = *count;
            at += 2;
        } else if (word == "surface" && left >= 2) {
            const auto potential = clampedFloat(arguments[at + 1], -10.0f, 10.0f);
            const std::string& direction = arguments[at + 2];
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
        for (std::size_t w = first; w < at; ++w) request.text += (w > first ? " " : "") + arguments[w];
        command.requests.push_back(request);
    }
    return command;
}

}  // namespace kelvaro::batch
