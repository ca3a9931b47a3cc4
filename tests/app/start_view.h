#pragma once
// The start view in the scene area of the main window, for the tests of the view's
// geometry and framing.

#include "app/view_geometry.h"
#include "render/frame.h"

namespace kelvaro {

inline const SceneArea startArea{0, 0, startSceneWidth, startSceneHeight};

inline Camera startCamera() {
    Camera camera;
    camera.aspect = aspectRatio(startSceneWidth, startSceneHeight);
    return camera;
}

}  // namespace kelvaro
