#include "viz/visualisation_request.h"

#include <algorithm>
#include <cmath>
#include <cstdio>

#include "common/number_text.h"
#include "viz/field_lines.h"
#include "viz/field_plane.h"
#include "viz/gauss_flux.h"
#include "viz/hedgehog.h"
#include "viz/potential_surface.h"
#include "viz/probe.h"
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
    char text[128];
    const auto wide = [](float value) { return static_cast<double>(value); };
    switch (request.kind) {
        case VisualisationRequest::Kind::FieldLines:
            std::snprintf(text, sizeof text, "Field lines, %d per charge%s", request.count,
                          request.method == FieldLineMethod::Accurate ? ", accurate" : "");
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
        case VisualisationRequest::Kind::Probe:
            std::snprintf(text, sizeof text, "Probe at (%g, %g, %g)", wide(request.point.x), wide(request.point.y),
                          wide(request.point.z));
            break;
        case VisualisationRequest::Kind::GaussSphere:
            std::snprintf(text, sizeof text, "Gauss sphere at (%g, %g, %g), radius %g", wide(request.point.x),
                          wide(request.point.y), wide(request.point.z), wide(request.radius));
            break;
    }
    return text + optionWords(request);
}

const char* failureLine(VisualisationRequest::Kind kind) {
    switch (kind) {
        case VisualisationRequest::Kind::FieldLines: return "Cannot render field lines. Sorry.\n";
        case VisualisationRequest::Kind::Hedgehog: return "Cannot render hedgehog lines. Sorry.\n";
        case VisualisationRequest::Kind::Surface: return "Cannot render potential. Sorry.\n";
        case VisualisationRequest::Kind::Plane: return "Cannot render plane. Sorry.\n";
        case VisualisationRequest::Kind::Probe: return "Cannot place the probe. Sorry.\n";
        case VisualisationRequest::Kind::GaussSphere: return "Cannot render the Gauss sphere. Sorry.\n";
    }
    return "";
}

std::string failureLines(const VisualisationRequest& request, const Model* model) {
    std::string lines = failureLine(request.kind);
    if (request.kind == VisualisationRequest::Kind::FieldLines) {
        const std::string problem = request.proportional
                                        ? (model ? proportionalSeedProblem(request, *model) : std::string())
                                        : seedFileProblem(request.count);
        if (!problem.empty()) lines += problem + "\n";
    }
    if (model) lines += requestProblem(request, *model);
    return lines;
}

std::string requestProblem(const VisualisationRequest& request, const Model& model) {
    switch (request.kind) {
        case VisualisationRequest::Kind::Probe: return probePlaceProblem(model, request.point);
        case VisualisationRequest::Kind::GaussSphere: return gaussSphereProblem(request.point, request.radius);
        case VisualisationRequest::Kind::Plane: {
            const std::string problem = planeProblem(model, request.plane);
            return problem.empty() ? problem : problem + "\n";
        }
        default: return "";
    }
}

std::string readingLine(const VisualisationRequest& request, const Model& model, const BuildOptions& options) {
    switch (request.kind) {
        case VisualisationRequest::Kind::Probe:
            return requestProblem(request, model).empty() ? probeLine(probeAt(model, request.point)) : "";
        case VisualisationRequest::Kind::GaussSphere:
            return requestProblem(request, model).empty()
                       ? fluxLine(fluxThroughSphere(model, request.point, request.radius, options))
                       : "";
        default:
            return "";
    }
}

namespace {

// Whether `object` is or holds a triangle.
bool holdsTriangle(const SceneObject& object) {
    if (object.typeCode() == TriangleType) return true;
    if (object.typeCode() != GroupType) return false;
    const auto& group = static_cast<const Group&>(object);
    for (std::int32_t i = 0; i < group.count(); ++i) {
        if (holdsTriangle(group.child(i))) return true;
    }
    return false;
}

}  // namespace

std::string emptyResultNote(const VisualisationRequest& request, const Group& built, const Model& model) {
    if (request.kind != VisualisationRequest::Kind::Surface || holdsTriangle(built)) return {};
    // Numbers in the "C" locale's form whatever the process's locale (a Python host may set
    // a decimal comma).
    std::string note = std::string("No surface at V = ") + numberText(request.potential).c_str() + " inside the box: ";
    const double low = model.potentialMin(), high = model.potentialMax();
    if (std::isfinite(low) && std::isfinite(high)) {
        note += std::string("the potential there runs from ") + numberText(low, 3).c_str() + " to " +
                numberText(high, 3).c_str() + ".\n";
    } else {
        note += "the potential there is no finite number.\n";
    }
    return note;
}

Ref<Group> buildRequest(const VisualisationRequest& request, const Model& model, Random15* generator,
                        const BuildOptions& options) {
    Ref<Group> built;
    switch (request.kind) {
        case VisualisationRequest::Kind::FieldLines:
            built = request.proportional ? makeProportionalFieldLines(model, request.count, request.method, options)
                                         : makeFieldLines(model, request.count, request.method, options);
            break;
        case VisualisationRequest::Kind::Hedgehog:
            built = generator != nullptr ? makeHedgehog(model, request.count, *generator, options)
                                         : makeHedgehog(model, request.count, options);
            break;
        case VisualisationRequest::Kind::Surface:
            return makePotentialSurface(model, static_cast<double>(request.potential), request.direction, options);
        case VisualisationRequest::Kind::Plane:
            return makeFieldPlane(model, request.plane, request.strengthColours, options);
        case VisualisationRequest::Kind::Probe:
            return makeProbe(model, request.point);
        case VisualisationRequest::Kind::GaussSphere:
            return makeGaussSphere(model, request.point, request.radius, options);
    }
    if (built && request.strengthColours) built = shadedByStrength(model, *built, options);
    return built;
}

Ref<Group> rebuildRequest(const VisualisationRequest& request, const Model& model, const BuildOptions& options) {
    Random15 generator(request.generatorState);
    return buildRequest(request, model, &generator, options);
}

}  // namespace kelvaro
