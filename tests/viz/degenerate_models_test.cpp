// Every builder ends, without a crash, on models whose numbers make no sense: numbers
// that overflowed to infinity, an empty box, a box inside a charge, charges that cancel.

#include <gtest/gtest.h>

#include "tests/viz/viz_test_support.h"
#include "viz/field_lines.h"
#include "viz/hedgehog.h"
#include "viz/potential_surface.h"

namespace kelvaro {
namespace {

TEST(DegenerateModels, EveryBuilderEnds) {
    testing::ScratchDirectory scratch;
    testing::installExampleSeedFile();
    for (const char* text : {
             "BOUNDS FROM -1e39, -1e39, -1e39 TO 1e39, 1e39, 1e39\nPOINT 1e39 AT 0, 0, 0\nPOINT 1 AT 1e39, 0, 0\n",
             "BOUNDS FROM 0, 0, 0 TO 0, 0, 0\nPOINT 1 AT 0, 0, 0\n",
             "BOUNDS FROM 0.2, 0.2, 0.2 TO 0.2, 0.2, 0.2\nPOINT 1 AT 0, 0, 0\n",
             "BOUNDS FROM 0, 0, 0 TO 0.001, 0.001, 0.001\nPOINT -1 AT 0.0005, 0.0005, 0.0005\n",
             "BOUNDS FROM -1, -1, -1 TO 1, 1, 1\nPOINT 1 AT 0, 0, 0\nPOINT -1 AT 0, 0, 0\n",
         }) {
        SCOPED_TRACE(text);
        const auto model = testing::modelFromText(text);
        ASSERT_TRUE(model);
        const Ref<Group> lines = makeFieldLines(*model, 20);
        ASSERT_TRUE(lines);
        for (std::int32_t i = 0; i < lines->count(); ++i)
            EXPECT_LE(dynamic_cast<const PolyLine&>(lines->child(i)).count(), maxFieldLinePoints);
        const Ref<Group> hedgehog = makeHedgehog(*model, 50);
        ASSERT_TRUE(hedgehog);
        EXPECT_LE(hedgehog->count(), 50);
        const Ref<Group> surface = makePotentialSurface(*model, 1.0, 1);
        ASSERT_TRUE(surface);
        EXPECT_EQ(surface->count(), 1);
    }
}

}  // namespace
}  // namespace kelvaro
