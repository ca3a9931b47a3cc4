#pragma once
// Helpers shared by the scene tests: an object's draw sequence and its text form.

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "scene/scene_object.h"
#include "tests/scene/text_stream.h"
#include "tests/support/gl_recorder.h"

namespace kelvaro::testing {

using Calls = std::vector<std::string>;

// The GL calls that drawing `object` issues, in order.
inline Calls drawCalls(const SceneObject& object) {
    clearGlCalls();
    object.draw();
    return recordedGlCalls();
}

// The text form of `object`, expecting its print to succeed.
inline std::string textOf(const SceneObject& object) {
    TextStream out;
    EXPECT_TRUE(object.print(out.file()));
    return out.text();
}

}  // namespace kelvaro::testing
