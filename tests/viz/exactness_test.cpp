// The fast paths against the plain ones, to the bit: the batched field kernels against the
// one-point evaluations, and every builder at several thread counts against its reference
// path, on every example model and every degenerate model.

#include <gtest/gtest.h>


#include <algorithm>
#include <bit>
#include <cmath>
#include <filesystem>
#include <fstream>
#include <limits>
#include <sstream>
#include <string>
#include <vector>

#include "model/field_kernels.h"
#include "tests/support/scene_checks.h"
#include "tests/viz/viz_test_support.h"
#include "viz/field_lines.h"
#include "viz/hedgehog.h"
#include "viz/potential_surface.h"

namespace kelvaro {
namespace {

using testing::exactForm;
using testing::firstDifference;

struct ModelFile {
    std::string name;
    std::string path;
};

void PrintTo(const ModelFile& file, std::ostream* out) { *out << file.name; }

// Every example model and every degenerate model.
std::vector<ModelFile> everyModel() {
    std::vector<ModelFile> models;
    for (const auto& entry : std::filesystem::directory_iterator(KELVARO_EXAMPLES_DIR)) {
        if (entry.path().extension() == ".txt") models.push_back({entry.path().stem().string(), entry.path().string()});
    }
    for (const std::string& name : testing::degenerateModelNames())
        models.push_back({"degenerate_" + name, testing::degenerateModelPath(name)});
    std::sort(models.begin(), models.end(), [](const auto& a, const auto& b) { return a.name < b.name; });
    return models;
}

std::unique_ptr<Model> readModel(const ModelFile& file) {
    std::ifstream stream(file.path);
    std::stringstream text;
    text << stream.rdbuf();
    return testing::modelFromText(text.str());
}

// Points that matter to the evaluations: a lattice over the box and a little beyond it
// (its faces included), the charges themselves, points just inside and outside their
// radius, and numbers that are not finite.
std::vector<Vector3> probePoints(const Model& model) {
    std::vector<Vector3> points;
    const Vector3& low = model.bounds().min;
    const Vector3& high = model.bounds().max;
    const auto across = [](float a, float b, double fraction) {
        if (fraction == 0.0) return a;
        if (fraction == 1.0) return b;
        return static_cast<float>(a + (b - a) * fraction);
    };
    const double fractions[] = {-0.1, 0.0, 0.13, 0.31, 0.5, 0.67, 0.89, 1.0, 1.1};
    for (double i : fractions) {
        for (double j : fractions) {
            for (double k : fractions) points.push_back({across(low.x, high.x, i), across(low.y, high.y, j), across(low.z, high.z, k)});
        }
    }
    for (const Charge& charge : model.charges()) {
        points.push_back(charge.position);
        for (float offset : {0.0099f, 0.0101f, -0.01f}) {
            points.push_back({charge.position.x + offset, charge.position.y, charge.position.z});
        }
    }
    constexpr float inf = std::numeric_limits<float>::infinity();
    const float nan = std::numeric_limits<float>::quiet_NaN();
    for (const Vector3& odd : {Vector3{nan, 0.0f, 0.0f}, Vector3{inf, 1.0f, 1.0f}, Vector3{-inf, -inf, -inf},
                               Vector3{3e38f, -3e38f, 1e-38f}, Vector3{-0.0f, 0.0f, -0.0f}})
        points.push_back(odd);
    return points;
}

// Same bits, not-a-numbers included (sign and payload).
bool sameBits(double a, double b) { return std::bit_cast<std::uint64_t>(a) == std::bit_cast<std::uint64_t>(b); }
bool sameBits(float a, float b) { return std::bit_cast<std::uint32_t>(a) == std::bit_cast<std::uint32_t>(b); }

class Exactness : public ::testing::TestWithParam<ModelFile> {
protected:
    void SetUp() override {
        testing::installExampleSeedFile();
        model_ = readModel(GetParam());
        ASSERT_TRUE(model_);
    }

    testing::ScratchDirectory scratch_;
    std::unique_ptr<Model> model_;
};

TEST_P(Exactness, BatchedEvaluationsHaveTheBitsOfTheOnePointOnes) {
    const Model& model = *model_;
    const std::vector<Vector3> points = probePoints(model);
    for (const FieldKernels* kernels : runnableKernels()) {
        // Every length up to a few steps, so that every way a batch can end is met.
        for (std::size_t length : {std::size_t{1}, std::size_t{2}, std::size_t{3}, std::size_t{5}, std::size_t{9},
                                   points.size()}) {
            const std::span<const Vector3> batch(points.data(), length);
            std::vector<double> potentials(length);
            std::vector<Vector3> fields(length);
            std::vector<std::uint8_t> stops(length);
            model.potentialsAt(*kernels, batch, potentials.data());
            model.fieldsAt(*kernels, batch, fields.data());
            model.stopPointsAt(*kernels, batch, stops.data());
            for (std::size_t i = 0; i < length; ++i) {
                const Vector3& p = points[i];
                SCOPED_TRACE(::testing::Message() << kernels->name << " at (" << p.x << ", " << p.y << ", " << p.z
                                                  << "), point " << i << " of " << length);
                EXPECT_TRUE(sameBits(potentials[i], model.potentialAt(p))) << potentials[i];
                const Vector3 field = model.fieldAt(p);
                EXPECT_TRUE(sameBits(fields[i].x, field.x) && sameBits(fields[i].y, field.y) &&
                            sameBits(fields[i].z, field.z))
                    << fields[i].x << " " << fields[i].y << " " << fields[i].z;
                EXPECT_EQ(stops[i] != 0, model.isStopPoint(p));
            }
        }
    }
}

// The level of the grid node above the middle: crossings start on nodes there.
float nodeLevel(const Model& model) {
    const float level = testing::potentialAtNodeAboveTheMiddle(model, 3);
    return std::isfinite(level) ? level : 1.0f;
}

// Every request the dialogs make, the hedgehog twice in a row from one generator (its
// sequence must go on exactly as the plain path leaves it), built as `options` say: the
// exact forms of the results, one after the other.
std::string everyRequest(const Model& model, const BuildOptions& options, Random15& generator) {
    std::string forms;
    const auto add = [&](const char* what, const Ref<Group>& built) {
        forms += std::string("== ") + what + "\n" + (built ? exactForm(*built) : "none\n");
    };
    add("lines", makeFieldLines(model, 3, options));
    add("hedgehog", makeHedgehog(model, 700, generator, options));
    add("more hedgehog", makeHedgehog(model, 300, generator, options));
    add("surface leave", makePotentialSurface(model, 0.5, 0, options));
    add("surface enter", makePotentialSurface(model, -2.0, 1, options));
    add("surface through a node", makePotentialSurface(model, nodeLevel(model), 0, options));
    forms += "generator " + std::to_string(generator.state()) + "\n";
    return forms;
}

TEST_P(Exactness, EveryBuilderAtEveryThreadCountBuildsWhatTheReferencePathBuilds) {
    const Model& model = *model_;
    Random15 referenceGenerator;
    const std::string expected = everyRequest(model, BuildOptions::referencePath(), referenceGenerator);
    for (int threads : {0, 1, 2, 7}) {  // 0: the process default
        SCOPED_TRACE(::testing::Message() << threads << " threads");
        Random15 generator;
        BuildOptions options;
        options.threads = threads;
        EXPECT_EQ(firstDifference(expected, everyRequest(model, options, generator)), "");
    }
}

INSTANTIATE_TEST_SUITE_P(Models, Exactness, ::testing::ValuesIn(everyModel()),
                         [](const auto& model) { return model.param.name; });

}  // namespace
}  // namespace kelvaro
