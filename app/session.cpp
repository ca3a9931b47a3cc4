#include "app/session.h"

#include <cstdio>
#include <new>
#include <string>

#include "app/file_search.h"
#include "model/read_report.h"
#include "viz/field_lines.h"
#include "viz/hedgehog.h"
#include "viz/potential_surface.h"
#include "viz/seed_directions.h"

namespace kelvaro {

std::unique_ptr<Model> currentModel;
Ref<Group> sceneGroup;

namespace {

void say(const char* message) {
    std::fputs(message, stdout);
    std::fflush(stdout);
}

// Appends what `build` makes of the current model to the scene, or says `failure`.
// Answers false when the builder answered none.
template <class Builder>
bool addVisualisation(const char* failure, Builder build) {
    if (!currentModel || !sceneGroup) {
        say(failure);
        return true;
    }
    const Ref<Group> group = build(*currentModel);
    if (!group) {
        say(failure);
        return false;
    }
    try {
        sceneGroup->add(*group);
    } catch (const std::bad_alloc&) {  // the scene's array could not grow; the scene stays as it was
        say(failure);
    }
    return true;
}

}  // namespace

LoadOutcome loadModelFile(const char* name) {
    if (name == nullptr || name[0] == '\0') return LoadOutcome::NoName;
    // Opening a directory for reading succeeds on this platform but reads nothing.
    std::FILE* file = isDirectory(name) ? nullptr : std::fopen(name, "r");
    if (file == nullptr) {
        std::printf("Could not open file %s.\n", name);
        std::fflush(stdout);
        return LoadOutcome::CannotOpen;
    }
    currentModel.reset();
    ModelFileRead read = readModelFile(file);
    std::fclose(file);
    tellModelRead(read, name, stdout);
    std::fflush(stdout);
    if (!read.model) return LoadOutcome::ReadFailed;
    currentModel = std::move(read.model);
    sceneGroup = currentModel->buildModelGeometry();
    if (!sceneGroup) say("Failed to render model");
    return LoadOutcome::Loaded;
}

void addFieldLines(int linesPerCharge) {
    const bool built = addVisualisation("Cannot render field lines. Sorry.\n", [&](const Model& model) {
        return makeFieldLines(model, linesPerCharge);
    });
    const std::string problem = built ? std::string() : seedFileProblem(linesPerCharge);
    if (!problem.empty()) say((problem + "\n").c_str());
}

void addHedgehogLines(int count) {
    addVisualisation("Cannot render hedgehog lines. Sorry.\n",
                     [&](const Model& model) { return makeHedgehog(model, count); });
}

void addPotentialSurface(float potential, int direction) {
    addVisualisation("Cannot render potential. Sorry.\n", [&](const Model& model) {
        return makePotentialSurface(model, static_cast<double>(potential), direction);
    });
}

void endSession() {
    currentModel.reset();
    sceneGroup.reset();
}

}  // namespace kelvaro
