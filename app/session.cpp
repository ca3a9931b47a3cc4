#include "app/session.h"

#include <cstdio>
#include <new>

#include "app/file_search.h"
#include "app/model_edits.h"
#include "model/read_report.h"
#include "viz/hedgehog.h"

namespace kelvaro {

std::unique_ptr<Model> currentModel;
Ref<Group> sceneGroup;
std::vector<Visualisation> visualisations;

void say(std::string_view message) {
    std::fwrite(message.data(), 1, message.size(), stdout);
    std::fflush(stdout);
}

namespace {

// Builds `request` on the current model, appends it to the scene and remembers it, or says
// its failure lines.
void addVisualisation(VisualisationRequest request) {
    const char* failure = failureLine(request.kind);
    if (!currentModel || !sceneGroup) {
        say(failure);
        return;
    }
    // The first build draws from the process-wide generator, so that the next hedgehog
    // goes on where this one ends; a build again starts from the state kept here.
    request.generatorState = hedgehogRandom().state();
    const Ref<Group> group = buildRequest(request, *currentModel);
    if (!group) {
        say(failureLines(request));
        return;
    }
    try {
        visualisations.reserve(visualisations.size() + 1);
        sceneGroup->add(*group);
        visualisations.push_back({request, group});
    } catch (const std::bad_alloc&) {  // the scene's array could not grow; the scene stays as it was
        say(failure);
    }
}

// Forgets everything that belonged to the model that is going.
void forgetModel() {
    currentModel.reset();
    visualisations.clear();
    clearEditHistory();
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
    forgetModel();
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
    addVisualisation({VisualisationRequest::Kind::FieldLines, linesPerCharge});
}

void addHedgehogLines(int count) { addVisualisation({VisualisationRequest::Kind::Hedgehog, count}); }

void addPotentialSurface(float potential, int direction) {
    addVisualisation({VisualisationRequest::Kind::Surface, 0, potential, direction});
}

void endSession() {
    forgetModel();
    sceneGroup.reset();
}

}  // namespace kelvaro
