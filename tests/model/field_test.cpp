#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <random>
#include <string>

#include "model/model.h"
#include "tests/model/model_text.h"

namespace kelvaro::testing {
namespace {

TEST(Field, StartsFromTheSinglePrecisionSettings) {
    const auto model = readModel(unitBox());
    ASSERT_TRUE(model);
    EXPECT_EQ(model->traceStep(), 0.05000000074505806);
    EXPECT_EQ(model->chargeRadius(), 0.009999999776482582);
    EXPECT_EQ(model->chargeRadiusSquared(), 9.999999552965169e-05);
    EXPECT_EQ(model->hedgehogLength(), 0.20000000298023224);
    EXPECT_EQ(model->potentialScale(), 1.0);
}

TEST(Field, FollowsCoulombForOneCharge) {
    const auto model = readModel(unitBox("POINT 2 AT 0, 0, 0\n"));
    ASSERT_TRUE(model);
    EXPECT_EQ(model->potentialAt({1, 0, 0}), 2.0);
    EXPECT_EQ(model->potentialAt({0, 0, -0.5f}), 4.0);
    const Vector3 alongX = model->fieldAt({1, 0, 0});
    EXPECT_EQ(alongX.x, 2.0f);
    EXPECT_EQ(alongX.y, 0.0f);
    EXPECT_EQ(alongX.z, 0.0f);
    const Vector3 alongY = model->fieldAt({0, 2, 0});
    EXPECT_EQ(alongY.x, 0.0f);
    EXPECT_EQ(alongY.y, 0.5f);

    const auto negative = readModel(unitBox("POINT -2 AT 0, 0, 0\n"));
    ASSERT_TRUE(negative);
    EXPECT_EQ(negative->fieldAt({1, 0, 0}).x, -2.0f);
}

TEST(Field, IsMinusGradientOfPotential) {
    const auto model = readModel(unitBox(
        "POINT 1 AT -0.5, 0.25, 0\nPOINT -2 AT 0.5, -0.25, 0.125\nPOINT 0.75 AT 0, 0.5, -0.5\n"));
    ASSERT_TRUE(model);
    std::mt19937 random(20261207);
    std::uniform_int_distribution<int> coordinate(-1024, 1024);
    const float h = 1.0f / 1024.0f;  // every sample point is exact in single precision
    int checked = 0;
    while (checked < 50) {
        const Vector3 p{coordinate(random) / 1024.0f, coordinate(random) / 1024.0f, coordinate(random) / 1024.0f};
        bool nearCharge = false;
        for (const Charge& charge : model->charges()) {
            const Vector3 d = difference(p, charge.position);
            nearCharge = nearCharge || std::sqrt(d.x * d.x + d.y * d.y + d.z * d.z) < 0.25f;
        }
        if (nearCharge) continue;
        ++checked;
        const double gx = (model->potentialAt({p.x + h, p.y, p.z}) - model->potentialAt({p.x - h, p.y, p.z})) / (2 * h);
        const double gy = (model->potentialAt({p.x, p.y + h, p.z}) - model->potentialAt({p.x, p.y - h, p.z})) / (2 * h);
        const double gz = (model->potentialAt({p.x, p.y, p.z + h}) - model->potentialAt({p.x, p.y, p.z - h})) / (2 * h);
        const Vector3 field = model->fieldAt(p);
        const double tolerance = 1e-3 * (1.0 + std::sqrt(gx * gx + gy * gy + gz * gz));
        EXPECT_NEAR(field.x, -gx, tolerance) << "at " << p.x << ", " << p.y << ", " << p.z;
        EXPECT_NEAR(field.y, -gy, tolerance) << "at " << p.x << ", " << p.y << ", " << p.z;
        EXPECT_NEAR(field.z, -gz, tolerance) << "at " << p.x << ", " << p.y << ", " << p.z;
    }
}

TEST(Field, StopsWithinTheChargeRadius) {
    const auto model = readModel(unitBox("POINT 1 AT 0, 0, 0\n"));
    ASSERT_TRUE(model);
    EXPECT_TRUE(model->isStopPoint({0.0099f, 0, 0}));
    EXPECT_FALSE(model->isStopPoint({0.0101f, 0, 0}));
    EXPECT_FALSE(model->isStopPoint({0, 0, -0.0101f}));
    EXPECT_TRUE(model->isStopPoint({0, 0, 0}));
    const float nan = std::numeric_limits<float>::quiet_NaN();
    EXPECT_TRUE(model->isStopPoint({nan, 0, 0}));
}

TEST(Field, StopsOnlyOutsideTheClosedBox) {
    const auto model = readModel(unitBox("POINT 1 AT 0.5, 0.5, 0.5\n"));
    ASSERT_TRUE(model);
    EXPECT_FALSE(model->isStopPoint({1, 0.25f, -1}));
    EXPECT_TRUE(model->isStopPoint({std::nextafter(1.0f, 2.0f), 0.25f, 0}));
    EXPECT_TRUE(model->isStopPoint({0, std::nextafter(-1.0f, -2.0f), 0}));
}

TEST(Field, DerivesSpacingAndPotentialRange) {
    const auto model = readModel(unitBox("POINT 1 AT 0, 0, 0\n"));
    ASSERT_TRUE(model);
    EXPECT_NEAR(model->pointSpacing(), 0.034641, 1e-6);
    EXPECT_EQ(model->pointSpacing(), static_cast<double>(0.01f) * std::sqrt(12.0));
    EXPECT_NEAR(model->potentialMin(), 1.0 / std::sqrt(3.0), 1e-12);
    EXPECT_NEAR(model->potentialMax(), 1.0 / (std::sqrt(3.0) * 0.01), 1e-4);

    const auto negative = readModel(unitBox("POINT -1 AT 0, 0, 0\nPOINT 1e-3 AT 0.5, 0.5, 0.5\n"));
    ASSERT_TRUE(negative);
    EXPECT_LT(negative->potentialMin(), -57.0);
    EXPECT_GT(negative->potentialMax(), -0.6);
}

TEST(Field, IsEmptyWithoutCharges) {
    const auto model = readModel("BOUNDS FROM 0, 0, 0 TO 3, 4, 0");
    ASSERT_TRUE(model);
    const Vector3 field = model->fieldAt({1, 1, 0});
    EXPECT_EQ(field.x, 0.0f);
    EXPECT_EQ(field.y, 0.0f);
    EXPECT_EQ(field.z, 0.0f);
    EXPECT_EQ(model->potentialAt({1, 1, 0}), 0.0);
    EXPECT_FALSE(model->isStopPoint({0, 0, 0}));
    EXPECT_TRUE(model->isStopPoint({-1, 0, 0}));
    EXPECT_EQ(model->potentialMin(), 0.0);
    EXPECT_EQ(model->potentialMax(), 0.0);
    EXPECT_EQ(model->pointSpacing(), static_cast<double>(0.01f) * 5.0);
}

TEST(Field, ZeroChargeAddsNothingAwayFromItself) {
    const auto withZero = readModel(unitBox("POINT 1 AT 0, 0, 0\nPOINT 0 AT 0.5, 0, 0\n"));
    const auto without = readModel(unitBox("POINT 1 AT 0, 0, 0\n"));
    ASSERT_TRUE(withZero && without);
    const Vector3 p{0.25f, 0.75f, -0.5f};
    EXPECT_EQ(withZero->potentialAt(p), without->potentialAt(p));
    EXPECT_EQ(withZero->fieldAt(p).y, without->fieldAt(p).y);
    EXPECT_TRUE(std::isnan(withZero->potentialAt({0.5f, 0, 0})));
}

TEST(Field, HasNoGuardAtAChargesPosition) {
    const auto model = readModel(unitBox("POINT 1 AT 0.5, 0, 0\n"));
    ASSERT_TRUE(model);
    EXPECT_TRUE(std::isinf(model->potentialAt({0.5f, 0, 0})));
    EXPECT_TRUE(std::isnan(model->fieldAt({0.5f, 0, 0}).x));
}

// The potential and the stop test of a crowded model, bit for bit as their definitions
// say: differences of the single-precision coordinates taken in double, terms summed in
// charge order.
TEST(Field, PotentialAndStopTestMatchTheirDefinitionsExactly) {
    std::mt19937 random(11);
    std::uniform_real_distribution<float> coordinate(-1.0f, 1.0f);
    std::string charges;
    for (int i = 0; i < Model::maxCharges; ++i) {
        charges += "POINT " + std::to_string(coordinate(random)) + " AT " + std::to_string(coordinate(random) / 8) + ", " +
                   std::to_string(coordinate(random) / 8) + ", " + std::to_string(coordinate(random) / 8) + "\n";
    }
    const auto model = readModel(unitBox(charges));
    ASSERT_TRUE(model);
    ASSERT_EQ(model->chargeCount(), Model::maxCharges);
    int stops = 0;
    for (int n = 0; n < 2000; ++n) {
        const Vector3 p{coordinate(random) / 8, coordinate(random) / 8, coordinate(random) / 8};
        double potential = 0.0;
        bool inside = false;
        for (const Charge& charge : model->charges()) {
            const double dx = static_cast<double>(p.x) - static_cast<double>(charge.position.x);
            const double dy = static_cast<double>(p.y) - static_cast<double>(charge.position.y);
            const double dz = static_cast<double>(p.z) - static_cast<double>(charge.position.z);
            const double squared = dx * dx + dy * dy + dz * dz;
            potential += charge.value / std::sqrt(squared);
            inside = inside || !(squared >= model->chargeRadiusSquared());
        }
        ASSERT_EQ(model->potentialAt(p), potential) << n;
        ASSERT_EQ(model->isStopPoint(p), inside) << n;
        stops += inside ? 1 : 0;
    }
    EXPECT_GT(stops, 10);  // points inside charges are among them
}

}  // namespace
}  // namespace kelvaro::testing
