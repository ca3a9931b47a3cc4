#include "app/session.h"

#include <cstdio>
#include <new>

#include "app/file_search.h"
#include "viz/field_lines.h"
#include "viz/hedgehog.h"
#include "viz/potential_surface.h"

namespace kelvaro {

std::unique_ptr<Model> currentModel;
Ref<Group> sceneGroup;

namespace {

void say(const char* message) {
    std::fputs(message, stdout);
    std::fflush(stdout);
}

// Reads a model from an open stream; none when the reader raises its error code.
std::unique_ptr<Model> readModel(std::FILE* file) {
    try {
        return std::make_unique<Model>(file);
    } catch (int) {
        return nullptr;
    }
}

// Appends what `build` makes of the current model to the scene, or says `failure`.
template <class Builder>
void addVisualisation(const char* failure, Builder build) {
    if (!currentModel || !sceneGroup) {
        say(failure);
        return;
    }
    const Ref<Group> group = build(*currentModel);
    if (!group) {
        say(failure);
        return;
    }
    try {
        sceneGroup->add(*group);
    } catch (const std::bad_alloc&) {  // the scene's array could not grow; the scene stays as it was
        say(failure);
    }
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
    std::unique_ptr<Model> model = readModel(file);
    std::fclose(file);
    if (!model) {
        say("Failed to read in model correctly.\n");
        return LoadOutcome::ReadFailed;
    }
    currentModel = std::move(model);
    sceneGroup = currentModel->buildModelGeometry();
    if (!sceneGroup) say("Failed to render model");
    return LoadOutcome::Loaded;
}

void addFieldLines(int linesPerCharge) {
    addVisualisation("Cannot render field lines. Sorry.\n",
                     [&](const Model& model) { return makeFieldLines(model, linesPerCharge); });
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
