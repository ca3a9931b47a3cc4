// Labels (their strokes, text form and drawing facing the eye) and picking drawn triangles.

#include <gtest/gtest.h>

#include <cmath>
#include <utility>
#include <vector>

#include "scene/group.h"
#include "scene/label.h"
#include "scene/primitives.h"
#include "scene/scene_pick.h"
#include "scene/shaded_primitives.h"
#include "scene/stroke_font.h"
#include "tests/scene/scene_test_support.h"

namespace kelvaro {
namespace {

using testing::Calls;
using testing::drawCalls;
using testing::textOf;

TEST(StrokeFont, LaysOutEachCharacterOnItsOwnCellAndLinesDownwards) {
    const std::vector<Stroke> one = layOutStrokes("1");
    ASSERT_EQ(one.size(), 3u);  // the flag, the stem and the foot
    const std::vector<Stroke> twoLines = layOutStrokes("1\n1");  // the second line one line height lower
    ASSERT_EQ(twoLines.size(), 2 * one.size());
    for (std::size_t i = 0; i < one.size(); ++i) {
        EXPECT_EQ(twoLines[one.size() + i].x0, one[i].x0);
        EXPECT_EQ(twoLines[one.size() + i].y1, one[i].y1 - strokeLineHeight);
    }
    // A character the font lacks leaves its blank: the next one is drawn one cell on.
    const std::vector<Stroke> shifted = layOutStrokes("#1");
    ASSERT_EQ(shifted.size(), one.size());
    for (std::size_t i = 0; i < one.size(); ++i) EXPECT_EQ(shifted[i].x0, one[i].x0 + strokeAdvance);
    for (const char c : std::string("0123456789.,+-=()|VEek")) EXPECT_FALSE(layOutStrokes(std::string(1, c)).empty()) << c;
}

TEST(Label, WritesItsTextAndDrawsItsStrokesFacingTheEye) {
    Ref<Label> label = create<Label>(Vector3{1, 2, 3}, "V = 1\n2", 6.0f);
    EXPECT_EQ(textOf(*label), "Label(1, 2, 3; \"V = 1\\n2\")\n");
    // With the identity view the label lies in the plane z = 3, one capital's height to
    // the right of the anchor: a font unit is one model unit here.
    const Calls calls = drawCalls(*label);
    ASSERT_GE(calls.size(), 4u);
    EXPECT_EQ(calls[0], "glGetFloatv(GL_MODELVIEW_MATRIX)");
    EXPECT_EQ(calls[1], "glBegin(GL_LINES)");
    EXPECT_EQ(calls[2], "glVertex3f(7, 11, 3)");  // the V's top left: (0, 6) from (1 + 6, 2 + 3)
    EXPECT_EQ(calls.back(), "glEnd()");
    const std::size_t vertices = calls.size() - 3;
    EXPECT_EQ(vertices, 2 * layOutStrokes("V = 1\n2").size());
}

PickRay rayAlongZ(double x, double y) { return {{x, y, 10.0}, {0.0, 0.0, -1.0}}; }

TEST(Pick, FindsTheNearestTriangleUnderTheRayInsideGroups) {
    Ref<Group> scene = create<Group>(4, 4);
    Ref<Group> inner = create<Group>(4, 4);
    const Ref<Triangle> far = create<Triangle>(Vector3{-1, -1, 0}, Vector3{1, -1, 0}, Vector3{0, 1, 0});
    const Ref<Triangle> near = create<Triangle>(Vector3{-1, -1, 2}, Vector3{1, -1, 2}, Vector3{0, 1, 2});
    const Ref<Line> line = create<Line>(Vector3{0, 0, 5}, Vector3{0, 0, -5});  // lines are not picked
    scene->add(*far);
    inner->add(*near);
    inner->add(*line);
    scene->add(*inner);
    const auto met = nearestPick(*scene, rayAlongZ(0.0, 0.0));
    ASSERT_TRUE(met);
    EXPECT_DOUBLE_EQ(*met, 8.0);  // from z = 10 down to the near one at z = 2
    EXPECT_FALSE(nearestPick(*scene, rayAlongZ(0.9, 0.9)));  // beside both
    EXPECT_FALSE(nearestPick(*scene, {{0.0, 0.0, 10.0}, {0.0, 0.0, 1.0}}));  // behind the ray's start
    EXPECT_FALSE(pickerOf(LineType));
}

// A probe can be placed on a plane through the field: its colour map is met inside its
// rectangle, at its level, and missed beside it.
TEST(Pick, FindsAPlanesColourMap) {
    const Ref<ShadedGrid> plane = create<ShadedGrid>(2, 0.5f, std::vector<float>{-1.0f, 0.0f, 1.0f},
                                                     std::vector<float>{-2.0f, 2.0f}, std::vector<Vector3>(6));
    for (const auto& [x, y] : {std::pair{0.99, 1.99}, {-0.99, -1.99}, {0.99, -1.99}, {-0.99, 1.99}}) {
        const auto met = nearestPick(*plane, rayAlongZ(x, y));
        ASSERT_TRUE(met) << x << ", " << y;
        EXPECT_DOUBLE_EQ(*met, 9.5);
    }
    EXPECT_FALSE(nearestPick(*plane, rayAlongZ(1.01, 0.0)));
    EXPECT_FALSE(nearestPick(*plane, rayAlongZ(0.0, -2.01)));
}

TEST(Pick, CountsTheEdgesAndNotTheTrianglesPlane) {
    const Vector3 a{0, 0, 0}, b{2, 0, 0}, c{0, 2, 0};
    EXPECT_TRUE(rayMeetsTriangle(rayAlongZ(1.0, 1.0), a, b, c));    // on the long edge
    EXPECT_FALSE(rayMeetsTriangle(rayAlongZ(1.01, 1.0), a, b, c));  // just beyond it
    EXPECT_FALSE(rayMeetsTriangle({{-1.0, 0.5, 0.0}, {1.0, 0.0, 0.0}}, a, b, c));  // in its plane
}

}  // namespace
}  // namespace kelvaro
