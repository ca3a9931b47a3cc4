// The accurate tracer against what is known of field lines without tracing them: a lone
// charge's lines are straight, a dipole's keep a first integral, and every line ends on a
// face of the box or at a charge's stop distance; and against the reference tracer of
// tests/support on a model whose lines bend round several charges.

#include "viz/accurate_field_lines.h"

#include <gtest/gtest.h>

#include <cmath>
#include <optional>
#include <vector>

#include "scene/primitives.h"
#include "tests/support/reference_field_lines.h"
#include "tests/viz/viz_test_support.h"
#include "viz/field_lines.h"
#include "viz/seed_directions.h"

namespace kelvaro {
namespace {

using testing::childrenOf;
using testing::modelFromText;

struct D3 {
    double x, y, z;
};
D3 minus(const Vector3& a, const Vector3& b) { return {double(a.x) - b.x, double(a.y) - b.y, double(a.z) - b.z}; }
double norm(const D3& d) { return std::sqrt(d.x * d.x + d.y * d.y + d.z * d.z); }
double dot(const D3& a, const D3& b) { return a.x * b.x + a.y * b.y + a.z * b.z; }

// The lines of `linesPerCharge` a charge, traced accurately, with a test failure when none come.
std::vector<const PolyLine*> accurateLines(const Model& model, int linesPerCharge, Ref<Group>& keep) {
    keep = makeFieldLines(model, linesPerCharge, FieldLineMethod::Accurate);
    EXPECT_TRUE(keep);
    return keep ? childrenOf<PolyLine>(*keep) : std::vector<const PolyLine*>{};
}

class AccurateLines : public ::testing::Test {
protected:
    void SetUp() override { testing::installExampleSeedFile(); }

    testing::ScratchDirectory scratch_;
};

TEST_F(AccurateLines, ALoneChargesLinesAreStraightAndEndExactlyWhereTheyLeaveTheBox) {
    const auto model = modelFromText("BOUNDS FROM -1, -1, -1 TO 1, 1, 1\nPOINT 2 AT 0.2, -0.1, 0.3\n");
    ASSERT_TRUE(model);
    const Vector3 charge{0.2f, -0.1f, 0.3f};
    Ref<Group> keep;
    const auto lines = accurateLines(*model, 12, keep);
    ASSERT_EQ(lines.size(), 12u);
    for (const PolyLine* line : lines) {
        const D3 out = minus(line->point(1), charge);
        for (std::int32_t i = 1; i < line->count(); ++i) {
            const D3 at = minus(line->point(i), charge);
            EXPECT_GT(dot(at, out) / (norm(at) * norm(out)), 1.0 - 1e-9) << "point " << i;  // radial
        }
        // The ray from the charge leaves the box [-1, 1]^3 where the first coordinate reaches
        // +-1; the line's last point lies there, with that coordinate exactly on the face.
        const Vector3& last = line->point(line->count() - 1);
        const D3 direction = minus(last, charge);
        double exit = HUGE_VAL;
        const double start[3] = {charge.x, charge.y, charge.z}, along[3] = {direction.x, direction.y, direction.z};
        for (int axis = 0; axis < 3; ++axis) exit = std::min(exit, ((along[axis] > 0 ? 1.0 : -1.0) - start[axis]) / along[axis]);
        EXPECT_NEAR(exit, 1.0, 1e-6);
        const float coordinates[3] = {last.x, last.y, last.z};
        int onFace = 0;
        for (float c : coordinates) {
            EXPECT_LE(std::fabs(c), 1.0f);
            onFace += std::fabs(c) == 1.0f;
        }
        EXPECT_EQ(onFace, 1);
    }
}

// Charges on one axis: along a field line, the sum over the charges of value times the
// cosine of the angle between the axis and the way from the charge to the point stays the
// same (the flux through the circle round the axis at that point).
double axisFlux(const Model& model, const Vector3& p) {
    double sum = 0.0;
    for (const Charge& charge : model.charges()) {
        const D3 d = minus(p, charge.position);
        sum += charge.value * d.x / norm(d);
    }
    return sum;
}

TEST_F(AccurateLines, ADipolesLinesKeepTheirFirstIntegralAndEndAtTheStopDistance) {
    const auto model = modelFromText("BOUNDS FROM -2, -2, -2 TO 2, 2, 2\nPOINT 1 AT -0.5, 0, 0\nPOINT -1 AT 0.5, 0, 0\n");
    ASSERT_TRUE(model);
    Ref<Group> keep;
    int arrived = 0;
    for (const PolyLine* line : accurateLines(*model, 20, keep)) {
        // Near a charge the integral turns with the angle round it: the points there are
        // checked by where the line ends.
        std::optional<double> first;
        for (std::int32_t i = 1; i < line->count(); ++i) {
            const Vector3& p = line->point(i);
            bool away = true;
            for (const Charge& charge : model->charges()) away = away && norm(minus(p, charge.position)) > 0.2;
            if (!away) continue;
            if (!first) first = axisFlux(*model, p);
            EXPECT_NEAR(axisFlux(*model, p), *first, 1e-4);
        }
        const Vector3& last = line->point(line->count() - 1);
        for (const Charge& charge : model->charges()) {
            const double distance = norm(minus(last, charge.position));
            if (distance < 0.1 && norm(minus(line->point(0), charge.position)) > 0.1) {
                EXPECT_NEAR(distance, model->chargeRadius(), 1e-7);
                ++arrived;
            }
        }
    }
    EXPECT_GE(arrived, 30);  // most of the 40 lines run from one charge to the other
}

TEST_F(AccurateLines, EndWhereTheReferenceEndsAndStayOnItsLine) {
    const auto model = modelFromText(
        "BOUNDS FROM -2, -2, -2 TO 2, 2, 2\nPOINT 1 AT -0.5, 0.2, 0\nPOINT -2 AT 0.7, 0, 0.3\nPOINT 0.5 AT 0, -0.8, 0\n"
        "POINT -0.7 AT -0.3, 0.6, -0.9\n");
    ASSERT_TRUE(model);
    const std::unique_ptr<Vector3[]> seeds = readSeedDirections(16);
    ASSERT_TRUE(seeds);
    std::vector<LineStart> starts;
    for (int c = 0; c < model->chargeCount(); ++c) {
        const Charge& charge = model->charges()[static_cast<std::size_t>(c)];
        for (int s = 0; s < 16; ++s) {
            const auto radius = static_cast<float>(model->chargeRadius());
            starts.push_back({sum(charge.position, scaled(seeds[s], radius)), charge.value > 0 ? 1.0 : -1.0, c});
        }
    }
    const auto lines = traceAccurateLines(*model, starts);
    const double diagonal = testing::boxDiagonal(*model);
    for (std::size_t i = 0; i < starts.size(); ++i) {
        SCOPED_TRACE(::testing::Message() << "line " << i);
        const testing::ReferenceLine reference =
            testing::referenceFieldLine(*model, starts[i].point, starts[i].sign, starts[i].charge);
        ASSERT_GE(lines[i].size(), 2u);
        EXPECT_EQ(testing::describe(testing::endOfLine(*model, lines[i].back(), starts[i].charge)),
                  testing::describe(reference.end));
        EXPECT_LT(testing::strayFrom(reference, lines[i]), 1e-4 * diagonal);
    }
}

TEST_F(AccurateLines, PointsAreSpacedForDrawing) {
    const auto model = modelFromText(
        "BOUNDS FROM -2, -2, -2 TO 2, 2, 2\nPOINT 1 AT -0.5, 0.2, 0\nPOINT -2 AT 0.7, 0, 0.3\nPOINT 0.5 AT 0, -0.8, 0\n");
    ASSERT_TRUE(model);
    const double diagonal = testing::boxDiagonal(*model);
    Ref<Group> keep;
    for (const PolyLine* line : accurateLines(*model, 20, keep)) {
        for (std::int32_t i = 1; i < line->count(); ++i) {
            const D3 segment = minus(line->point(i), line->point(i - 1));
            EXPECT_LE(norm(segment), 0.02 * diagonal * (1.0 + 1e-6));
            EXPECT_GT(norm(segment), 0.0);
            if (i >= 2 && i + 1 < line->count()) {  // the last one may be a short piece to the end
                const D3 before = minus(line->point(i - 1), line->point(i - 2));
                EXPECT_GT(dot(before, segment) / (norm(before) * norm(segment)), std::cos(10.0 * M_PI / 180.0));
            }
        }
    }
}

TEST_F(AccurateLines, ALineIntoAPointWhereTheFieldVanishesEndsThere) {
    // Between two equal charges the field vanishes at the middle; the line from the left one
    // along the axis runs into it and can go no further.
    const auto model = modelFromText("BOUNDS FROM -2, -2, -2 TO 2, 2, 2\nPOINT 1 AT -1, 0, 0\nPOINT 1 AT 1, 0, 0\n");
    ASSERT_TRUE(model);
    const LineStart start{{-0.99f, 0.0f, 0.0f}, 1.0, 0};
    const auto lines = traceAccurateLines(*model, std::span(&start, 1));
    ASSERT_GE(lines[0].size(), 2u);
    const Vector3& last = lines[0].back();
    EXPECT_LT(norm(minus(last, {0, 0, 0})), 1e-3);
    for (const Vector3& p : lines[0]) EXPECT_EQ(p.y, 0.0f);
}

TEST_F(AccurateLines, AStartOutsideTheBoxOrInsideAnotherChargeGivesNoLine) {
    const auto model = modelFromText("BOUNDS FROM -1, -1, -1 TO 1, 1, 1\nPOINT 1 AT 0, 0, 0\nPOINT -1 AT 0, 0.015, 0\n");
    ASSERT_TRUE(model);
    const LineStart starts[] = {{{1.5f, 0.0f, 0.0f}, 1.0, -1}, {{0.0f, 0.01f, 0.0f}, 1.0, 0}};
    const auto lines = traceAccurateLines(*model, starts);
    EXPECT_EQ(lines[0].size(), 1u);
    EXPECT_EQ(lines[1].size(), 1u);  // within the stop distance of the second charge
}

}  // namespace
}  // namespace kelvaro
