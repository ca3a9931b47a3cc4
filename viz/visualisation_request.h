#pragma once
// A visualisation as the user asked for it: enough to build it again on a changed model
// and get what the same request on a model loaded from a file would give.

#include <cstdint>
#include <string>

#include "common/vector3.h"
#include "model/model.h"
#include "scene/group.h"
#include "viz/field_plane.h"
#include "viz/field_lines.h"
#include "viz/hedgehog.h"
#include "viz/worker_threads.h"

namespace kelvaro {

struct VisualisationRequest {
    enum class Kind { FieldLines, Hedgehog, Surface, Probe, GaussSphere, Plane };
    Kind kind = Kind::FieldLines;
    int count = 0;                     // lines per charge, or hedgehog lines
    float potential = 0.0f;            // a surface's value, single precision as the dialog reads it
    int direction = 0;                 // a surface's normals: 0 "Leave", 1 "Enter"
    std::uint32_t generatorState = 1;  // a hedgehog's generator where the request first drew from it

    // ---- Lines in proportion to charge, colour by strength, and a plane through the field.
    bool proportional = false;     // field lines: round(count |q| / max |q|) a charge (see makeProportionalFieldLines)
    bool strengthColours = false;  // field lines, hedgehog lines and a plane's field lines coloured by log10 |E|
    FieldPlane plane{};            // a plane's place, levels and field lines

    // Accurate field lines, probes and Gauss spheres.
    FieldLineMethod method = FieldLineMethod::Euler;  // how field lines are traced
    Vector3 point = {};                               // a probe's place, a Gauss sphere's centre
    float radius = 0.0f;                              // a Gauss sphere's radius
};

// The request in words: "Field lines, 20 per charge" (", accurate" for accurate ones),
// "Hedgehog, 1000 lines", "Surface at 5 (leave)", "Plane z = 0, 15 levels", "Probe at
// (0, 0.5, 0)", "Gauss sphere at (0, 0, 0), radius 1"; the options of lines and hedgehogs
// follow after commas ("Field lines, 20 per charge, accurate, in proportion, by strength").
std::string describe(const VisualisationRequest& request);

// The line the dialogs print when the request's builder answers none ("Cannot render
// field lines. Sorry.\n" and the like).
const char* failureLine(VisualisationRequest::Kind kind);
// The lines to print when the request's builder answered none: the failure line, and for
// field lines that failed for the seed file, a line naming it and its folder
// (seedFileProblem), and with `model` the request's problem there (requestProblem).
// Each ends with a line feed.
std::string failureLines(const VisualisationRequest& request, const Model* model = nullptr);

// Why a request cannot be made on `model`, a line ending with a line feed, or empty when
// nothing speaks against it: for a probe or a Gauss sphere its place (probePlaceProblem,
// gaussSphereProblem), for a plane planeProblem, for lines in proportion the seed file's
// problem with the first set they lack.
std::string requestProblem(const VisualisationRequest& request, const Model& model);

// What a probe or a Gauss sphere reads on `model`, as a line for the user with a line
// feed (probeLine, fluxLine); empty for the other kinds.
std::string readingLine(const VisualisationRequest& request, const Model& model, const BuildOptions& options = {});

// Why `built`, what the request gave on `model`, shows nothing though it was built: for a
// surface without a triangle, "No surface at V = 20 inside the box: the potential there
// runs from -56.7 to 56.7.\n" (the model's range of the potential, near its charges
// included; "is no finite number" when that range is not). Empty for everything else.
std::string emptyResultNote(const VisualisationRequest& request, const Group& built, const Model& model);

// Builds the request on `model`: a new Group (one reference, the caller's), or none when
// the builder answers none. A hedgehog draws from `generator` and leaves it where its draws
// end, or from the process-wide generator when `generator` is null; generatorState is not
// read (the caller notes it before the first build).
Ref<Group> buildRequest(const VisualisationRequest& request, const Model& model, Random15* generator = nullptr,
                        const BuildOptions& options = {});
// Builds the request again, a hedgehog from a generator at its generatorState (the
// process-wide generator is not touched), so that it gives what its first build gave on
// the model of that time.
Ref<Group> rebuildRequest(const VisualisationRequest& request, const Model& model, const BuildOptions& options = {});

}  // namespace kelvaro
