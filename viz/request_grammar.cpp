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

}  // namespace

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
    switch (request.kind) {
        case VisualisationRequest::Kind::FieldLines: return "lines " + std::to_string(request.count);
        case VisualisationRequest::Kind::Hedgehog: return "hedgehog " + std::to_string(request.count);
        case VisualisationRequest::Kind::Surface:
            return "surface " + std::string(shortestFloatText(request.potential).c_str()) + (request.direction == 0 ? " leave" : " enter");
    }
    return {};
}

}  // namespace kelvaro
