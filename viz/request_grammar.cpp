#include "viz/request_grammar.h"

#include <algorithm>
#include <cmath>
#include <sstream>

#include "common/number_text.h"
#include "viz/field_plane.h"

namespace kelvaro {
namespace {

// A whole decimal integer, clamped to [low, high] (then `clamped` is set); none for anything else.
std::optional<int> clampedInteger(const std::string& text, int low, int high, bool& clamped) {
    const std::optional<long long> value = integerFromWord(text);
    if (!value) return std::nullopt;
    clamped = *value < low || *value > high;
    return static_cast<int>(std::clamp<long long>(*value, low, high));
}

// A decimal number read in single precision, clamped to [low, high] (then `clamped` is
// set); none for anything else.
std::optional<float> clampedFloat(const std::string& text, float low, float high, bool& clamped) {
    const std::optional<float> value = floatFromWord(text);
    if (!value || std::isnan(*value)) return std::nullopt;
    clamped = *value < low || *value > high;
    return std::clamp(*value, low, high);
}

// The word at words[at], or null past the end.
const std::string* wordAt(const std::vector<std::string>& words, std::size_t at) {
    return at < words.size() ? &words[at] : nullptr;
}

// The words that begin a request.
bool startsRequest(const std::string& word) {
    return word == "lines" || word == "hedgehog" || word == "surface" || word == "plane" || word == "probe" ||
           word == "gauss";
}

// Whether the word after a request's options may follow it: a word of letters that does
// not begin the next request is a mistyped or misplaced option of this one, and `error`
// says so; anything else (nothing, a number, an option of the caller's such as "-o") is
// left to the caller. `request` names the request ("lines 20"), `options` its option words.
bool optionsEnd(const std::vector<std::string>& words, std::size_t at, const std::string& request,
                const char* options, std::string& error) {
    const std::string* word = wordAt(words, at);
    const char first = word ? word->front() : '\0';
    const bool letters = (first >= 'a' && first <= 'z') || (first >= 'A' && first <= 'Z');
    if (!letters || startsRequest(*word)) return true;
    error = "\"" + *word + "\" is no option of " + request + " (its options: " + options + ")";
    return false;
}

// The option words that may follow "lines N" (`lines`) or "hedgehog N", in any order, each
// once: after lines the tracer (accurate or euler), proportional and strength; after a
// hedgehog strength. Moves `at` past them.
bool parseLineOptions(const std::vector<std::string>& words, std::size_t& at, bool lines, ParsedRequest& request,
                      std::string& error) {
    const std::string name = words[at - 2] + " " + words[at - 1];
    for (const std::string* word; (word = wordAt(words, at)) != nullptr; ++at) {
        bool* given = nullptr;
        if (lines && (*word == "accurate" || *word == "euler")) {
            if (request.methodStated) {
                error = name + " names its tracer once, accurate or euler";
                return false;
            }
            request.method = *word == "accurate" ? FieldLineMethod::Accurate : FieldLineMethod::Euler;
            request.methodStated = true;
            continue;
        }
        if (lines && *word == "proportional") given = &request.proportional;
        if (*word == "strength") given = &request.strengthColours;
        if (!given) break;
        if (*given) {
            error = name + " takes \"" + *word + "\" once";
            return false;
        }
        *given = true;
    }
    return optionsEnd(words, at, name, lines ? "accurate or euler, proportional, strength" : "strength", error);
}

}  // namespace

std::optional<std::vector<float>> parsePotentialList(std::string_view text, std::string& error) {
    std::vector<float> levels;
    std::size_t from = 0;
    while (true) {
        const std::size_t comma = std::min(text.find(',', from), text.size());
        std::string_view item = text.substr(from, comma - from);
        while (!item.empty() && (item.front() == ' ' || item.front() == '\t')) item.remove_prefix(1);
        while (!item.empty() && (item.back() == ' ' || item.back() == '\t')) item.remove_suffix(1);
        const std::optional<float> level = floatFromWord(item);
        if (!level || !std::isfinite(*level)) {
            error = "potentials must be finite numbers separated by commas, such as -1,0,1 (not \"" +
                    std::string(text) + "\")";
            return std::nullopt;
        }
        levels.push_back(*level);
        if (comma == text.size()) break;
        from = comma + 1;
    }
    if (levels.size() > static_cast<std::size_t>(maxPlaneLevels)) {
        error = "a plane takes at most " + std::to_string(maxPlaneLevels) + " potentials";
        return std::nullopt;
    }
    return levels;
}

namespace {

// "plane AXIS [OFFSET] [levels N | potentials V,V,...] [fieldlines N] [strength]", from
// words[at] on (words[at] is "plane"); moves `at` past it. The options in any order, each once.
bool parsePlane(const std::vector<std::string>& words, std::size_t& at, ParsedRequest& request, std::string& error) {
    request.kind = VisualisationRequest::Kind::Plane;
    const std::string* axis = wordAt(words, at + 1);
    if (!axis || (*axis != "x" && *axis != "y" && *axis != "z")) {
        error = "plane needs an axis, x, y or z, and then its offset (default: the box's centre)";
        return false;
    }
    request.plane.axis = *axis == "x" ? 0 : *axis == "y" ? 1 : 2;
    at += 2;
    if (const std::string* word = wordAt(words, at)) {
        if (const std::optional<float> offset = floatFromWord(*word)) {
            if (!std::isfinite(*offset)) {
                error = "a plane's offset must be a finite number, not \"" + *word + "\"";
                return false;
            }
            request.plane.offset = *offset;
            ++at;
        }
    }
    bool levelsGiven = false, linesGiven = false;
    const std::string name = "plane " + *axis;
    for (const std::string* word; (word = wordAt(words, at)) != nullptr;) {
        const std::string* value = wordAt(words, at + 1);
        if (*word == "levels" || *word == "potentials") {
            if (levelsGiven) {
                error = name + " takes its levels once, as levels N or as potentials V,V,...";
                return false;
            }
            levelsGiven = true;
            if (*word == "levels") {
                const auto count = value ? clampedInteger(*value, 0, maxPlaneLevels, request.clamped) : std::nullopt;
                if (!count) {
                    error = "levels needs a whole number of levels (0 to " + std::to_string(maxPlaneLevels) + ")";
                    return false;
                }
                request.plane.levelCount = *count;
            } else {
                const auto levels = value ? parsePotentialList(*value, error) : std::nullopt;
                if (!levels) {
                    if (!value) error = "potentials needs finite numbers separated by commas, such as -1,0,1";
                    return false;
                }
                request.plane.levels = *levels;
            }
            at += 2;
        } else if (*word == "fieldlines" || *word == "strength") {
            bool& given = *word == "fieldlines" ? linesGiven : request.strengthColours;
            if (given) {
                error = name + " takes \"" + *word + "\" once";
                return false;
            }
            given = true;
            if (*word == "strength") {
                ++at;
                continue;
            }
            bool clamped = false;
            const auto count = value ? clampedInteger(*value, 0, maxPlaneLinesPerCharge, clamped) : std::nullopt;
            if (!count) {
                error = "fieldlines needs a whole number of lines a charge (0 to " +
                        std::to_string(maxPlaneLinesPerCharge) + ")";
                return false;
            }
            request.clamped = request.clamped || clamped;
            request.plane.linesPerCharge = *count;
            at += 2;
        } else {
            break;
        }
    }
    return optionsEnd(words, at, name, "levels N or potentials V,V,..., fieldlines N, strength", error);
}

// The words of probes and Gauss spheres.

// `count` finite numbers read in single precision from words[at] on; none for anything else.
std::optional<std::vector<float>> finiteNumbers(const std::vector<std::string>& words, std::size_t at, std::size_t count) {
    if (words.size() - at < count) return std::nullopt;
    std::vector<float> numbers;
    for (std::size_t i = at; i < at + count; ++i) {
        const std::optional<float> value = floatFromWord(words[i]);
        if (!value || !std::isfinite(*value)) return std::nullopt;
        numbers.push_back(*value);
    }
    return numbers;
}

// "probe X Y Z" and "gauss X Y Z R" at words[at] (whose first word is one of them).
bool readPlacedRequest(const std::vector<std::string>& words, std::size_t& at, ParsedRequest& request,
                       std::string& error) {
    const bool probe = words[at] == "probe";
    const std::optional<std::vector<float>> numbers = finiteNumbers(words, at + 1, probe ? 3 : 4);
    if (!numbers || (!probe && !((*numbers)[3] > 0.0f))) {
        error = probe ? "probe needs three finite numbers X Y Z"
                      : "gauss needs three finite numbers X Y Z for the centre and a radius above 0";
        return false;
    }
    request.kind = probe ? VisualisationRequest::Kind::Probe : VisualisationRequest::Kind::GaussSphere;
    request.point = {(*numbers)[0], (*numbers)[1], (*numbers)[2]};
    if (!probe) request.radius = (*numbers)[3];
    at += probe ? 4 : 5;
    return true;
}

}  // namespace

void settleLineMethod(ParsedRequest& request, bool teachingStyle) {
    if (request.kind == VisualisationRequest::Kind::FieldLines && !request.methodStated) {
        request.method = teachingStyle ? FieldLineMethod::Accurate : FieldLineMethod::Euler;
    }
}

std::optional<ParsedRequest> parseRequest(const std::vector<std::string>& words, std::size_t& at, std::string& error) {
    const std::string& word = words[at];
    const std::size_t left = words.size() - at - 1;
    const std::size_t first = at;
    ParsedRequest request{};
    if ((word == "lines" || word == "hedgehog") && left >= 1) {
        const bool lines = word == "lines";
        const auto count = clampedInteger(words[at + 1], 1, lines ? maxLinesPerCharge : maxHedgehogLines, request.clamped);
        if (!count) {
            error = "\"" + words[at + 1] + "\" is not a whole number";
            return std::nullopt;
        }
        request.kind = lines ? VisualisationRequest::Kind::FieldLines : VisualisationRequest::Kind::Hedgehog;
        request.count = *count;
        at += 2;
        if (!parseLineOptions(words, at, lines, request, error)) return std::nullopt;
    } else if (word == "plane") {
        if (!parsePlane(words, at, request, error)) return std::nullopt;
    } else if (word == "surface" && left >= 2) {
        const auto potential = clampedFloat(words[at + 1], minSurfaceLevel, maxSurfaceLevel, request.clamped);
        const std::string& direction = words[at + 2];
        if (!potential || (direction != "leave" && direction != "enter")) {
            error = "surface needs a number and \"leave\" or \"enter\"";
            return std::nullopt;
        }
        request.kind = VisualisationRequest::Kind::Surface;
        request.potential = *potential;
        request.direction = direction == "enter" ? 1 : 0;
        at += 3;
    } else if (word == "probe" || word == "gauss") {
        if (!readPlacedRequest(words, at, request, error)) return std::nullopt;
    } else {
        error = "bad request \"" + word + "\"";
        return std::nullopt;
    }
    for (std::size_t w = first; w < at; ++w) request.text += (w > first ? " " : "") + words[w];
    return request;
}

std::optional<ParsedRequest> parseRequestText(std::string_view text, std::string& error) {
    std::istringstream split{std::string(text)};
    std::vector<std::string> words;
    for (std::string word; split >> word;) words.push_back(word);
    if (words.empty()) {
        error = "a request must not be empty";
        return std::nullopt;
    }
    std::size_t at = 0;
    std::optional<ParsedRequest> request = parseRequest(words, at, error);
    if (request && at != words.size()) {
        error = "words after the end of the request";
        return std::nullopt;
    }
    return request;
}

namespace {

// The words of a plane's place, levels and lines, defaults left out.
std::string planeWords(const FieldPlane& plane) {
    std::string words = std::string("plane ") + "xyz"[std::clamp(plane.axis, 0, 2)];
    if (plane.offset) words += std::string(" ") + shortestFloatText(*plane.offset).c_str();
    if (!plane.levels.empty()) {
        words += " potentials ";
        for (std::size_t i = 0; i < plane.levels.size(); ++i) words += std::string(i > 0 ? "," : "") + shortestFloatText(plane.levels[i]).c_str();
    } else if (plane.levelCount != defaultPlaneLevels) {
        words += " levels " + std::to_string(plane.levelCount);
    }
    if (plane.linesPerCharge > 0) words += " fieldlines " + std::to_string(plane.linesPerCharge);
    return words;
}

// The option words of lines in proportion and colour by strength.
std::string optionWords(const VisualisationRequest& request) {
    return std::string(request.proportional ? " proportional" : "") + (request.strengthColours ? " strength" : "");
}

}  // namespace

std::string requestWords(const VisualisationRequest& request) {
    const auto word = [](float value) { return std::string(shortestFloatText(value).c_str()); };
    const auto place = [&] { return word(request.point.x) + " " + word(request.point.y) + " " + word(request.point.z); };
    switch (request.kind) {
        case VisualisationRequest::Kind::FieldLines:
            return "lines " + std::to_string(request.count) +
                   (request.method == FieldLineMethod::Accurate ? " accurate" : "") + optionWords(request);
        case VisualisationRequest::Kind::Hedgehog: return "hedgehog " + std::to_string(request.count) + optionWords(request);
        case VisualisationRequest::Kind::Surface:
            return "surface " + word(request.potential) + (request.direction == 0 ? " leave" : " enter");
        case VisualisationRequest::Kind::Plane: return planeWords(request.plane) + optionWords(request);
        case VisualisationRequest::Kind::Probe: return "probe " + place();
        case VisualisationRequest::Kind::GaussSphere: return "gauss " + place() + " " + word(request.radius);
    }
    return {};
}

}  // namespace kelvaro
