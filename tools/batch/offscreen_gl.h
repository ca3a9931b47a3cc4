#pragma once
// Drawing without a window: a GL context of its own on Mesa's surfaceless EGL platform,
// drawing into a pbuffer. It needs no X server and no display.

#include <functional>
#include <string>

#include "app/picture_file.h"

namespace kelvaro::batch {

// Makes a compatibility-profile GL context with a width x height pbuffer (8-bit RGB, a
// 24-bit depth buffer, as the program's window has), sets the viewport to all of it,
// calls `draw` and reads the picture back; the context is gone when this returns.
// Answers false, with the reason in `error`, when no such context can be had.
bool drawOffscreen(int width, int height, const std::function<void()>& draw, Picture& picture, std::string& error);

}  // namespace kelvaro::batch
