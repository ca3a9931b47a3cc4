#pragma once
// The words of a visualisation request, as kelvaro-batch, the Python module and the web
// page read them: "lines N", "hedgehog N", "surface V leave" and "surface V enter", with the
// dialogs' limits; "probe X Y Z" and "gauss X Y Z R" (a Gauss sphere). Numbers are read the
// same in every locale. Options follow, in any order, each at most once:
//   lines N [accurate | euler] [proportional] [strength]
//                  the tracer (euler, the program's own, unless the style says otherwise: see
//                  settleLineMethod); in proportion to charge; coloured by strength
//   hedgehog N [strength]
//   plane AXIS [OFFSET] [levels N | potentials V,V,...] [fieldlines N] [strength]
// where AXIS is x, y or z, OFFSET (default: the box's centre) a finite number, levels 0 to
// 100, potentials finite numbers separated by commas (at most 100), fieldlines 0 to 100
// lines round each charge in the plane. An option given twice, or a word after a request
// that is neither its option nor the start of another request (nor, starting with '-', an
// option of the caller's), is refused with a message naming it.

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "viz/visualisation_request.h"

namespace kelvaro {

// The dialogs' limits: lines per charge, hedgehog lines, and a surface's value.
inline constexpr int maxLinesPerCharge = 100;
inline constexpr int maxHedgehogLines = 100000;
inline constexpr float minSurfaceLevel = -10.0f;
inline constexpr float maxSurfaceLevel = 10.0f;

// A request read from words, with the words that asked for it.
struct ParsedRequest : VisualisationRequest {
    std::string text;      // the request's words as given, separated by one space
    bool clamped = false;  // its number lay outside the dialog's limits and was clamped to them
    bool methodStated = false;  // field lines whose words name their tracer
};

// The tracer of field lines whose words name none: the program's own in the window's look,
// the accurate one in the teaching style.
void settleLineMethod(ParsedRequest& request, bool teachingStyle);

// Parses the request that starts at words[at] and moves `at` past it; none when the words
// there are no valid request (then `error` says why). A number outside the dialog's limits
// is clamped to them, as the dialogs clamp what is typed.
std::optional<ParsedRequest> parseRequest(const std::vector<std::string>& words, std::size_t& at, std::string& error);

// A plane's own levels from "V,V,...": finite numbers separated by commas (blanks around
// them are allowed, as a dialog's field may hold them), at most maxPlaneLevels; none, with
// `error` set, for anything else.
std::optional<std::vector<float>> parsePotentialList(std::string_view text, std::string& error);

// The one request that `text` states (words separated by blanks); none, with `error` set,
// when it states none, or more than one.
std::optional<ParsedRequest> parseRequestText(std::string_view text, std::string& error);

// The words that state `request`, which parseRequestText reads back into the same request
// ("lines 20", "lines 20 accurate", "hedgehog 1000", "surface 5 leave", "lines 20 accurate
// proportional strength", "plane z 0 potentials 0.5,1 fieldlines 8", "probe 0 0.5 0",
// "gauss 0 0 0 1"): every number in the fewest digits that give its single-precision bits
// again.
std::string requestWords(const VisualisationRequest& request);

}  // namespace kelvaro
