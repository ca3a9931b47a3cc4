#include "web/web_session.h"

#include <cmath>
#include <cstdio>
#include <memory>
#include <new>
#include <utility>

#include "app/messages.h"
#include "model/model_writer.h"
#include "viz/request_grammar.h"

namespace kelvaro {
namespace {

// Collects what say() prints while it lives.
class CollectedMessages {
public:
    CollectedMessages() : before_(setMessageSink(collect)), outer_(std::exchange(collecting, &text_)) {}
    ~CollectedMessages() {
        collecting = outer_;
        setMessageSink(before_);
    }
    CollectedMessages(const CollectedMessages&) = delete;
    CollectedMessages& operator=(const CollectedMessages&) = delete;

    Outcome outcome(bool done) { return {done, std::move(text_)}; }

private:
    static void collect(std::string_view message) {
        if (collecting != nullptr) collecting->append(message);
    }
    static inline std::string* collecting = nullptr;

    std::string text_;
    MessageSink before_;
    std::string* outer_;
};

bool finite(const Vector3& p) { return std::isfinite(p.x) && std::isfinite(p.y) && std::isfinite(p.z); }

// Why the page cannot draw `request`, or nothing: its batches hold one colour each, so a
// plane's colour map and colours by strength, which need a colour at every point, would
// show wrong.
const char* pageCannotDraw(const ParsedRequest& request) {
    if (request.kind == VisualisationRequest::Kind::Plane) {
        return "The browser edition cannot draw a plane through the field (its colours); the program, "
               "kelvaro-batch png and Python can.\n";
    }
    if (request.strengthColours) {
        return "The browser edition cannot colour lines by strength; the program, kelvaro-batch png and Python "
               "can.\n";
    }
    return nullptr;
}

struct CloseFile {
    void operator()(std::FILE* file) const { std::fclose(file); }
};

}  // namespace

Outcome WebSession::loadModelText(const std::string& name, const std::string& text) {
    CollectedMessages messages;
    return messages.outcome(load(readModelText(text), name));
}

bool WebSession::load(ModelFileRead&& read, const std::string& name) {
    Session fresh;
    if (fresh.load(std::move(read), name) != LoadOutcome::Loaded) return false;
    drag_.end();
    session_ = std::move(fresh);
    return true;
}

Outcome WebSession::newModel(const std::string& name, const Vector3& corner, const Vector3& opposite, bool axes) {
    CollectedMessages messages;
    if (!finite(corner) || !finite(opposite) || corner.x == opposite.x || corner.y == opposite.y ||
        corner.z == opposite.z) {
        say("A model's box needs two corners of finite numbers that differ in x, y and z.\n");
        return messages.outcome(false);
    }
    ModelFileRead made;
    try {
        made.model = std::make_unique<Model>(name, corner, opposite, std::span<const Charge>{}, axes, false);
    } catch (const std::bad_alloc&) {
        say("Not enough memory to make the model.\n");
        return messages.outcome(false);
    }
    return messages.outcome(load(std::move(made), name));
}

Outcome WebSession::addRequest(const std::string& words) {
    CollectedMessages messages;
    std::string error;
    const std::optional<ParsedRequest> request = parseRequestText(words, error);
    if (!request) {
        say(error + "\n");
        return messages.outcome(false);
    }
    if (const char* refusal = pageCannotDraw(*request)) {
        say(refusal);
        return messages.outcome(false);
    }
    drag_.end();
    return messages.outcome(session_.add(*request));
}

Outcome WebSession::setHidden(int index, bool hidden) {
    CollectedMessages messages;
    return messages.outcome(index >= 0 && session_.setHidden(static_cast<std::size_t>(index), hidden));
}

Outcome WebSession::removeVisualisation(int index) {
    CollectedMessages messages;
    drag_.end();
    return messages.outcome(index >= 0 && session_.removeVisualisation(static_cast<std::size_t>(index)));
}

Outcome WebSession::undo() {
    CollectedMessages messages;
    drag_.end();
    return messages.outcome(session_.undo());
}

Outcome WebSession::redo() {
    CollectedMessages messages;
    drag_.end();
    return messages.outcome(session_.redo());
}

Outcome WebSession::changeCharges(const ChargeEdit& edit) {
    CollectedMessages messages;
    if (!edit.charges) {
        say(edit.refusal);
        return messages.outcome(false);
    }
    drag_.end();
    return messages.outcome(session_.editCharges(*edit.charges));
}

Outcome WebSession::applyCharge(int index, const ChargeTexts& texts) {
    if (!session_.model()) return {false, "No model is loaded.\n"};
    return changeCharges(chargesWithTyped(*session_.model(), index, texts));
}

Outcome WebSession::addCharge() {
    if (!session_.model()) return {false, "No model is loaded.\n"};
    return changeCharges(chargesWithNew(*session_.model()));
}

Outcome WebSession::deleteCharge(int index) {
    if (!session_.model()) return {false, "No model is loaded.\n"};
    return changeCharges(chargesWithout(*session_.model(), index));
}

Outcome WebSession::beginDrag(int index) {
    CollectedMessages messages;
    drag_.end();
    return messages.outcome(drag_.begin(session_, index));
}

Outcome WebSession::dragTo(const Vector3& position) {
    CollectedMessages messages;
    if (!drag_.active()) return messages.outcome(false);
    drag_.moveTo(position);
    return messages.outcome(drag_.buildWaiting());
}

Outcome WebSession::endDrag() {
    CollectedMessages messages;
    return messages.outcome(drag_.end());
}

std::optional<std::string> WebSession::modelText() const {
    if (!session_.model()) return std::nullopt;
    return modelFileText(*session_.model());
}

std::optional<std::string> WebSession::sceneText() const {
    if (!session_.scene()) return std::nullopt;
    char* buffer = nullptr;
    std::size_t size = 0;
    bool printed = false;
    {
        const std::unique_ptr<std::FILE, CloseFile> stream(open_memstream(&buffer, &size));
        if (!stream) return std::nullopt;
        printed = session_.scene()->print(stream.get());
    }
    const std::unique_ptr<char, decltype(&std::free)> owned(buffer, std::free);
    if (!printed) return std::nullopt;
    return std::string(buffer, size);
}

DrawnScene WebSession::drawScene() const {
    DrawnScene drawn;
    const Model* model = session_.model();
    const Group* scene = session_.scene();
    if (!model || !scene) return drawn;
    const std::optional<TeachingSizes> sizes = teachingSizes(*model);
    if (sizes) {
        drawn.balls = chargeBalls(*model, sizes->diagonal);
        drawn.arrowLength = sizes->arrowLength;
    }
    std::vector<int> partOf;  // the visualisation of each part
    partOf.push_back(-1);
    SceneBuffers buffers;
    const std::vector<Visualisation>& list = session_.visualisations();
    for (std::int32_t i = 0; i < scene->count(); ++i) {
        const SceneObject& child = scene->child(i);
        for (std::size_t v = 0; v < list.size(); ++v) {
            if (list[v].group.get() != &child) continue;
            buffers.startPart();
            partOf.push_back(static_cast<int>(v));
            break;
        }
        child.draw();
    }
    for (std::size_t p = 0; p < buffers.parts().size(); ++p) {
        const DrawnPart& part = buffers.parts()[p];
        DrawnScene::Part& out = drawn.parts.emplace_back();
        out.visualisation = partOf[p];
        out.batches = part.batches;
        if (!sizes) continue;
        for (const PolyLine* line : part.polyLines) {
            const std::optional<LineArrows> arrows = lineArrows(*model, *line, *sizes);
            if (!arrows) continue;
            for (const Arrowhead& head : arrows->heads) {
                if (!head.pointsSomewhere()) continue;
                out.arrowheads.push_back(head);
                out.arrowColors.push_back(arrows->color);
            }
        }
    }
    return drawn;
}

}  // namespace kelvaro
