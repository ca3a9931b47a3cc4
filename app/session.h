#pragma once
// The shell's model and scene, and the actions of the dialogs that change them. None of
// this needs a window: the dialogs read their controls and call these functions.
//
// Every message goes to standard output, flushed at once, and the program carries on.

#include <memory>
#include <string_view>
#include <vector>

#include "viz/visualisation_request.h"
#include "model/model.h"
#include "scene/group.h"

namespace kelvaro {

// The loaded model, owned by the shell; none before the first successful load.
extern std::unique_ptr<Model> currentModel;
// The shell's one reference to everything that is drawn: the model's own geometry,
// with every shown visualisation (below) appended as further children, in list order.
extern Ref<Group> sceneGroup;

// A visualisation added since the load: what was asked for, the group built from it on
// the current model, and whether the user hid it.
struct Visualisation {
    VisualisationRequest request;
    Ref<Group> group;  // none while it waits to be built again (hidden when the charges changed)
    bool hidden = false;
};
// The visualisations in the order they were added; the scene holds those not hidden.
extern std::vector<Visualisation> visualisations;

enum class LoadOutcome { NoName, CannotOpen, ReadFailed, Loaded };

// Loads the model file `name` (empty: nothing happens). A file that cannot be opened
// (or is a directory) prints "Could not open file <name>." and changes nothing. Otherwise
// the current model is destroyed before reading; a failed read prints "Failed to read in
// model correctly." and the line that says where and why ("<name>:<line>: ...") and
// leaves no model while the old scene stays. A successful read replaces the scene by the
// new model's geometry ("Failed to render model" when there is none). Either way every
// statement the reader dropped and every line it discarded is told on a line of its own,
// "<name>:<line>: <reason>: <text>" (see read_report.h). Whenever the old model goes, the
// visualisations and the edit history go with it.
LoadOutcome loadModelFile(const char* name);

// Each adds one visualisation of the current model to the scene and remembers it (a
// hedgehog with the state of the process-wide generator before it drew). Without a model
// or a scene, or when the builder answers none, the action prints its failure line
// ("Cannot render field lines. Sorry." and so on) and changes nothing. Field lines that
// fail for the seed file add a line naming it and the folder (see seedFileProblem).
void addFieldLines(int linesPerCharge);
void addHedgehogLines(int count);
// direction: 0 field lines leave the surface, 1 they enter it.
void addPotentialSurface(float potential, int direction);

// Prints `message` (its line end included) on standard output, flushed at once.
void say(std::string_view message);

// Destroys the model, the visualisations and the edit history, and releases the scene (the
// exit clean-up).
void endSession();

}  // namespace kelvaro
