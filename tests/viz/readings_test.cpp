// The numbers a user reads: the probe's potential and field against a plain sum written
// here, and the flux through a sphere against Gauss's law, within the stated error.

#include <gtest/gtest.h>

#include <cmath>
#include <numbers>
#include <string>

#include "scene/attribute_set.h"
#include "scene/label.h"
#include "scene/primitives.h"
#include "tests/viz/viz_test_support.h"
#include "viz/gauss_flux.h"
#include "viz/probe.h"

namespace kelvaro {
namespace {

using testing::modelFromText;

const char* const threeCharges =
    "BOUNDS FROM -2, -2, -2 TO 2, 2, 2\nPOINT 1 AT -0.5, 0.2, 0\nPOINT -2 AT 0.7, 0, 0.3\nPOINT 0.5 AT 0, -0.8, 0\n";

TEST(Probe, ReadsThePotentialAndTheFieldOfThePlainSum) {
    const auto model = modelFromText(threeCharges);
    ASSERT_TRUE(model);
    for (const Vector3 p : {Vector3{0.1f, 0.3f, -0.2f}, Vector3{1.9f, -1.5f, 2.0f}, Vector3{-0.49f, 0.2f, 0.0f}}) {
        double potential = 0.0, field[3] = {0.0, 0.0, 0.0};
        for (const Charge& q : model->charges()) {
            const double d[3] = {double(p.x) - q.position.x, double(p.y) - q.position.y, double(p.z) - q.position.z};
            const double r = std::sqrt(d[0] * d[0] + d[1] * d[1] + d[2] * d[2]);
            potential += q.value / r;
            for (int k = 0; k < 3; ++k) field[k] += q.value * d[k] / (r * r * r);
        }
        const ProbeReading reading = probeAt(*model, p);
        EXPECT_NEAR(reading.potential, potential, 1e-12 * std::fabs(potential));
        const double size = std::sqrt(field[0] * field[0] + field[1] * field[1] + field[2] * field[2]);
        EXPECT_NEAR(reading.field.x, field[0], 1e-6 * size);
        EXPECT_NEAR(reading.field.y, field[1], 1e-6 * size);
        EXPECT_NEAR(reading.field.z, field[2], 1e-6 * size);
        EXPECT_NEAR(reading.fieldMagnitude, size, 1e-6 * size);
    }
}

TEST(Probe, SaysWhatItReadsAndStandsOnlyInTheBoxAwayFromTheCharges) {
    const auto model = modelFromText("BOUNDS FROM -1, -1, -1 TO 1, 1, 1\nPOINT 2 AT 0, 0, 0\n");
    ASSERT_TRUE(model);
    EXPECT_EQ(probeLine(probeAt(*model, {1, 0, 0})), "Probe at (1, 0, 0): V = 2, |E| = 2, E = (2, 0, 0)\n");
    EXPECT_EQ(probePlaceProblem(*model, {1, 0, 0}), "");
    EXPECT_NE(probePlaceProblem(*model, {1.01f, 0, 0}).find("outside the box"), std::string::npos);
    EXPECT_NE(probePlaceProblem(*model, {0, 0, 0}).find("charge 1"), std::string::npos);
    EXPECT_NE(probePlaceProblem(*model, {NAN, 0, 0}), "");
    EXPECT_FALSE(makeProbe(*model, {2, 0, 0}));

    const Ref<Group> probe = makeProbe(*model, {0, 0.5f, 0});
    ASSERT_TRUE(probe);
    ASSERT_EQ(probe->count(), 4);  // the cross's three lines and the label
    const auto* label = dynamic_cast<const Label*>(&probe->child(3));
    ASSERT_NE(label, nullptr);
    EXPECT_EQ(label->text, "V = 4\n|E| = 8\nE = (0, 8, 0)");
}

// A model of `charges` (value, x, y, z) in a box of side 20 round the origin.
std::unique_ptr<Model> chargesModel(std::initializer_list<std::array<double, 4>> charges) {
    std::string text = "BOUNDS FROM -10, -10, -10 TO 10, 10, 10\n";
    for (const auto& q : charges) {
        text += "POINT " + std::to_string(q[0]) + " AT " + std::to_string(q[1]) + ", " + std::to_string(q[2]) + ", " +
                std::to_string(q[3]) + "\n";
    }
    return modelFromText(text);
}

// Gauss's law: the flux out through a closed surface is 4π times the charge inside.
TEST(GaussFlux, EqualsFourPiTimesTheEnclosedChargeWithinTheStatedError) {
    const auto model = chargesModel({{2.5, 0.3, -0.2, 0.1}, {-1, 3, 2, -1}, {4, -2, -3, 2}});
    ASSERT_TRUE(model);
    const struct {
        Vector3 centre;
        double radius;
        double enclosed;
    } spheres[] = {
        {{0, 0, 0}, 1.0, 2.5},    // round the first charge, off its centre
        {{0, 0, 0}, 5.0, 5.5},    // all three
        {{6, 6, 6}, 2.0, 0.0},    // none
        {{2, 2, -1}, 1.5, -1.0},  // the second, with the first outside but near
    };
    for (const auto& sphere : spheres) {
        SCOPED_TRACE(::testing::Message() << "radius " << sphere.radius);
        const SphereFlux flux = fluxThroughSphere(*model, sphere.centre, sphere.radius);
        ASSERT_TRUE(flux.known);
        EXPECT_DOUBLE_EQ(flux.enclosedCharge, sphere.enclosed);
        EXPECT_LE(flux.errorBound, fluxTolerance * 4.0 * std::numbers::pi * 7.5);
        EXPECT_NEAR(flux.flux, 4.0 * std::numbers::pi * sphere.enclosed, flux.errorBound + 1e-12);
    }
}

TEST(GaussFlux, ADipoleInsideGivesNoFluxAndItsFieldLeavesOneHalfAndEntersTheOther) {
    const auto model = chargesModel({{1, -0.5, 0, 0}, {-1, 0.5, 0, 0}});
    ASSERT_TRUE(model);
    const SphereFlux both = fluxThroughSphere(*model, {0, 0, 0}, 2.0);
    ASSERT_TRUE(both.known);
    EXPECT_NEAR(both.flux, 0.0, both.errorBound + 1e-12);
    EXPECT_EQ(fluxLine(both), "Flux through the sphere: 0 (enclosed charge 0 × 4πk = 0)\n");

    const Ref<Group> sphere = makeGaussSphere(*model, {0, 0, 0}, 2.0);
    ASSERT_TRUE(sphere);
    ASSERT_GT(sphere->count(), 0);
    int reddish = 0, bluish = 0;
    for (std::int32_t i = 0; i < sphere->count(); ++i) {
        const auto& triangle = dynamic_cast<const Triangle&>(sphere->child(i));
        const Vector3& color = triangle.attributes()->color();
        const float middleX = triangle.vertices[0].x + triangle.vertices[1].x + triangle.vertices[2].x;
        // The positive charge's side (x < 0) sends the field out: red; the other takes it in: blue.
        if (middleX < -0.5f) reddish += color.x > color.z;
        if (middleX > 0.5f) bluish += color.z > color.x;
    }
    EXPECT_GT(reddish, 100);
    EXPECT_GT(bluish, 100);
}

TEST(GaussFlux, SaysSoWhenTheSphereRunsThroughOrVeryNearACharge) {
    const auto model = chargesModel({{1, 0, 0, 0}});
    ASSERT_TRUE(model);
    EXPECT_EQ(fluxLine(fluxThroughSphere(*model, {0, 0, 0}, 1.0)),
              "Flux through the sphere: 12.566 (enclosed charge 1 × 4πk = 12.566)\n");
    const SphereFlux through = fluxThroughSphere(*model, {1, 0, 0}, 1.0);
    EXPECT_FALSE(through.known);
    EXPECT_EQ(fluxLine(through), "No flux through the sphere: it passes through charge 1 (at 0, 0, 0).\n");
    const SphereFlux near = fluxThroughSphere(*model, {1, 0, 0}, 0.999);
    EXPECT_FALSE(near.known);
    EXPECT_NE(fluxLine(near).find("within 0.001 of charge 1"), std::string::npos);

    EXPECT_NE(gaussSphereProblem({0, 0, 0}, 0.0), "");
    EXPECT_NE(gaussSphereProblem({0, 0, 0}, -1.0), "");
    EXPECT_NE(gaussSphereProblem({INFINITY, 0, 0}, 1.0), "");
    EXPECT_FALSE(makeGaussSphere(*model, {0, 0, 0}, 0.0));
}

TEST(GaussFlux, IsTheSameOnEveryPath) {
    const auto model = chargesModel({{2.5, 0.3, -0.2, 0.1}, {-1, 3, 2, -1}, {4, -2, -3, 2}});
    ASSERT_TRUE(model);
    const SphereFlux plain = fluxThroughSphere(*model, {0.5f, 0, 0}, 2.5, BuildOptions::referencePath());
    for (int threads : {1, 2, 7}) {
        EXPECT_EQ(fluxThroughSphere(*model, {0.5f, 0, 0}, 2.5, {threads, false}).flux, plain.flux) << threads;
    }
}

}  // namespace
}  // namespace kelvaro
