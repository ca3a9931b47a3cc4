#include "viz/hedgehog.h"

#include <gtest/gtest.h>

#include <cmath>

#include "scene/attribute_set.h"
#include "tests/viz/viz_test_support.h"

namespace kelvaro {
namespace {

using testing::childrenOf;
using testing::modelFromText;

TEST(HedgehogRandom, DrawsTheFifteenBitSequenceFromStateOne) {
    Random15 generator;
    EXPECT_EQ(generator.state(), 1u);
    for (int expected : {41, 18467, 6334, 26500, 19169, 15724, 11478, 29358, 26962, 24464})
        EXPECT_EQ(generator.next(), expected);
}

TEST(HedgehogRandom, SkippingDrawsLandsWhereDrawingThemDoes) {
    Random15 drawing;
    drawing.next();  // start from a state other than the first
    const Random15 from = drawing;
    std::uint64_t drawn = 0;
    for (std::uint64_t draws : {0u, 1u, 2u, 3u, 64u, 1000u, 3u * 8192u + 5u, 1u << 20}) {
        while (drawn < draws) {
            drawing.next();
            ++drawn;
        }
        EXPECT_EQ(from.skipped(draws).state(), drawing.state()) << draws << " draws";
    }
}

TEST(HedgehogRandom, SamplesCoverTheClosedInterval) {
    Random15 generator;
    EXPECT_EQ(randomBetween(generator, 0.0, 32767.0), 41.0f);
    EXPECT_EQ(randomBetween(generator, -1.0, 1.0), static_cast<float>(-1.0 + 18467 * (2.0 * (1.0 / 32767.0))));
    // A draw of 32767 lands on the upper bound.
    Random15 top;
    for (int draw = 0; draw < 1000000; ++draw) {
        Random15 probe = top;
        if (probe.next() == 32767) break;
        top.next();
    }
    EXPECT_EQ(randomBetween(top, 2.0, 5.0), 5.0f);
}

// What makeHedgehog must make from the process-wide generator's current state: the
// accepted sample points, replayed on a copy of the generator.
std::vector<Vector3> expectedSamples(const Model& model, int count, int* discarded = nullptr) {
    Random15 replay = hedgehogRandom();
    const ABox& box = model.bounds();
    std::vector<Vector3> samples;
    while (static_cast<int>(samples.size()) < count) {
        Vector3 p;
        p.x = randomBetween(replay, box.min.x, box.max.x);
        p.y = randomBetween(replay, box.min.y, box.max.y);
        p.z = randomBetween(replay, box.min.z, box.max.z);
        if (model.isStopPoint(p)) {
            if (discarded != nullptr) ++*discarded;
            continue;
        }
        samples.push_back(p);
    }
    return samples;
}

TEST(Hedgehog, LinesStartAtTheSamplesAndRunAlongTheField) {
    const auto model = modelFromText("BOUNDS FROM -1, -2, 0 TO 1, 2, 4\nPOINT 2 AT 0, 0, 1\nPOINT -1 AT 0.5, 0, 3\n");
    ASSERT_TRUE(model);
    const std::vector<Vector3> samples = expectedSamples(*model, 25);
    const Ref<Group> hedgehog = makeHedgehog(*model, 25);
    ASSERT_TRUE(hedgehog);
    EXPECT_EQ(hedgehog->attributes(), nullptr);
    const auto lines = childrenOf<Line>(*hedgehog);
    ASSERT_EQ(lines.size(), 25u);
    for (std::size_t i = 0; i < lines.size(); ++i) {
        EXPECT_EQ(lines[i]->start.x, samples[i].x);
        EXPECT_EQ(lines[i]->start.y, samples[i].y);
        EXPECT_EQ(lines[i]->start.z, samples[i].z);
        Vector3 direction = model->fieldAt(samples[i]);
        normalize(direction);
        const Vector3 end = sum(samples[i], scaled(direction, 0.2f));
        EXPECT_EQ(lines[i]->end.x, end.x);
        EXPECT_EQ(lines[i]->end.y, end.y);
        EXPECT_EQ(lines[i]->end.z, end.z);
        ASSERT_NE(lines[i]->attributes(), nullptr);
        EXPECT_EQ(lines[i]->attributes()->flags(), AttributeSet::ColorSet);
        EXPECT_EQ(lines[i]->attributes()->color().z, 0.49f);
        EXPECT_EQ(lines[i]->refCount(), 1);
    }
    // The next request continues the sequence, so it makes other lines.
    const Ref<Group> again = makeHedgehog(*model, 25);
    ASSERT_EQ(again->count(), 25);
    EXPECT_NE(childrenOf<Line>(*again).front()->start.x, lines.front()->start.x);
}

TEST(Hedgehog, SamplesInsideAChargeAreDiscardedAndDoNotCount) {
    // A box of one charge radius with the charge at its corner: about half the samples fall inside.
    const auto model = modelFromText("BOUNDS FROM 0, 0, 0 TO 0.01, 0.01, 0.01\nPOINT 1 AT 0, 0, 0\n");
    ASSERT_TRUE(model);
    int discarded = 0;
    const std::vector<Vector3> samples = expectedSamples(*model, 40, &discarded);
    EXPECT_GT(discarded, 0);
    Random15 replay = hedgehogRandom();
    const Ref<Group> hedgehog = makeHedgehog(*model, 40);
    const auto lines = childrenOf<Line>(*hedgehog);
    ASSERT_EQ(lines.size(), 40u);
    EXPECT_EQ(lines.back()->start.x, samples.back().x);
    // Three draws per sample, the discarded ones included.
    for (int draw = 0; draw < 3 * (40 + discarded); ++draw) replay.next();
    EXPECT_EQ(hedgehogRandom().state(), replay.state());
}

TEST(Hedgehog, NonPositiveCountDrawsNothing) {
    const auto model = modelFromText("BOUNDS FROM -1, -1, -1 TO 1, 1, 1\nPOINT 1 AT 0, 0, 0\n");
    ASSERT_TRUE(model);
    const std::uint32_t before = hedgehogRandom().state();
    for (int count : {0, -5}) {
        const Ref<Group> hedgehog = makeHedgehog(*model, count);
        ASSERT_TRUE(hedgehog);
        EXPECT_EQ(hedgehog->count(), 0);
    }
    EXPECT_EQ(hedgehogRandom().state(), before);
}

TEST(Hedgehog, ZeroFieldSamplesCountButMakeNoLine) {
    const auto model = modelFromText("BOUNDS FROM -1, -1, -1 TO 1, 1, 1\n");  // no charges
    ASSERT_TRUE(model);
    Random15 replay = hedgehogRandom();
    const Ref<Group> hedgehog = makeHedgehog(*model, 10);
    ASSERT_TRUE(hedgehog);
    EXPECT_EQ(hedgehog->count(), 0);
    for (int draw = 0; draw < 30; ++draw) replay.next();
    EXPECT_EQ(hedgehogRandom().state(), replay.state());
    EXPECT_FALSE(makeHedgehogLine(*model, {0.5f, 0, 0}));
}

TEST(Hedgehog, BoxInsideAChargeGivesUpWithNoLines) {
    const auto model = modelFromText("BOUNDS FROM 0, 0, 0 TO 0.001, 0.001, 0.001\nPOINT 1 AT 0, 0, 0\n");
    ASSERT_TRUE(model);
    const Ref<Group> hedgehog = makeHedgehog(*model, 3);
    ASSERT_TRUE(hedgehog);
    EXPECT_EQ(hedgehog->count(), 0);
}

}  // namespace
}  // namespace kelvaro
