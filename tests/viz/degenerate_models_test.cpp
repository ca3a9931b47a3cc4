// Models whose numbers make little sense, as people write them by hand: every builder ends
// on each, without a crash, and hands GL only finite coordinates.

#include <gtest/gtest.h>

#include <cmath>
#include <fstream>
#include <sstream>
#include <string>

#include "tests/support/scene_checks.h"
#include "tests/viz/viz_test_support.h"
#include "viz/field_lines.h"
#include "viz/hedgehog.h"
#include "viz/potential_grid.h"
#include "viz/potential_surface.h"

namespace kelvaro {
namespace {

using testing::childrenOf;
using testing::firstNonFiniteVertex;

std::unique_ptr<Model> degenerateModel(const std::string& name) {
    std::ifstream file(std::string(KELVARO_DEGENERATE_MODELS_DIR) + "/" + name + ".txt");
    std::stringstream text;
    text << file.rdbuf();
    EXPECT_FALSE(text.str().empty()) << name;
    return testing::modelFromText(text.str());
}

void expectSound(const Ref<Group>& built, const char* what) {
    ASSERT_TRUE(built) << what;
    const auto bad = firstNonFiniteVertex(*built);
    EXPECT_FALSE(bad) << what << ": " << bad.value_or("");
}

// The potential stored at the grid node (middle, middle, middle + offset along z), exactly
// as the surface builder samples it: a level on a node.
float potentialAtNodeAboveTheMiddle(const Model& model, int offset) {
    const Ref<PotentialGrid> grid = create<PotentialGrid>(model, surfaceGridCells, surfaceGridCells, surfaceGridCells);
    const int middle = surfaceGridCells / 2;
    return grid->node(grid->nodeIndex(middle, middle, middle + offset)).sampleValue;
}

class DegenerateModel : public ::testing::TestWithParam<const char*> {
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
    }

    const Ref<Group> hedgehog = makeHedgehog(*model, 300);
    expectSound(hedgehog, "hedgehog");
    EXPECT_LE(hedgehog->count(), 300);

    const float levels[] = {0.0f, 1.0f, -1.0f, static_cast<float>(model->potentialMax()),
                            static_cast<float>(model->potentialMin()), potentialAtNodeAboveTheMiddle(*model, 0),
                            potentialAtNodeAboveTheMiddle(*model, 3)};
    for (float level : levels) {
        for (int direction : {0, 1}) {
            SCOPED_TRACE(::testing::Message() << "surface at " << level << ", direction " << direction);
            const Ref<Group> surface = makePotentialSurface(*model, level, direction);
            expectSound(surface, "surface");
            EXPECT_EQ(surface->count(), 1);
        }
    }
}

INSTANTIATE_TEST_SUITE_P(Models, DegenerateModel,
                         ::testing::Values("no_charges", "one_charge", "coincident_charges", "cancelling_charges",
                                           "charges_on_grid_nodes", "zero_size_box", "box_inside_charge",
                                           "box_away_from_origin", "overflowed_numbers", "crowded_tiny_box",
                                           "like_charges_saddle"));

}  // namespace
}  // namespace kelvaro
