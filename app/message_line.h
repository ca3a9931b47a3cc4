#pragma once
// The message line along the bottom of the main window, below the view panel and outside
// the scene area (pictures stay as they were): the latest message, wrapped to the line's
// width, in up to three rows, and at its left the "Messages..." button, which opens the
// Messages dialog (as the key "m" does).

class GLUI;

namespace kelvaro {

extern GLUI* messageLine;

// The line's height: the main window is that much taller than the scene area and the
// view panel, so that neither changes.
inline constexpr int messageLineHeight = 57;
inline constexpr int messageLineRows = 3;

// Builds the line as a subwindow along the bottom of `window`. Made before the view
// panel, it lies below it.
void buildMessageLine(int window);

// Shows the latest message (and hands it to the Messages dialog, when it is open).
void showLatestMessage();

}  // namespace kelvaro
