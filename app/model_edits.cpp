#include "app/model_edits.h"

#include <algorithm>
#include <bit>
#include <cstdint>
#include <new>
#include <variant>

#include "app/edit_history.h"
#include "app/session.h"

namespace kelvaro {
namespace {

struct ChargeStep {
    std::vector<Charge> before, after;
};
// The group is not kept: undoing the removal builds it again from the request.
struct RemovalStep {
    std::size_t index;
    VisualisationRequest request;
    bool hidden;
};
using EditStep = std::variant<ChargeStep, RemovalStep>;

UndoHistory<EditStep> history;

bool sameBits(std::span<const Charge> a, std::span<const Charge> b) {
    if (a.size() != b.size()) return false;
    const auto bits = [](float value) { return std::bit_cast<std::uint32_t>(value); };
    for (std::size_t i = 0; i < a.size(); ++i) {
        if (std::bit_cast<std::uint64_t>(a[i].value) != std::bit_cast<std::uint64_t>(b[i].value) ||
            bits(a[i].position.x) != bits(b[i].position.x) || bits(a[i].position.y) != bits(b[i].position.y) ||
            bits(a[i].position.z) != bits(b[i].position.z)) {
            return false;
        }
    }
    return true;
}

std::vector<Charge> presentCharges() { return {currentModel->charges().begin(), currentModel->charges().end()}; }

// The scene anew: the model's geometry, then every shown visualisation in list order, each
// built first when it has no group.
void assembleScene() {
    Ref<Group> scene = currentModel->buildModelGeometry();
    if (!scene) {
        sceneGroup.reset();
        say("Failed to render model");
        return;
    }
    for (Visualisation& visualisation : visualisations) {
        if (visualisation.hidden) continue;
        if (!visualisation.group) visualisation.group = rebuildRequest(visualisation.request, *currentModel);
        bool added = false;
        if (visualisation.group) {
            try {
                scene->add(*visualisation.group);
                added = true;
            } catch (const std::bad_alloc&) {  // the scene's array could not grow
            }
        }
        if (!added) say(failureLines(visualisation.request));
    }
    sceneGroup = std::move(scene);
}

void insertVisualisation(const RemovalStep& step) {
    const auto at = visualisations.begin() + static_cast<std::ptrdiff_t>(std::min(step.index, visualisations.size()));
    visualisations.insert(at, Visualisation{step.request, {}, step.hidden});
    assembleScene();
}

void eraseVisualisation(std::size_t index) {
    visualisations.erase(visualisations.begin() + static_cast<std::ptrdiff_t>(index));
    assembleScene();
}

}  // namespace

bool setCharges(std::span<const Charge> charges) {
    if (!currentModel || charges.size() > static_cast<std::size_t>(Model::maxCharges)) return false;
    try {
        std::unique_ptr<Model> model = currentModel->withCharges(charges);
        currentModel = std::move(model);
    } catch (const std::bad_alloc&) {
        say("Not enough memory to change the charges.\n");
        return false;
    }
    for (Visualisation& visualisation : visualisations) visualisation.group.reset();
    assembleScene();
    return true;
}

bool editCharges(std::span<const Charge> charges) {
    if (!currentModel || sameBits(charges, currentModel->charges())) return false;
    std::vector<Charge> before = presentCharges();
    if (!setCharges(charges)) return false;
    history.record(ChargeStep{std::move(before), {charges.begin(), charges.end()}});
    return true;
}

void recordChargeStep(std::vector<Charge> before) {
    if (!currentModel || sameBits(before, currentModel->charges())) return;
    history.record(ChargeStep{std::move(before), presentCharges()});
}

bool setHidden(std::size_t index, bool hidden) {
    if (!currentModel || index >= visualisations.size()) return false;
    visualisations[index].hidden = hidden;
    assembleScene();
    return true;
}

bool removeVisualisation(std::size_t index) {
    if (!currentModel || index >= visualisations.size()) return false;
    history.record(RemovalStep{index, visualisations[index].request, visualisations[index].hidden});
    eraseVisualisation(index);
    return true;
}

bool undoEdit() {
    const EditStep* step = currentModel ? history.undo() : nullptr;
    if (step == nullptr) return false;
    if (const auto* charges = std::get_if<ChargeStep>(step)) return setCharges(charges->before);
    insertVisualisation(std::get<RemovalStep>(*step));
    return true;
}

bool redoEdit() {
    const EditStep* step = currentModel ? history.redo() : nullptr;
    if (step == nullptr) return false;
    if (const auto* charges = std::get_if<ChargeStep>(step)) return setCharges(charges->after);
    const auto& removal = std::get<RemovalStep>(*step);
    if (removal.index >= visualisations.size()) return false;
    eraseVisualisation(removal.index);
    return true;
}

void clearEditHistory() { history.clear(); }

}  // namespace kelvaro
