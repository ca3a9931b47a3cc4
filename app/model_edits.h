#pragma once
// Changes to the loaded model's charges and to the list of visualisations, and their undo
// history (up to 100 steps). A change of the charges makes a new Model from the values,
// finished as a loaded one, then builds the charge spheres again and every shown
// visualisation from its request, in list order; a hidden one is built when it is shown
// again. The scene so equals, bit for bit, what loading a file with these charges and
// asking for the same requests would give. Messages go to standard output (say).

#include <cstddef>
#include <span>
#include <vector>

#include "model/model.h"

namespace kelvaro {

// Gives the current model these charges (at most Model::maxCharges; the caller checks the
// values and places) and builds the scene again; no step of the history. False, changing
// nothing, without a model or with too many charges or when memory runs out.
bool setCharges(std::span<const Charge> charges);
// The same as one step of the history; false, with no step, when the charges are already
// these to the bit.
bool editCharges(std::span<const Charge> charges);
// Records the change from `before` to the present charges as one step (a drag, whose
// moves went through setCharges); nothing when they are the same.
void recordChargeStep(std::vector<Charge> before);

// Hides or shows visualisation `index` (0 = the first added); a hidden one leaves the
// scene, a shown one comes back in its place. False when there is none. No step.
bool setHidden(std::size_t index, bool hidden);
// Removes visualisation `index` as one step of the history; false when there is none.
bool removeVisualisation(std::size_t index);

// Takes back the last step, or does again the last one taken back; false when there is none.
bool undoEdit();
bool redoEdit();
// Forgets every step (a load does).
void clearEditHistory();

}  // namespace kelvaro
