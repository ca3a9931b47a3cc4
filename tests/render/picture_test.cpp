// The picture code without a display: the teaching style's marks through the recording
// GL stand-in, and the one palette of a GIF animation.
#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "render/gif_file.h"
#include "render/teaching_style.h"
#include "model/model.h"
#include "tests/support/gl_recorder.h"

namespace kelvaro {
namespace {

struct Cone {
    float tipX, baseX;
};

// The arrowheads among the recorded calls: each is a fan from its tip followed by a fan
// from the centre of its base.
std::vector<Cone> recordedCones() {
    std::vector<float> fanStarts;
    const std::vector<std::string>& calls = testing::recordedGlCalls();
    for (std::size_t i = 0; i + 1 < calls.size(); ++i) {
        float x = 0, y = 0, z = 0;
        if (calls[i] == "glBegin(GL_TRIANGLE_FAN)" && std::sscanf(calls[i + 1].c_str(), "glVertex3f(%f, %f, %f)", &x, &y, &z) == 3) {
            fanStarts.push_back(x);
        }
    }
    std::vector<Cone> cones;
    for (std::size_t i = 0; i + 1 < fanStarts.size(); i += 2) cones.push_back({fanStarts[i], fanStarts[i + 1]});
    return cones;
}

Ref<PolyLine> straightLine(float fromX, float toX) {
    Ref<PolyLine> line = create<PolyLine>(60);
    for (int i = 0; i <= 50; ++i) line->append(Vector3{fromX + (toX - fromX) * static_cast<float>(i) / 50.0f, 0.0f, 0.0f});
    return line;
}

// A line from the positive charge to the negative one points along the field, as the
// field-line builder traces it from the positive end; the same line traced from the
// negative end must carry the same arrowheads, in the same places.
TEST(TeachingMarks, ArrowheadsPointAlongTheFieldWhicheverEndALineStartsFrom) {
    const Charge charges[] = {{1.0, {-0.5f, 0.0f, 0.0f}}, {-1.0, {0.5f, 0.0f, 0.0f}}};
    // A box of diagonal 1.3266: arrowheads every 0.1592, five along a line of 0.98.
    const Model model("dipole", {-0.6f, -0.2f, -0.2f}, {0.6f, 0.2f, 0.2f}, charges, false, false);
    for (const Ref<PolyLine>& line : {straightLine(-0.49f, 0.49f), straightLine(0.49f, -0.49f)}) {
        const Ref<Group> scene = create<Group>(4, 4);
        scene->add(*line);
        testing::clearGlCalls();
        drawTeachingMarks(model, scene.get());
        const std::vector<Cone> cones = recordedCones();
        ASSERT_EQ(cones.size(), 5u);
        EXPECT_NEAR(cones[2].tipX + cones[2].baseX, 0.0f, 1e-3f) << "the middle one sits in the middle";
        for (const Cone& cone : cones) EXPECT_GT(cone.tipX, cone.baseX) << "towards the negative charge";
    }
    EXPECT_EQ(testing::liveQuadricCount(), 0);
}

TEST(TeachingMarks, ChargeBallsFollowTheCubeRootOfTheChargeAndStayVisible) {
    const double diagonal = 2.0;
    EXPECT_DOUBLE_EQ(chargeBallRadius(diagonal, -8.0, 8.0), chargeBallRadius(diagonal, 8.0, 8.0));
    EXPECT_NEAR(chargeBallRadius(diagonal, 1.0, 8.0), 0.5 * chargeBallRadius(diagonal, 8.0, 8.0), 1e-12);
    EXPECT_GT(chargeBallRadius(diagonal, 1e-9, 8.0), 0.3 * chargeBallRadius(diagonal, 8.0, 8.0));
    EXPECT_GT(chargeBallRadius(diagonal, 0.0, 0.0), 0.0) << "a model of zero charges";
}

Picture filled(int width, int height, const std::vector<std::array<std::uint8_t, 3>>& colours) {
    Picture picture{width, height, {}};
    for (int i = 0; i < width * height; ++i) {
        const auto& colour = colours[static_cast<std::size_t>(i) % colours.size()];
        picture.rgb.insert(picture.rgb.end(), colour.begin(), colour.end());
    }
    return picture;
}

TEST(GifPalette, FewColoursStayExactAndEveryFrameSharesOnePalette) {
    const std::array<std::uint8_t, 3> background{26, 26, 26}, yellow{179, 179, 0}, red{200, 30, 30};
    const IndexedPictures indexed = indexColours({filled(4, 3, {background, yellow}), filled(4, 3, {red, background})});
    ASSERT_EQ(indexed.palette.size(), 3u);
    ASSERT_EQ(indexed.indices.size(), 2u);
    // Rows run from the top down in the GIF and from the bottom up in the picture.
    EXPECT_EQ(indexed.palette[indexed.indices[0][0]], background);  // picture pixel 8, row 2 from the bottom
    EXPECT_EQ(indexed.palette[indexed.indices[0][1]], yellow);
    EXPECT_EQ(indexed.palette[indexed.indices[1][0]], red);
    EXPECT_EQ(indexed.indices[0][0], indexed.indices[1][1]) << "one entry for the background of both";
}

TEST(GifPalette, ManyColoursGetAtMost256EntriesNearEveryPixel) {
    std::vector<std::array<std::uint8_t, 3>> ramp;
    for (int r = 0; r < 256; r += 3) {
        for (int g = 0; g < 256; g += 3) ramp.push_back({static_cast<std::uint8_t>(r), static_cast<std::uint8_t>(g), 90});
    }
    const Picture picture = filled(static_cast<int>(ramp.size()), 1, ramp);
    const IndexedPictures indexed = indexColours({picture});
    EXPECT_LE(indexed.palette.size(), 256u);
    int worst = 0;
    for (std::size_t i = 0; i < ramp.size(); ++i) {
        const auto& entry = indexed.palette[indexed.indices[0][i]];
        for (int c = 0; c < 3; ++c) worst = std::max(worst, std::abs(entry[c] - ramp[i][c]));
    }
    EXPECT_LE(worst, 16);
}

}  // namespace
}  // namespace kelvaro
