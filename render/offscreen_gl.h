#pragma once
// Drawing without a window: a GL context of its own on Mesa's surfaceless EGL platform,
// drawing into a pbuffer. It needs no X server and no display.

#include <functional>
#include <string>

#include "render/picture_view.h"

namespace kelvaro {

// Makes a compatibility-profile GL context with a width x height pbuffer (8-bit RGB, a
// 24-bit depth buffer, as the program's window has), makes it current and calls `work`
// with the pbuffer's area; the context is gone when this returns. Answers false, with the
// reason in `error`, when no such context can be had; otherwise what `work` answers.
bool withOffscreenGl(int width, int height, const std::function<bool(const DrawArea& area, std::string& error)>& work,
                     std::string& error);

}  // namespace kelvaro
