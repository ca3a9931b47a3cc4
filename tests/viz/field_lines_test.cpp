#include "viz/field_lines.h"

#include <gtest/gtest.h>

#include <cmath>

#include "model/model_colors.h"
#include "scene/attribute_set.h"
#include "tests/viz/viz_test_support.h"

namespace kelvaro {
namespace {

using testing::childrenOf;
using testing::modelFromText;
using testing::ScratchDirectory;

double distance(const Vector3& a, const Vector3& b) {
    const double x = static_cast<double>(a.x) - b.x;
    const double y = static_cast<double>(a.y) - b.y;
    const double z = static_cast<double>(a.z) - b.z;
    return std::sqrt(x * x + y * y + z * z);
}

double length(const Vector3& v) { return distance(v, {}); }

double cosine(const Vector3& a, const Vector3& b) {
    return (static_cast<double>(a.x) * b.x + static_cast<double>(a.y) * b.y + static_cast<double>(a.z) * b.z) /
           (length(a) * length(b));
}

class FieldLines : public ::testing::Test {
protected:
    void SetUp() override { testing::installExampleSeedFile(); }

    ScratchDirectory scratch_;
};

TEST_F(FieldLines, SingleChargeLinesRunStraightOutAndEndJustOutsideTheBox) {
    const auto model = modelFromText("BOUNDS FROM -1, -1, -1 TO 1, 1, 1\nPOINT 1 AT 0, 0, 0\n");
    ASSERT_TRUE(model);
    const Ref<Group> lines = makeFieldLines(*model, 12);
    ASSERT_TRUE(lines);
    const auto polylines = childrenOf<PolyLine>(*lines);
    ASSERT_EQ(polylines.size(), 12u);
    for (const PolyLine* line : polylines) {
        const Vector3& start = line->point(0);
        EXPECT_NEAR(length(start), model->chargeRadius(), 1e-8);
        for (std::int32_t i = 1; i < line->count(); ++i) {
            EXPECT_GT(cosine(line->point(i), start), 1.0 - 1e-6);  // radial, outward
            EXPECT_GT(length(line->point(i)), length(line->point(i - 1)));
        }
        // The start lies on the charge's sphere, within rounding; the others are inside the box.
        for (std::int32_t i = 1; i + 1 < line->count(); ++i) EXPECT_FALSE(model->isStopPoint(line->point(i)));
        EXPECT_FALSE(model->bounds().contains(line->point(line->count() - 1)));
    }
}

TEST_F(FieldLines, DipoleLinesEndOnTheOppositeCharge) {
    const auto model = modelFromText("BOUNDS FROM -3, -3, -3 TO 3, 3, 3\nPOINT 1 AT -0.5, 0, 0\nPOINT -1 AT 0.5, 0, 0\n");
    ASSERT_TRUE(model);
    const Ref<Group> lines = makeFieldLines(*model, 6);
    ASSERT_TRUE(lines);
    const Vector3 positive{-0.5f, 0, 0};
    const Vector3 negative{0.5f, 0, 0};
    int reachedNegative = 0;
    int reachedPositive = 0;
    for (const PolyLine* line : childrenOf<PolyLine>(*lines)) {
        const Vector3& start = line->point(0);
        const Vector3& end = line->point(line->count() - 1);
        if (distance(start, positive) < 0.02 && distance(end, negative) < model->chargeRadius()) ++reachedNegative;
        if (distance(start, negative) < 0.02 && distance(end, positive) < model->chargeRadius()) ++reachedPositive;
    }
    // The seed along the axis away from the other charge escapes the box; most lines arrive.
    EXPECT_GE(reachedNegative, 4);
    EXPECT_GE(reachedPositive, 4);
}

TEST_F(FieldLines, PointsFollowTheFieldAndKeepTheSpacing) {
    const auto model = modelFromText(
        "BOUNDS FROM -2, -2, -2 TO 2, 2, 2\nPOINT 1 AT -0.5, 0.2, 0\nPOINT -2 AT 0.7, 0, 0.3\nPOINT 0.5 AT 0, -0.8, 0\n");
    ASSERT_TRUE(model);
    const Ref<Group> lines = makeFieldLines(*model, 10);
    ASSERT_TRUE(lines);
    ASSERT_GT(lines->count(), 0);
    for (const PolyLine* line : childrenOf<PolyLine>(*lines)) {
        ASSERT_GE(line->count(), 2);
        ASSERT_LE(line->count(), maxFieldLinePoints);
        EXPECT_EQ(line->attributes(), childrenOf<PolyLine>(*lines).front()->attributes());
        for (std::int32_t i = 1; i < line->count(); ++i) {
            const Vector3& from = line->point(i - 1);
            const Vector3& to = line->point(i);
            if (i + 1 < line->count()) {
                EXPECT_GT(distance(from, to), model->pointSpacing());
            }
            // Away from the charges every segment runs along the field (or against it,
            // for lines from the negative charge).
            const Vector3 middle = scaled(sum(from, to), 0.5f);
            bool nearCharge = false;
            for (const Charge& charge : model->charges()) nearCharge = nearCharge || distance(middle, charge.position) < 0.1;
            if (!nearCharge) {
                EXPECT_GT(std::abs(cosine(difference(to, from), model->fieldAt(middle))), 0.98);
            }
        }
    }
    const AttributeSet* shared = childrenOf<PolyLine>(*lines).front()->attributes();
    ASSERT_NE(shared, nullptr);
    EXPECT_EQ(shared->refCount(), lines->count());  // the working line's reference is gone
    EXPECT_EQ(shared->color().x, fieldLineColor.x);
    EXPECT_EQ(shared->color().y, fieldLineColor.y);
    EXPECT_EQ(shared->color().z, fieldLineColor.z);
}

TEST_F(FieldLines, AZeroChargeIsTracedAgainstTheField) {
    // Near the zero charge the field of the positive one points away from it, so a line
    // traced against the field from the zero charge runs into the positive charge.
    const auto model = modelFromText("BOUNDS FROM -2, -2, -2 TO 2, 2, 2\nPOINT 0 AT 0, 0, 0\nPOINT 1 AT 1, 0, 0\n");
    ASSERT_TRUE(model);
    const Ref<Group> lines = makeFieldLines(*model, 1);  // the set of 1 points along one axis
    ASSERT_TRUE(lines);
    bool endsOnPositive = false;
    for (const PolyLine* line : childrenOf<PolyLine>(*lines)) {
        if (length(line->point(0)) < 0.02)
            endsOnPositive = distance(line->point(line->count() - 1), {1, 0, 0}) < model->chargeRadius();
    }
    EXPECT_TRUE(endsOnPositive);
}

TEST_F(FieldLines, ModelWithoutChargesGivesAnEmptyGroupAndMissingSeedsNone) {
    const auto empty = modelFromText("BOUNDS FROM -1, -1, -1 TO 1, 1, 1\n");
    ASSERT_TRUE(empty);
    const Ref<Group> none = makeFieldLines(*empty, 5);
    ASSERT_TRUE(none);
    EXPECT_EQ(none->count(), 0);
    EXPECT_EQ(none->refCount(), 1);
    EXPECT_FALSE(makeFieldLines(*empty, 101));  // the file holds sets up to 100

    std::filesystem::remove("ElectronData");
    const auto charged = modelFromText("BOUNDS FROM -1, -1, -1 TO 1, 1, 1\nPOINT 1 AT 0, 0, 0\n");
    ASSERT_TRUE(charged);
    EXPECT_FALSE(makeFieldLines(*charged, 5));
}

TEST(FieldLineTrace, StopsAtThePointLimit) {
    const auto model = modelFromText("BOUNDS FROM -100, -100, -100 TO 100, 100, 100\nPOINT 1 AT 0, 0, 0\n");
    ASSERT_TRUE(model);
    const Ref<PolyLine> line = create<PolyLine>(maxFieldLinePoints);
    line->append({0.5f, 0, 0});
    // The doubling step leaves the box after about five records whatever its size.
    const unsigned appended = traceFieldLine(*model, *line, 1.0, model->traceStep(), model->pointSpacing(), 3);
    EXPECT_EQ(appended, 3u);  // stopped inside the box, with nothing after the last record
    ASSERT_EQ(line->count(), 4);
    EXPECT_FALSE(model->isStopPoint(line->point(3)));

    // A full line drops further appends but still counts them.
    const Ref<PolyLine> small = create<PolyLine>(2);
    small->append({0.5f, 0, 0});
    EXPECT_EQ(traceFieldLine(*model, *small, 1.0, model->traceStep(), model->pointSpacing(), 3), 3u);
    EXPECT_EQ(small->count(), 2);
}

TEST(FieldLineTrace, EndsWhereItCannotMoveOnAndKeepsItsRecord) {
    // Between two equal charges the field vanishes at the middle; a line aimed at it
    // oscillates there with an ever smaller step and records nothing more.
    const auto model = modelFromText("BOUNDS FROM -2, -2, -2 TO 2, 2, 2\nPOINT 1 AT -1, 0, 0\nPOINT 1 AT 1, 0, 0\n");
    ASSERT_TRUE(model);
    const Ref<PolyLine> line = create<PolyLine>(maxFieldLinePoints);
    line->append({-0.9f, 0, 0});
    const unsigned appended = traceFieldLine(*model, *line, 1.0, model->traceStep(), model->pointSpacing(), 500);
    EXPECT_EQ(static_cast<std::int32_t>(appended) + 1, line->count());
    EXPECT_LT(line->count(), 100);
    for (std::int32_t i = 0; i < line->count(); ++i) {
        EXPECT_LE(line->point(i).x, 0.05f);
        EXPECT_EQ(line->point(i).y, 0.0f);
    }
    EXPECT_GT(line->point(line->count() - 1).x, -0.1f);
}

TEST(FieldLineTrace, FirstCandidateOutsideTheBoxAddsOnlyThatPoint) {
    const auto model = modelFromText("BOUNDS FROM -1, -1, -1 TO 1, 1, 1\nPOINT 1 AT 0, 0, 0\n");
    ASSERT_TRUE(model);
    const Ref<PolyLine> line = create<PolyLine>(maxFieldLinePoints);
    line->append({0.99f, 0, 0});
    EXPECT_EQ(traceFieldLine(*model, *line, 1.0, model->traceStep(), model->pointSpacing(), 500), 1u);
    ASSERT_EQ(line->count(), 2);
    EXPECT_FLOAT_EQ(line->point(1).x, 0.99f + static_cast<float>(model->traceStep()));
}

}  // namespace
}  // namespace kelvaro
