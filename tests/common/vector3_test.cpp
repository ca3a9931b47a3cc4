#include "common/vector3.h"

#include <gtest/gtest.h>

#include <cmath>

namespace kelvaro {
namespace {

TEST(Vector3, ArithmeticRoundsEachComponentToSinglePrecision) {
    const Vector3 a{0.1f, 1e8f, -2.5f};
    const Vector3 b{0.2f, 1.0f, 0.5f};
    const Vector3 s = sum(a, b);
    EXPECT_EQ(s.x, 0.1f + 0.2f);
    EXPECT_EQ(s.y, 1e8f);  // 1e8 + 1 is not representable in single precision
    EXPECT_EQ(s.z, -2.0f);
    const Vector3 d = difference(a, b);
    EXPECT_EQ(d.x, 0.1f - 0.2f);
    EXPECT_EQ(d.z, -3.0f);

    Vector3 c = a;
    addInPlace(c, b);
    EXPECT_EQ(c.x, s.x);
    EXPECT_EQ(c.y, s.y);
    EXPECT_EQ(c.z, s.z);

    const Vector3 k = scaled(b, 0.1f);
    EXPECT_EQ(k.x, 0.2f * 0.1f);
    EXPECT_EQ(k.y, 0.1f);
    scaleInPlace(c, 2.0f);
    EXPECT_EQ(c.z, -4.0f);
}

TEST(Vector3, NormalizeAnswersTheDoubleLengthAndLeavesAUnitVector) {
    Vector3 v{3.0f, 4.0f, 12.0f};
    EXPECT_EQ(normalize(v), 13.0);
    EXPECT_EQ(v.x, static_cast<float>(3.0 / 13.0));
    EXPECT_EQ(v.y, static_cast<float>(4.0 / 13.0));
    EXPECT_EQ(v.z, static_cast<float>(12.0 / 13.0));

    // The length is not rounded to single precision: 1 + 1 + 1 under the root.
    Vector3 ones{1.0f, 1.0f, 1.0f};
    EXPECT_EQ(normalize(ones), std::sqrt(3.0));
}

TEST(Vector3, NormalizeOfZeroAnswersZeroAndGivesNotANumber) {
    Vector3 zero{};
    EXPECT_EQ(normalize(zero), 0.0);
    EXPECT_TRUE(std::isnan(zero.x));
    EXPECT_TRUE(std::isnan(zero.y));
    EXPECT_TRUE(std::isnan(zero.z));
}

}  // namespace
}  // namespace kelvaro
