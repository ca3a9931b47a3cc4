#include "app/session.h"

#include <algorithm>
#include <new>

#include "app/messages.h"
#include "common/bit_cast.h"

namespace kelvaro {

Session* programSession = nullptr;

namespace {

bool sameBits(std::span<const Charge> a, std::span<const Charge> b) {
    if (a.size() != b.size()) return false;
    const auto bits = [](float value) { return bitCast<std::uint32_t>(value); };
    for (std::size_t i = 0; i < a.size(); ++i) {
        if (bitCast<std::uint64_t>(a[i].value) != bitCast<std::uint64_t>(b[i].value) ||
            bits(a[i].position.x) != bits(b[i].position.x) || bits(a[i].position.y) != bits(b[i].position.y) ||
            bits(a[i].position.z) != bits(b[i].position.z)) {
            return false;
        }
    }
    return true;
}

bool isHedgehog(const VisualisationRequest& request) { return request.kind == VisualisationRequest::Kind::Hedgehog; }

}  // namespace

LoadOutcome Session::load(const std::string& name) {
    if (name.empty()) return LoadOutcome::NoName;
    return load(readModelFile(name), name);
}

LoadOutcome Session::load(ModelFileRead&& read, std::string_view name) {
    say(modelReadReport(read, name));
    if (read.openError != 0) return LoadOutcome::CannotOpen;
    if (!read.model) return LoadOutcome::ReadFailed;
    model_ = std::move(read.model);
    visualisations_.clear();
    history_.clear();
    generatorAtLoad_ = generator_.state();
    scene_ = model_->buildModelGeometry();
    if (!scene_) say("Failed to render model");
    return LoadOutcome::Loaded;
}

bool Session::add(VisualisationRequest request) {
    if (!model_ || !scene_) {
        say(failureLine(request.kind));
        return false;
    }
    request.generatorState = generator_.state();
    Random15 generator = generator_;
    const Ref<Group> group = buildRequest(request, *model_, &generator);
    if (!group) {
        say(failureLines(request, model_.get()));
        return false;
    }
    try {
        visualisations_.reserve(visualisations_.size() + 1);
        scene_->add(*group);
        visualisations_.push_back({request, group, false, generator.state()});
    } catch (const std::bad_alloc&) {  // the scene's array could not grow; the scene stays as it was
        say(failureLine(request.kind));
        return false;
    }
    generator_ = generator;
    history_.record(ListStep{visualisations_.size() - 1, request, false, false});
    const std::string reading = readingLine(request, *model_);
    if (!reading.empty()) say(reading);
    return true;
}

void Session::tellReadings() const {
    for (const Visualisation& visualisation : visualisations_) {
        const std::string reading = visualisation.hidden ? "" : readingLine(visualisation.request, *model_);
        if (!reading.empty()) say(reading);
    }
}

std::vector<Charge> Session::presentCharges() const { return {model_->charges().begin(), model_->charges().end()}; }

bool Session::setCharges(std::span<const Charge> charges) {
    if (!model_ || charges.size() > static_cast<std::size_t>(Model::maxCharges)) return false;
    try {
        model_ = model_->withCharges(charges);
    } catch (const std::bad_alloc&) {
        say("Not enough memory to change the charges.\n");
        return false;
    }
    for (Visualisation& visualisation : visualisations_) visualisation.group.reset();
    assembleScene();
    return true;
}

bool Session::editCharges(std::span<const Charge> charges) {
    if (!model_ || sameBits(charges, model_->charges())) return false;
    std::vector<Charge> before = presentCharges();
    if (!setCharges(charges)) return false;
    history_.record(ChargeStep{std::move(before), {charges.begin(), charges.end()}});
    tellReadings();
    return true;
}

void Session::recordChargeStep(std::vector<Charge> before) {
    if (!model_ || sameBits(before, model_->charges())) return;
    history_.record(ChargeStep{std::move(before), presentCharges()});
    tellReadings();
}

bool Session::setHidden(std::size_t index, bool hidden) {
    if (!model_ || index >= visualisations_.size()) return false;
    visualisations_[index].hidden = hidden;
    assembleScene();
    return true;
}

bool Session::removeVisualisation(std::size_t index) {
    if (!model_ || index >= visualisations_.size()) return false;
    const Visualisation& removed = visualisations_[index];
    history_.record(ListStep{index, removed.request, removed.hidden, true});
    visualisations_.erase(visualisations_.begin() + static_cast<std::ptrdiff_t>(index));
    assembleScene();
    return true;
}

void Session::applyListStep(const ListStep& step, bool forwards) {
    if (step.removal == forwards) {
        if (step.index >= visualisations_.size()) return;
        visualisations_.erase(visualisations_.begin() + static_cast<std::ptrdiff_t>(step.index));
    } else {
        const std::size_t at = std::min(step.index, visualisations_.size());
        visualisations_.insert(visualisations_.begin() + static_cast<std::ptrdiff_t>(at),
                               Visualisation{step.request, {}, step.hidden});
    }
    assembleScene();
}

bool Session::undo() {
    const EditStep* step = model_ ? history_.undo() : nullptr;
    if (step == nullptr) return false;
    if (const auto* charges = std::get_if<ChargeStep>(step)) {
        if (!setCharges(charges->before)) return false;
        tellReadings();
        return true;
    }
    applyListStep(std::get<ListStep>(*step), false);
    return true;
}

bool Session::redo() {
    const EditStep* step = model_ ? history_.redo() : nullptr;
    if (step == nullptr) return false;
    if (const auto* charges = std::get_if<ChargeStep>(step)) {
        if (!setCharges(charges->after)) return false;
        tellReadings();
        return true;
    }
    applyListStep(std::get<ListStep>(*step), true);
    return true;
}

void Session::assembleScene() {
    Random15 generator(generatorAtLoad_);
    Ref<Group> scene = model_->buildModelGeometry();
    for (Visualisation& visualisation : visualisations_) {
        VisualisationRequest& request = visualisation.request;
        if (isHedgehog(request)) {
            if (visualisation.group && request.generatorState == generator.state()) {
                generator = Random15(visualisation.generatorAfter);
            } else {
                request.generatorState = generator.state();
                visualisation.group = buildRequest(request, *model_, &generator);
                visualisation.generatorAfter = generator.state();
            }
        } else if (!visualisation.hidden && !visualisation.group) {
            visualisation.group = buildRequest(request, *model_);
        }
        if (visualisation.hidden || !scene) continue;
        bool added = false;
        if (visualisation.group) {
            try {
                scene->add(*visualisation.group);
                added = true;
            } catch (const std::bad_alloc&) {  // the scene's array could not grow
            }
        }
        if (!added) say(failureLines(request, model_.get()));
    }
    generator_ = generator;
    if (!scene) say("Failed to render model");
    scene_ = std::move(scene);
}

void Session::end() {
    model_.reset();
    visualisations_.clear();
    history_.clear();
    scene_.reset();
}

}  // namespace kelvaro
