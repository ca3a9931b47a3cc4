#include "viz/visualisation_request.h"

#include <cmath>
#include <cstdio>

#include "viz/field_lines.h"
#include "viz/hedgehog.h"
#include "viz/potential_surface.h"
#include "viz/seed_directions.h"

namespace kelvaro {

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
    }
    return text;
}

const char* failureLine(VisualisationRequest::Kind kind) {
    switch (kind) {
        case VisualisationRequest::Kind::FieldLines: return "Cannot render field lines. Sorry.\n";
        case VisualisationRequest::Kind::Hedgehog: return "Cannot render hedgehog lines. Sorry.\n";
        case VisualisationRequest::Kind::Surface: return "Cannot render potential. Sorry.\n";
    }
    return "";
}

std::string failureLines(const VisualisationRequest& request) {
    std::string lines = failureLine(request.kind);
    const std::string problem =
        request.kind == VisualisationRequest::Kind::FieldLines ? seedFileProblem(request.count) : std::string();
    if (!problem.empty()) lines += problem + "\n";
    return lines;
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
    char text[160];
    const double low = model.potentialMin(), high = model.potentialMax();
    if (std::isfinite(low) && std::isfinite(high)) {
        std::snprintf(text, sizeof text, "No surface at V = %g inside the box: the potential there runs from %.3g to %.3g.\n",
                      static_cast<double>(request.potential), low, high);
    } else {
        std::snprintf(text, sizeof text, "No surface at V = %g inside the box: the potential there is no finite number.\n",
                      static_cast<double>(request.potential));
    }
    return text;
}

Ref<Group> buildRequest(const VisualisationRequest& request, const Model& model, Random15* generator,
                        const BuildOptions& options) {
    switch (request.kind) {
        case VisualisationRequest::Kind::FieldLines:
            return makeFieldLines(model, request.count, options);
        case VisualisationRequest::Kind::Hedgehog:
            return generator != nullptr ? makeHedgehog(model, request.count, *generator, options)
                                        : makeHedgehog(model, request.count, options);
        case VisualisationRequest::Kind::Surface:
            return makePotentialSurface(model, static_cast<double>(request.potential), request.direction, options);
    }
    return {};
}

Ref<Group> rebuildRequest(const VisualisationRequest& request, const Model& model, const BuildOptions& options) {
    Random15 generator(request.generatorState);
    return buildRequest(request, model, &generator, options);
}

}  // namespace kelvaro
