#pragma once
// The shell's model and scene, and the actions of the dialogs that change them. None of
// this needs a window: the dialogs read their controls and call these functions.
//
// Every message goes to standard output, flushed at once, and the program carries on.

#include <memory>

#include "model/model.h"
#include "scene/group.h"

namespace kelvaro {

// The loaded model, owned by the shell; none before the first successful load.
extern std::unique_ptr<Model> currentModel;
// The shell's one reference to everything that is drawn: the model's own geometry,
// with every visualisation added since the load appended as further children.
extern Ref<Group> sceneGroup;

enum class LoadOutcome { NoName, CannotOpen, ReadFailed, Loaded };

// Loads the model file `name` (empty: nothing happens). A file that cannot be opened
// (or is a directory) prints "Could not open file <name>." and changes nothing. Otherwise
// the current model is destroyed before reading; a failed read prints "Failed to read in
// model correctly." and the line that says where and why ("<name>:<line>: ...") and
// leaves no model while the old scene stays. A successful read replaces the scene by the
// new model's geometry ("Failed to render model" when there is none). Either way every
// statement the reader dropped and every line it discarded is told on a line of its own,
// "<name>:<line>: <reason>: <text>" (see read_report.h).
LoadOutcome loadModelFile(const char* name);

// Each adds one visualisation of the current model to the scene. Without a model or a
// scene, or when the builder answers none, the action prints its failure line
// ("Cannot render field lines. Sorry." and so on) and changes nothing. Field lines that
// fail for the seed file add a line naming it and the folder (see seedFileProblem).
void addFieldLines(int linesPerCharge);
void addHedgehogLines(int count);
// direction: 0 field lines leave the surface, 1 they enter it.
void addPotentialSurface(float potential, int direction);

// Destroys the model and releases the scene (the exit clean-up).
void endSession();

}  // namespace kelvaro
