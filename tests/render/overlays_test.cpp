// What frames draw over the scene: the values of the charges beside them and the colour
// bars of a picture, through the recording GL stand-in (a viewport of 626 x 520 and
// identity matrices, so that the origin of the model lies at the viewport's centre).
#include "render/overlays.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <string>
#include <vector>

#include "model/model.h"
#include "render/stroke_text.h"
#include "render/teaching_style.h"
#include "scene/shaded_primitives.h"
#include "tests/support/gl_recorder.h"

namespace kelvaro {
namespace {

const Charge dipoleCharges[] = {{1.0, {0.0f, 0.0f, 0.0f}}, {-2.0, {-0.5f, -0.5f, 0.0f}}};

// The glVertex2f points recorded after the colour `colour` was last set, up to the next colour.
std::vector<std::pair<float, float>> pointsIn(const std::string& colour) {
    std::vector<std::pair<float, float>> points;
    bool inColour = false;
    for (const std::string& call : testing::recordedGlCalls()) {
        if (call.rfind("glColor3f(", 0) == 0) inColour = call == colour;
        float x = 0, y = 0;
        if (inColour && std::sscanf(call.c_str(), "glVertex2f(%f, %f)", &x, &y) == 2) points.push_back({x, y});
    }
    return points;
}

TEST(ChargeLabels, ValuesAreSignedAndSitUpAndRightOfTheirChargeInItsColour) {
    EXPECT_EQ(chargeLabelText(1.0), "+1");
    EXPECT_EQ(chargeLabelText(-2.0), "-2");
    EXPECT_EQ(chargeLabelText(0.25), "+0.25");
    EXPECT_EQ(chargeLabelText(0.0), "0");
    EXPECT_EQ(strokeTextWidth("+1", 12.0), 20.0) << "two digits of 4 units and a gap of 2, a unit a sixth of the height";

    const Model model("labels", {-1.0f, -1.0f, -1.0f}, {1.0f, 1.0f, 1.0f}, dipoleCharges, false, false);
    const float white[3] = {1.0f, 1.0f, 1.0f};
    testing::clearGlCalls();
    drawChargeLabels(model, 1, white);
    // The positive charge projects to the viewport's centre, (313, 260): its label in red.
    const auto red = pointsIn("glColor3f(0.9, 0.12, 0.1)");
    ASSERT_FALSE(red.empty());
    for (const auto& [x, y] : red) {
        EXPECT_GT(x, 313.0f);
        EXPECT_GT(y, 260.0f);
        EXPECT_LT(x, 360.0f);
    }
    // The negative one at (156.5, 130), in blue, with a halo of the background drawn first.
    const auto blue = pointsIn("glColor3f(0.2, 0.45, 1)");
    ASSERT_FALSE(blue.empty());
    for (const auto& [x, y] : blue) EXPECT_GT(x, 156.5f);
    EXPECT_FALSE(pointsIn("glColor3f(1, 1, 1)").empty());
}

TEST(Legend, BarsMarkTheScalesValues) {
    const Model model("legend", {-1.0f, -1.0f, -1.0f}, {1.0f, 1.0f, 1.0f}, dipoleCharges, false, false);
    const std::vector<BarTick> potential = potentialBarTicks(potentialScaleOf(model));
    ASSERT_EQ(potential.size(), 9u);
    EXPECT_EQ(potential.front().place, 0.0);
    EXPECT_EQ(potential.front().text, "-200") << "the largest charge, 2, at the charge radius";
    EXPECT_EQ(potential[4].text, "0");
    EXPECT_EQ(potential.back().text, "200");
    EXPECT_EQ(potential.back().place, 1.0);

    // From 2 / 12 (the largest charge at the diagonal) up 2.6 decades to 66.7: 1 and 10 within.
    const std::vector<BarTick> strength = strengthBarTicks(strengthScaleOf(model));
    ASSERT_EQ(strength.size(), 2u);
    EXPECT_EQ(strength[0].text, "1");
    EXPECT_EQ(strength[1].text, "10");
    EXPECT_NEAR(strength[0].place, std::log10(6.0) / std::log10(400.0), 1e-12);

    const Ref<Group> scene = create<Group>(4, 4);
    EXPECT_FALSE(legendBarsOf(*scene).potential || legendBarsOf(*scene).strength);
    const Ref<ShadedGrid> map = create<ShadedGrid>(2, 0.0f, std::vector<float>{0, 1}, std::vector<float>{0, 1},
                                                   std::vector<Vector3>(4));
    const Ref<Group> inner = create<Group>(4, 4);
    inner->add(*map);
    scene->add(*inner);
    EXPECT_TRUE(legendBarsOf(*scene).potential);
    EXPECT_FALSE(legendBarsOf(*scene).strength);

    // The potential bar runs from the blue end at its bottom to the red one at its top.
    testing::clearGlCalls();
    const float black[3] = {0.0f, 0.0f, 0.0f};
    drawLegend(model, {true, false}, {true, false}, black, 1);
    const std::vector<std::string>& calls = testing::recordedGlCalls();
    const auto strip = std::find(calls.begin(), calls.end(), "glBegin(GL_QUAD_STRIP)");
    ASSERT_NE(strip, calls.end());
    EXPECT_EQ(strip[1], "glColor3f(0.0196078, 0.188235, 0.380392)");
    EXPECT_EQ(strip[2], "glVertex2f(548, 130)") << "626 less the margin, the room for values and the bar";
}

}  // namespace
}  // namespace kelvaro
