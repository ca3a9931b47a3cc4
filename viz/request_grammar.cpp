#include "viz/request_grammar.h"

#include <algorithm>
#include <cmath>
#include <sstream>

#include "common/number_text.h"

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

// The words of accurate field lines, probes and Gauss spheres.

// The tracer named by the word after "lines N", if any: moves `at` past it.
void readLineMethod(const std::vector<std::string>& words, std::size_t& at, ParsedRequest& request) {
    if (at >= words.size() || (words[at] != "accurate" && words[at] != "euler")) return;
    request.method = words[at] == "accurate" ? FieldLineMethod::Accurate : FieldLineMethod::Euler;
    request.methodStated = true;
    ++at;
}

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
        if (lines) readLineMethod(words, at, request);
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

std::string requestWords(const VisualisationRequest& request) {
    const auto word = [](float value) { return std::string(shortestFloatText(value).c_str()); };
    const auto place = [&] { return word(request.point.x) + " " + word(request.point.y) + " " + word(request.point.z); };
    switch (request.kind) {
        case VisualisationRequest::Kind::FieldLines:
            return "lines " + std::to_string(request.count) +
                   (request.method == FieldLineMethod::Accurate ? " accurate" : "");
        case VisualisationRequest::Kind::Hedgehog: return "hedgehog " + std::to_string(request.count);
        case VisualisationRequest::Kind::Surface:
            return "surface " + word(request.potential) + (request.direction == 0 ? " leave" : " enter");
        case VisualisationRequest::Kind::Probe: return "probe " + place();
        case VisualisationRequest::Kind::GaussSphere: return "gauss " + place() + " " + word(request.radius);
    }
    return {};
}

}  // namespace kelvaro
