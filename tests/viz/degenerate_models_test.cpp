// Models whose numbers make little sense, as people write them by hand: every builder ends
// on each, without a crash, and hands GL only finite coordinates.

#include <gtest/gtest.h>

#include <string>

#include "tests/support/scene_checks.h"
#include "tests/viz/viz_test_support.h"
#include "viz/field_lines.h"
#include "viz/field_plane.h"
#include "viz/hedgehog.h"
#include "viz/potential_surface.h"
#include "viz/visualisation_request.h"

namespace kelvaro {
namespace {

using testing::childrenOf;
using testing::degenerateModel;
using testing::firstNonFiniteVertex;

void expectSound(const Ref<Group>& built, const char* what) {
    ASSERT_TRUE(built) << what;
    const auto bad = firstNonFiniteVertex(*built);
    EXPECT_FALSE(bad) << what << ": " << bad.value_or("");
}

class DegenerateModel : public ::testing::TestWithParam<std::string> {
protected:
    void SetUp() override { testing::installExampleSeedFile(); }

    testing::ScratchDirectory scratch_;
};

TEST_P(DegenerateModel, EveryBuilderEndsWithFiniteGeometry) {
    const auto model = degenerateModel(GetParam());
    ASSERT_TRUE(model);

    for (int linesPerCharge : {1, 20}) {
        const Ref<Group> lines = makeFieldLines(*model, linesPerCharge);
        expectSound(lines, "field lines");
        for (const PolyLine* line : childrenOf<PolyLine>(*lines)) {
            EXPECT_GT(line->count(), 1);
            EXPECT_LE(line->count(), maxFieldLinePoints);
        }
        const Ref<Group> accurate = makeFieldLines(*model, linesPerCharge, FieldLineMethod::Accurate);
        expectSound(accurate, "accurate field lines");
        for (const PolyLine* line : childrenOf<PolyLine>(*accurate)) EXPECT_GT(line->count(), 1);
    }

    const Ref<Group> hedgehog = makeHedgehog(*model, 300);
    expectSound(hedgehog, "hedgehog");
    EXPECT_LE(hedgehog->count(), 300);

    const float levels[] = {0.0f, 1.0f, -1.0f, static_cast<float>(model->potentialMax()),
                            static_cast<float>(model->potentialMin()), testing::potentialAtNodeAboveTheMiddle(*model, 0),
                            testing::potentialAtNodeAboveTheMiddle(*model, 3)};
    for (float level : levels) {
        for (int direction : {0, 1}) {
            SCOPED_TRACE(::testing::Message() << "surface at " << level << ", direction " << direction);
            const Ref<Group> surface = makePotentialSurface(*model, level, direction);
            expectSound(surface, "surface");
            EXPECT_EQ(surface->count(), 1);
        }
    }

    // A plane through the centre with field lines round its charges, and the colour
    // options: only a box whose corners are not finite numbers refuses the plane.
    FieldPlane plane;
    plane.linesPerCharge = 8;
    const Ref<Group> built = makeFieldPlane(*model, plane, true);
    if (planeProblem(*model, plane).empty()) {
        expectSound(built, "plane");
    } else {
        EXPECT_FALSE(built);
    }
    VisualisationRequest lines{VisualisationRequest::Kind::FieldLines, 5};
    lines.proportional = lines.strengthColours = true;
    expectSound(buildRequest(lines, *model), "lines in proportion, by strength");
}

INSTANTIATE_TEST_SUITE_P(Models, DegenerateModel, ::testing::ValuesIn(testing::degenerateModelNames()),
                         [](const auto& model) { return model.param; });

// What the builders make of the models whose answer is plain: lines only from charges with
// room around them inside the box, hedgehog lines only where the field has a direction.
TEST(DegenerateModels, BuildersMakeWhatTheFieldAllows) {
    testing::ScratchDirectory scratch;
    testing::installExampleSeedFile();
    struct Expected {
        const char* model;
        std::int32_t fieldLines;  // at 20 per charge
        std::int32_t hedgehogLines;  // of 300 asked for
    };
    for (const Expected& expected : {
             Expected{"no_charges", 0, 0},
             Expected{"cancelling_charges", 0, 0},  // no field anywhere
             Expected{"box_inside_charge", 0, 0},   // no sample outside the charge
             Expected{"one_charge", 20, 300},
             Expected{"coincident_charges", 20, 300},  // the lines of the weaker charge run into it
             Expected{"zero_size_box", 0, 300},  // every sample is the one point of the box
             Expected{"box_away_from_origin", 20, 300},  // the charge outside the box has none
         }) {
        SCOPED_TRACE(expected.model);
        const auto model = degenerateModel(expected.model);
        ASSERT_TRUE(model);
        EXPECT_EQ(makeFieldLines(*model, 20)->count(), expected.fieldLines);
        const Ref<Group> hedgehog = makeHedgehog(*model, 300);
        EXPECT_EQ(hedgehog->count(), expected.hedgehogLines);
        for (const Line* line : childrenOf<Line>(*hedgehog)) EXPECT_TRUE(model->bounds().contains(line->start));
    }
}

}  // namespace
}  // namespace kelvaro
