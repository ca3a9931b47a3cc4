#include "viz/visualisation_request.h"

#include <algorithm>
#include <cstdio>

#include "common/number_text.h"
#include "viz/field_lines.h"
#include "viz/field_plane.h"
#include "viz/hedgehog.h"
#include "viz/potential_surface.h"
#include "viz/seed_directions.h"
#include "viz/strength_colours.h"

namespace kelvaro {
namespace {

// The options of lines in proportion and colour by strength, as describe() adds them.
std::string optionWords(const VisualisationRequest& request) {
    std::string words;
    if (request.proportional) words += ", in proportion";
    if (request.strengthColours) words += ", by strength";
    return words;
}

// "Plane z = 0, 15 levels" or "Plane x = 0.5 (centre), levels 0.1, 0.2, 8 lines a charge".
std::string describePlane(const VisualisationRequest& request) {
    const FieldPlane& plane = request.plane;
    char text[96];
    const char axis = "xyz"[std::clamp(plane.axis, 0, 2)];
    if (plane.offset) {
        std::snprintf(text, sizeof text, "Plane %c = %s", axis, numberText(*plane.offset).c_str());
    } else {
        std::snprintf(text, sizeof text, "Plane %c through the centre", axis);
    }
    std::string words = text;
    if (plane.levels.empty()) {
        words += ", " + std::to_string(plane.levelCount) + (plane.levelCount == 1 ? " level" : " levels");
    } else {
        words += plane.levels.size() == 1 ? ", level" : ", levels";
        for (std::size_t i = 0; i < plane.levels.size(); ++i) {
            std::snprintf(text, sizeof text, "%s %s", i == 0 ? "" : ",", numberText(plane.levels[i]).c_str());
            words += text;
        }
    }
    if (plane.linesPerCharge > 0) words += ", " + std::to_string(plane.linesPerCharge) + " lines a charge";
    return words;
}

// Why lines in proportion cannot be read from the seed file: the problem of the first
// count it lacks.
std::string proportionalSeedProblem(const VisualisationRequest& request, const Model& model) {
    for (int count : proportionalLineCounts(model, request.count)) {
        if (count == 0) continue;
        std::string problem = seedFileProblem(count);
        if (!problem.empty()) return problem;
    }
    return {};
}

}  // namespace

std::string describe(const VisualisationRequest& request) {
    char text[96];
    switch (request.kind) {
        case VisualisationRequest::Kind::FieldLines:
            std::snprintf(text, sizeof text, "Field lines, %d per charge", request.count);
            break;
        case VisualisationRequest::Kind::Hedgehog:
            std::snprintf(text, sizeof text, "Hedgehog, %d %s", request.count, request.count == 1 ? "line" : "lines");
            break;
        case VisualisationRequest::Kind::Surface:
            std::snprintf(text, sizeof text, "Surface at %g (%s)", static_cast<double>(request.potential),
                          request.direction == 0 ? "leave" : "enter");
            break;
        case VisualisationRequest::Kind::Plane:
            return describePlane(request) + optionWords(request);
    }
    return text + optionWords(request);
}

const char* failureLine(VisualisationRequest::Kind kind) {
    switch (kind) {
        case VisualisationRequest::Kind::FieldLines: return "Cannot render field lines. Sorry.\n";
        case VisualisationRequest::Kind::Hedgehog: return "Cannot render hedgehog lines. Sorry.\n";
        case VisualisationRequest::Kind::Surface: return "Cannot render potential. Sorry.\n";
        case VisualisationRequest::Kind::Plane: return "Cannot render plane. Sorry.\n";
    }
    return "";
}

std::string failureLines(const VisualisationRequest& request, const Model* model) {
    std::string lines = failureLine(request.kind);
    std::string problem;
    if (request.kind == VisualisationRequest::Kind::FieldLines) {
        problem = request.proportional ? (model ? proportionalSeedProblem(request, *model) : std::string())
                                       : seedFileProblem(request.count);
    } else if (request.kind == VisualisationRequest::Kind::Plane && model) {
        problem = planeProblem(*model, request.plane);
    }
    if (!problem.empty()) lines += problem + "\n";
    return lines;
}

Ref<Group> buildRequest(const VisualisationRequest& request, const Model& model, Random15* generator,
                        const BuildOptions& options) {
    Ref<Group> built;
    switch (request.kind) {
        case VisualisationRequest::Kind::FieldLines:
            built = request.proportional ? makeProportionalFieldLines(model, request.count, options)
                                         : makeFieldLines(model, request.count, options);
            break;
        case VisualisationRequest::Kind::Hedgehog:
            built = generator != nullptr ? makeHedgehog(model, request.count, *generator, options)
                                         : makeHedgehog(model, request.count, options);
            break;
        case VisualisationRequest::Kind::Surface:
            return makePotentialSurface(model, static_cast<double>(request.potential), request.direction, options);
        case VisualisationRequest::Kind::Plane:
            return makeFieldPlane(model, request.plane, request.strengthColours, options);
    }
    if (built && request.strengthColours) built = shadedByStrength(model, *built, options);
    return built;
}

Ref<Group> rebuildRequest(const VisualisationRequest& request, const Model& model, const BuildOptions& options) {
    Random15 generator(request.generatorState);
    return buildRequest(request, model, &generator, options);
}

}  // namespace kelvaro
