#include "app/view_framing.h"

#include <gtest/gtest.h>

#include <algorithm>

#include "app/view_geometry.h"
#include "render/picture_view.h"
#include "scene/group.h"
#include "scene/primitives.h"
#include "tests/app/start_view.h"

namespace kelvaro {
namespace {

const SceneArea& area = startArea;

Ref<ABox> boxOf(Vector3 low, Vector3 high) {
    Ref<ABox> box = create<ABox>();
    box->min = low;
    box->max = high;
    return box;
}

// The corners of the box as they appear: each within the area, and the nearest depth.
struct Seen {
    double left = 1e9, right = -1e9, top = 1e9, bottom = -1e9, nearest = 1e9;
};
Seen seen(const Camera& camera, const ABox& box) {
    Seen result;
    for (int k = 0; k < 8; ++k) {
        const Vector3 corner{k & 1 ? box.max.x : box.min.x, k & 2 ? box.max.y : box.min.y, k & 4 ? box.max.z : box.min.z};
        const auto at = screenPosition(camera, area, corner);
        EXPECT_TRUE(at);
        if (!at) continue;
        result.left = std::min(result.left, at->x), result.right = std::max(result.right, at->x);
        result.top = std::min(result.top, at->y), result.bottom = std::max(result.bottom, at->y);
        result.nearest = std::min(result.nearest, eyeDepth(camera, corner));
    }
    return result;
}

// Wheel steps towards the dipole's box stop where it fills the scene, the near plane
// always in front of it; a step away goes back as before.
TEST(ViewFraming, TheWheelBringsTheBoxNearUntilItFillsTheSceneWithoutCuttingIt) {
    const Ref<ABox> box = boxOf({-1.5f, -1.5f, -1.5f}, {1.5f, 1.5f, 1.5f});
    Camera camera = startCamera();
    turnCamera(camera, 30.0, 20.0);
    float previous = camera.dolly;
    int steps = 0;
    for (; steps < 200; ++steps) {
        wheelDolly(camera, box.get(), true);
        ASSERT_LT(camera.nearPlane, seen(camera, *box).nearest) << "after " << steps + 1 << " steps";
        if (camera.dolly == previous) break;
        previous = camera.dolly;
    }
    ASSERT_LT(steps, 200) << "the dolly stops";
    const Seen filled = seen(camera, *box);
    EXPECT_GE(filled.left, -1.0);
    EXPECT_LE(filled.right, startSceneWidth + 1.0);
    EXPECT_GE(filled.top, -1.0);
    EXPECT_LE(filled.bottom, startSceneHeight + 1.0);
    // A corner reaches near an edge: the box fills the scene, its centre in the middle.
    const double reach = std::max({(313.0 - filled.left) / 313.0, (filled.right - 313.0) / 313.0,
                                   (260.0 - filled.top) / 260.0, (filled.bottom - 260.0) / 260.0});
    EXPECT_GT(reach, 0.9);

    const float near = camera.nearPlane, dolly = camera.dolly;
    wheelDolly(camera, box.get(), false);
    EXPECT_EQ(camera.dolly, dolly + dollyPerWheelStep);
    EXPECT_EQ(camera.nearPlane, near);
}

// Far from the box the wheel moves the scene by its step and nothing else, as it did.
TEST(ViewFraming, AwayFromTheBoxTheWheelOnlyDollies) {
    const Ref<ABox> box = boxOf({-1.5f, -1.5f, -1.5f}, {1.5f, 1.5f, 1.5f});
    Camera camera = startCamera();
    wheelDolly(camera, box.get(), true);
    EXPECT_EQ(camera.dolly, 13.0f - 0.25f);
    EXPECT_EQ(camera.nearPlane, 10.1f);
    wheelDolly(camera, nullptr, true);
    EXPECT_EQ(camera.dolly, 13.0f - 0.5f);
}

TEST(ViewFraming, AViewAlongAnAxisFramesTheBox) {
    const Ref<ABox> box = boxOf({0, 0, 0}, {4, 2, 1});
    Camera camera = startCamera();
    ASSERT_EQ(viewAlong(camera, ViewAxis::Y, box.get()), "");
    // From above: x runs to the right, z down the picture, y at the eye.
    const auto right = screenPosition(camera, area, {4, 1, 0.5f}), low = screenPosition(camera, area, {2, 1, 1});
    ASSERT_TRUE(right && low);
    EXPECT_GT(right->x, 313 + 100);
    EXPECT_NEAR(right->y, 260, 1e-3);
    EXPECT_GT(low->y, 260 + 20);
    const auto centre = screenPosition(camera, area, {2, 1, 0.5f});
    ASSERT_TRUE(centre);
    EXPECT_NEAR(centre->x, 313, 1e-3);
    EXPECT_NEAR(centre->y, 260, 1e-3);
    EXPECT_LT(eyeDepth(camera, {2, 2, 0.5f}), eyeDepth(camera, {2, 0, 0.5f}));

    const Ref<ABox> flat = boxOf({0, 0, 0}, {1, 1, 0});
    EXPECT_EQ(viewAlong(camera, ViewAxis::MinusZ, flat.get()), "the model's box is flat or empty");
    EXPECT_EQ(camera.rotation[0], -1.0f) << "it still looks along the axis";
}

}  // namespace
}  // namespace kelvaro
