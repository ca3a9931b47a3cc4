#pragma once
// The commands that explore and change the model beside the dialogs of the first
// version: the buttons of the "Explore" panel (below the command panel's), the view
// panel's "Reset View" and "Fit", the message line's "Messages...", and their keys over
// the main window: "e" (Edit Charges...), Ctrl+S (Save Model As...), "m" (Messages...),
// "r" (Reset View), "f" (Fit), "1", "2" and "3" (look along x, y or z; with Shift, "!",
// "@" and "#" on a US keyboard, from the other side), Ctrl+Z (undo), Ctrl+Y and
// Ctrl+Shift+Z (redo). A key ends a drag in the scene first. While a dialog waits for its
// answer these keys do nothing but "m".

namespace kelvaro {

// Callback of "Edit Charges...", "Reset View", "Fit" and "Messages..." (the other Explore
// buttons open their dialogs through commandButtonPressed, as the first four do).
void exploreCommand(int id);

// Handles the keys above; answers whether `key` is one of them.
bool exploreKeyPressed(unsigned char key);

// Brings back the start view (the Spin ball stops turning and the view panel's controls
// follow).
void resetMainView();

// After a change of the charges: the field-lines dialog's charge list and the Edit
// Charges dialog show the model as it now is, and the main window is drawn again.
void showModelChange();

}  // namespace kelvaro
