#pragma once
// The program's session: the loaded model and everything made of it (the scene that the
// main window draws, the visualisations asked for since the load, the generator of
// hedgehog samples and the history of edits), with the actions that change them. None of
// this needs a window: the dialogs read their controls and call these, and tests drive a
// Session of their own.
//
// The scene of a model is always the one that loading a file with the model's charges and
// asking for the same requests, in list order, would give (bit for bit, hedgehog lines at
// the same random places): after a load, after every change of the charges, and after a
// visualisation is hidden, shown, removed or brought back. Messages go through say().

#include <cstddef>
#include <cstdint>
#include <memory>
#include <span>
#include <string>
#include <string_view>
#include <variant>
#include <vector>

#include "app/edit_history.h"
#include "model/model.h"
#include "model/read_report.h"
#include "scene/group.h"
#include "viz/hedgehog.h"
#include "viz/visualisation_request.h"

namespace kelvaro {

// A visualisation added since the load: what was asked for (a hedgehog's with the
// generator state it draws from, request.generatorState), the group built from it on the
// current model, and whether the user hid it.
struct Visualisation {
    VisualisationRequest request;
    Ref<Group> group;  // none while it waits to be built (hidden when the charges changed)
    bool hidden = false;
    std::uint32_t generatorAfter = 0;  // a hedgehog's: the generator's state where its draws end
};

enum class LoadOutcome { NoName, CannotOpen, ReadFailed, Loaded };

class Session {
public:
    // The loaded model; none before the first successful load.
    const Model* model() const { return model_.get(); }
    // Everything that is drawn: the model's own geometry, with every shown visualisation
    // appended as further children, in list order. None without a model, or when the
    // model's geometry could not be built.
    Group* scene() const { return scene_.get(); }
    // The visualisations in the order they were added; the scene holds those not hidden.
    const std::vector<Visualisation>& visualisations() const { return visualisations_; }

    // Loads the model file `name` (empty: nothing happens). A file that cannot be opened (or
    // is a folder) says "Could not open file <name>."; a failed read says "Failed to read in
    // model correctly." and the line that says where and why; either way the session stays
    // exactly as it was. A successful read replaces the model, the scene, the
    // visualisations and the history ("Failed to render model" when the model has no
    // geometry). Every statement the reader dropped and every line it discarded is told on
    // a line of its own, "<name>:<line>: <reason>: <text>" (see read_report.h).
    LoadOutcome load(const std::string& name);
    // The same with a file read already (read from memory, as the browser edition reads
    // a chosen file); `name` names it in the messages.
    LoadOutcome load(ModelFileRead&& read, std::string_view name);

    // Adds one visualisation of the current model to the scene and the list, as one step of
    // the history (a hedgehog draws from the generator where the last one left it); a probe
    // or a Gauss sphere then says what it reads (readingLine). Without a model or a scene, or
    // when the builder answers none, says the failure lines ("Cannot render field lines.
    // Sorry." and so on; for the seed file a line naming it and its folder, for a probe
    // outside the box why) and changes nothing.
    bool add(VisualisationRequest request);

    // Gives the model these charges (at most Model::maxCharges; the caller checks the values
    // and places) and builds the scene again, the probes' labels and the Gauss spheres'
    // colours with it; no step of the history, and nothing is said. False, changing
    // nothing, without a model or with too many charges or when memory runs out.
    bool setCharges(std::span<const Charge> charges);
    // The same as one step of the history; false, with no step, when the charges are already
    // these to the bit. Every shown probe and Gauss sphere then says what it reads now.
    bool editCharges(std::span<const Charge> charges);
    // Records the change from `before` to the present charges as one step (a drag, whose
    // moves went through setCharges), and then the shown probes and Gauss spheres say what
    // they read; nothing when the charges are the same.
    void recordChargeStep(std::vector<Charge> before);

    // Hides or shows visualisation `index` (0 = the first added); a hidden one leaves the
    // scene, a shown one comes back in its place. False when there is none. No step.
    bool setHidden(std::size_t index, bool hidden);
    // Removes visualisation `index` as one step of the history; false when there is none.
    bool removeVisualisation(std::size_t index);

    // Takes back the last step, or does again the last one taken back (up to 100 steps);
    // false when there is none. A step of the charges ends with the shown probes and Gauss
    // spheres saying what they read.
    bool undo();
    bool redo();

    // The generator state that the next hedgehog will draw from.
    std::uint32_t nextHedgehogState() const { return generator_.state(); }

    // Forgets the model, the visualisations and the history, and releases the scene (the
    // exit's clean-up). The generator goes on where it is.
    void end();

private:
    struct ChargeStep {
        std::vector<Charge> before, after;
    };
    // A visualisation added (undone by removing it) or removed (undone by adding it back);
    // its group is not kept, the scene builds it again from the request.
    struct ListStep {
        std::size_t index;
        VisualisationRequest request;
        bool hidden;
        bool removal;
    };
    using EditStep = std::variant<ChargeStep, ListStep>;

    std::vector<Charge> presentCharges() const;
    // Says what every shown probe and Gauss sphere reads, in list order.
    void tellReadings() const;
    // Applies a list step forwards (`redo`) or backwards.
    void applyListStep(const ListStep& step, bool forwards);
    // Builds the scene anew: the model's geometry, then each visualisation in list order,
    // built first when it has no group or when it is a hedgehog whose draws no longer
    // start where the generator, carried through the list from the load, now stands. A
    // hidden hedgehog is built too, though not shown: it takes its samples from the
    // generator as it would in the reload, so hiding one moves none of the others.
    void assembleScene();

    std::unique_ptr<Model> model_;
    Ref<Group> scene_;
    std::vector<Visualisation> visualisations_;
    // Hedgehog samples: state 1 when the program starts, never reseeded, so that each
    // run draws the same sequence and each request goes on where the last one ended.
    Random15 generator_;
    std::uint32_t generatorAtLoad_ = 1;  // where it stood when the model was loaded
    UndoHistory<EditStep> history_;
};

// The program's one session, which the GLUT callbacks and the dialogs act on; set by the
// program at start (and by tests of the dialogs to a session of their own).
extern Session* programSession;

}  // namespace kelvaro
