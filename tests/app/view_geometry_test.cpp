#include "app/view_geometry.h"

#include <gtest/gtest.h>

#include <cmath>
#include <numbers>
#include <vector>

#include "tests/app/start_view.h"

namespace kelvaro {
namespace {

const SceneArea& area = startArea;

// Pixels per model unit at the scene's origin in the start view: 15.6 units from the eye,
// with 30 degrees across the 520 pixels of the area's height.
const double pixelsPerUnit = 260.0 / (15.6 * std::tan(15.0 * std::numbers::pi / 180.0));

TEST(ViewGeometry, ChargesAreFoundWhereTheyAppear) {
    const Camera camera = startCamera();
    const std::vector<Charge> dipole{{1.0, {-0.5f, 0, 0}}, {-1.0, {0.5f, 0, 0}}};
    const auto left = screenPosition(camera, area, dipole[0].position);
    ASSERT_TRUE(left);
    EXPECT_NEAR(left->x, 313.0 - 0.5 * pixelsPerUnit, 1e-3);
    EXPECT_NEAR(left->y, 260.0, 1e-3);

    EXPECT_EQ(chargeNear(camera, area, dipole, left->x + 3, left->y - 3, 6.0), 0);
    EXPECT_EQ(chargeNear(camera, area, dipole, 313.0 + 0.5 * pixelsPerUnit, 262, 6.0), 1);
    EXPECT_EQ(chargeNear(camera, area, dipole, left->x + 7, left->y, 6.0), std::nullopt);

    // Turned a quarter about the vertical, both lie on the line of sight: the one in front wins.
    Camera turned = camera;
    turnCamera(turned, 90.0, 0.0);
    EXPECT_EQ(chargeNear(turned, area, dipole, 313, 260, 6.0), 0);
    turnCamera(turned, 180.0, 0.0);
    EXPECT_EQ(chargeNear(turned, area, dipole, 313, 260, 6.0), 1);
}

// A dragged point stays under the pointer at its distance from the eye's plane, in any view.
TEST(ViewGeometry, ADraggedPointFollowsThePointerInThePlaneFacingTheViewer) {
    Camera camera = startCamera();
    turnCamera(camera, 35.0, -20.0);
    camera.pan[0] = 0.3f;
    camera.zoom = 4.0f;
    const Vector3 start{0.3f, -0.2f, 0.4f};
    const auto from = screenPosition(camera, area, start);
    ASSERT_TRUE(from);
    const Vector3 moved = draggedInViewPlane(camera, area, start, from->x, from->y, from->x + 40, from->y - 25);
    const auto to = screenPosition(camera, area, moved);
    ASSERT_TRUE(to);
    EXPECT_NEAR(to->x, from->x + 40, 1e-2);
    EXPECT_NEAR(to->y, from->y - 25, 1e-2);
    // The eye looks along the third row of the rotation: no move along it.
    const float* r = camera.rotation;
    const double along = r[2] * (moved.x - start.x) + r[6] * (moved.y - start.y) + r[10] * (moved.z - start.z);
    EXPECT_NEAR(along, 0.0, 1e-6);
}

// A large ball (the teaching style's) is taken wherever it shows, beyond the 6 pixels
// that a tiny sphere needs.
TEST(ViewGeometry, ABallIsTakenWhereverItShows) {
    const Camera camera = startCamera();
    const std::vector<Charge> one{{1.0, {0, 0, 0}}};
    const std::vector<double> ball{0.2};  // 0.2 units: 12.4 pixels at the origin
    EXPECT_NEAR(0.2 * pixelsPerUnit, 12.4, 0.1);
    EXPECT_EQ(chargeNear(camera, area, one, 313 + 11, 260, 6.0, ball), 0);
    EXPECT_EQ(chargeNear(camera, area, one, 313 + 11, 260, 6.0), std::nullopt);
    EXPECT_EQ(chargeNear(camera, area, one, 313 + 14, 260, 6.0, ball), std::nullopt);
    EXPECT_EQ(chargeNear(camera, area, one, 313 + 5, 260, 6.0, std::vector<double>{0.001}), 0);
}

TEST(ViewGeometry, PanningMovesTheOriginWithThePointer) {
    Camera camera = startCamera();
    turnCamera(camera, 10.0, 10.0);
    camera.dolly = 11.0f;
    panByPixels(camera, area, 25, -40);
    const auto origin = screenPosition(camera, area, {0, 0, 0});
    ASSERT_TRUE(origin);
    EXPECT_NEAR(origin->x, 313.0 + 25, 1e-3);
    EXPECT_NEAR(origin->y, 260.0 - 40, 1e-3);
}

}  // namespace
}  // namespace kelvaro
