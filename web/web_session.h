#pragma once
// What the browser edition's page asks of the core, in plain C++ (bindings.cpp hands it to
// JavaScript): a Session with a model loaded from text or made from values, the requests
// in the words of kelvaro-batch, the Edit Charges dialog's actions, a dragged charge, the
// model's text, the scene's text form and the scene drawn into buffers for WebGL. Each
// action answers whether it did anything and the program's messages it gave.

#include <optional>
#include <string>
#include <vector>

#include "app/charge_drag.h"
#include "app/session.h"
#include "app/typed_charge.h"
#include "render/teaching_marks.h"
#include "web/scene_buffers.h"

namespace kelvaro {

struct Outcome {
    bool done = false;
    std::string messages;  // the lines the program would have printed, each with its line end
};

// The scene drawn: one part for the model's own geometry, then one for each shown
// visualisation (`visualisation` is its place in the list, -1 for the model's part), and
// the teaching style's marks: the charges' balls and the arrowheads of the part's lines.
struct DrawnScene {
    struct Part {
        int visualisation = -1;
        std::vector<GeometryBatch> batches;
        std::vector<Arrowhead> arrowheads;
        std::vector<Vector3> arrowColors;  // one per arrowhead: the colour of its line
    };
    std::vector<Part> parts;
    std::vector<ChargeBall> balls;  // charge order
    double arrowLength = 0.0;
};

class WebSession {
public:
    // Loads a model file's text as the program loads a file named `name`. Each model
    // loaded starts a session afresh, its hedgehogs drawing from the generator at state 1
    // as in kelvaro-batch, so that the scene depends on the model and the requests alone
    // (and a link that holds them gives it again); a file that cannot be read keeps it all.
    Outcome loadModelText(const std::string& name, const std::string& text);
    // Loads a model of no charges in the box between two corners (finite, spanning every
    // axis); refused with a message otherwise.
    Outcome newModel(const std::string& name, const Vector3& corner, const Vector3& opposite, bool axes);
    // Adds the visualisation that `words` state ("lines 20"); words that state none are
    // refused with the reason.
    Outcome addRequest(const std::string& words);
    Outcome setHidden(int index, bool hidden);
    Outcome removeVisualisation(int index);
    Outcome undo();
    Outcome redo();

    // The Edit Charges dialog's Apply, Add Charge and Delete Charge.
    Outcome applyCharge(int index, const ChargeTexts& texts);
    Outcome addCharge();
    Outcome deleteCharge(int index);

    // A charge dragged: the scene follows every move (kept in the box); the end records
    // the whole drag as one step of the history.
    Outcome beginDrag(int index);
    Outcome dragTo(const Vector3& position);
    Outcome endDrag();

    const Session& session() const { return session_; }
    // The model as a model file, or none (no model, or a name no file can state).
    std::optional<std::string> modelText() const;
    // The scene's text form as kelvaro-batch print writes it, or none when some object
    // has none (a surface's triangles).
    std::optional<std::string> sceneText() const;
    DrawnScene drawScene() const;

private:
    bool load(ModelFileRead&& read, const std::string& name);
    Outcome changeCharges(const ChargeEdit& edit);

    Session session_;
    ChargeDrag drag_;
};

}  // namespace kelvaro
