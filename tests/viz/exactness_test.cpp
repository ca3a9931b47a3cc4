// The fast paths against the plain ones, to the bit: the batched field kernels against the
// one-point evaluations, and every builder at several thread counts, in this process and
// through kelvaro-batch, against its reference path, on every example model and every
// degenerate model.

#include <gtest/gtest.h>

#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <bit>
#include <cmath>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <limits>
#include <optional>
#include <sstream>
#include <string>
#include <vector>

#include "model/field_kernels.h"
#include "tests/support/scene_checks.h"
#include "tests/viz/viz_test_support.h"
#include "tools/batch/batch_command.h"
#include "tools/batch/batch_run.h"
#include "viz/field_lines.h"
#include "viz/field_plane.h"
#include "viz/gauss_flux.h"
#include "viz/hedgehog.h"
#include "viz/potential_surface.h"
#include "viz/visualisation_request.h"

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
// radius, and every mix of a number, the infinities and the not-a-number that invalid
// operations make (the only one the kernels' contract covers: see field_kernels.h).
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
    volatile float inf = std::numeric_limits<float>::infinity();
    const float madeNaN = inf - inf;  // at run time, by the processor
    const float mixes[] = {0.25f, inf, -inf, madeNaN};
    for (float x : mixes) {
        for (float y : mixes) {
            for (float z : mixes) points.push_back({x, y, z});
        }
    }
    for (const Vector3& odd : {Vector3{3e38f, -3e38f, 1e-38f}, Vector3{-0.0f, 0.0f, -0.0f}}) points.push_back(odd);
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
            // The fields in double precision, at the same points and at points between floats.
            std::vector<Vector3d> precise(length);
            for (std::size_t i = 0; i < length; ++i) {
                precise[i] = {points[i].x, points[i].y + (i % 2 == 1 ? 1e-9 : 0.0), points[i].z};
            }
            std::vector<PreciseField> preciseFields(length);
            model.preciseFieldsAt(*kernels, precise, preciseFields.data());
            for (std::size_t i = 0; i < length; ++i) {
                const PreciseField one = model.preciseFieldAt(precise[i]);
                EXPECT_TRUE(sameBits(preciseFields[i].field.x, one.field.x) && sameBits(preciseFields[i].field.y, one.field.y) &&
                            sameBits(preciseFields[i].field.z, one.field.z) &&
                            sameBits(preciseFields[i].separateSum, one.separateSum))
                    << kernels->name << ", point " << i << " of " << length;
            }
        }
    }
}

// The level of the grid node above the middle: crossings start on nodes there.
float nodeLevel(const Model& model) {
    const float level = testing::potentialAtNodeAboveTheMiddle(model, 3);
    return std::isfinite(level) ? level : 1.0f;
}

// Every request the dialogs make (field lines by either tracer, and a Gauss sphere), the
// hedgehog twice in a row from one generator (its sequence must go on exactly as the plain
// path leaves it), built as `options` say: the exact forms of the results, one after the other.
std::string everyRequest(const Model& model, const BuildOptions& options, Random15& generator) {
    std::string forms;
    const auto add = [&](const char* what, const Ref<Group>& built) {
        forms += std::string("== ") + what + "\n" + (built ? exactForm(*built) : "none\n");
    };
    add("lines", makeFieldLines(model, 3, options));
    add("accurate lines", makeFieldLines(model, 3, FieldLineMethod::Accurate, options));
    const ABox& box = model.bounds();
    const Vector3 middle = scaled(sum(box.min, box.max), 0.5f);
    add("gauss sphere", makeGaussSphere(model, middle, 0.3 * (static_cast<double>(box.max.x) - box.min.x) + 0.1, options));
    add("hedgehog", makeHedgehog(model, 700, generator, options));
    add("more hedgehog", makeHedgehog(model, 300, generator, options));
    add("surface leave", makePotentialSurface(model, 0.5, 0, options));
    add("surface enter", makePotentialSurface(model, -2.0, 1, options));
    add("surface through a node", makePotentialSurface(model, nodeLevel(model), 0, options));
    forms += "generator " + std::to_string(generator.state()) + "\n";
    return forms;
}

// What kelvaro-batch writes for `words` when every builder takes the reference path, run
// in a child process. Fails the test (answering none) when the child fails to run.
std::optional<testing::BatchRun> referenceRun(const std::vector<std::string>& words) {
    const pid_t child = fork();
    if (child == 0) {
        // The child stands for a new process, whose hedgehog generator is at its start.
        const_cast<Random15&>(hedgehogRandom()) = Random15();
        std::string error;
        const auto command = batch::parseCommand(words, error);
        std::FILE* out = std::fopen("reference_out.txt", "w");
        std::FILE* err = std::fopen("reference_err.txt", "w");
        const int status = command && out && err ? batch::runCommand(*command, out, err, BuildOptions::referencePath()) : 99;
        std::fclose(out);
        std::fclose(err);
        _exit(status);
    }
    int raw = 0;
    waitpid(child, &raw, 0);
    if (!WIFEXITED(raw) || WEXITSTATUS(raw) == 99) {
        ADD_FAILURE() << "the reference run failed";
        return std::nullopt;
    }
    return testing::BatchRun{WEXITSTATUS(raw), testing::fileContents("reference_out.txt"),
                             testing::fileContents("reference_err.txt")};
}

// The first vertex or normal of an OBJ text outside the model's group (which shows the
// model's own numbers, overflowed ones included) with a coordinate that is not finite.
std::string firstNonFiniteObjNumber(const std::string& obj) {
    std::string group;
    std::istringstream text(obj);
    for (std::string line; std::getline(text, line);) {
        std::istringstream fields(line);
        std::string kind, number;
        fields >> kind;
        if (kind == "g") fields >> group;
        if ((kind != "v" && kind != "vn") || group == "model") continue;
        while (fields >> number) {
            if (!std::isfinite(std::stod(number))) return line;
        }
    }
    return "";
}

// Every builder builds what its reference path builds: in this process at 0 (the default),
// 1, 2 and 7 threads, to the bit; and through kelvaro-batch in a new process with
// KELVARO_THREADS unset, 1, 2 and 7 (the thread count read from the environment, the
// hedgehog requests drawing in turn from the process-wide generator, the first surface on
// fresh storage), the OBJ output byte for byte (its numbers carry every bit). There every
// request succeeds and gives only finite numbers, whatever the model.
TEST_P(Exactness, EveryBuilderAtEveryThreadCountBuildsWhatTheReferencePathBuilds) {
    const Model& model = *model_;
    Random15 referenceGenerator;
    const std::string expected = everyRequest(model, BuildOptions::referencePath(), referenceGenerator);
    for (int threads : {0, 1, 2, 7}) {  // 0: the process default
        SCOPED_TRACE(::testing::Message() << threads << " threads");
        Random15 generator;
        EXPECT_EQ(firstDifference(expected, everyRequest(model, {threads, false}, generator)), "");
    }

    char level[32];
    std::snprintf(level, sizeof level, "%.9g", static_cast<double>(nodeLevel(model)));
    const std::vector<std::string> words{"obj",     GetParam().path, "lines", "20", "hedgehog", "700", "hedgehog", "300",
                                         "surface", "1", "leave", "surface", "-1", "enter", "surface", level, "leave",
                                         "lines",   "5", "accurate"};
    const auto reference = referenceRun(words);
    ASSERT_TRUE(reference);
    EXPECT_EQ(reference->status, 0) << reference->out;
    EXPECT_EQ(firstNonFiniteObjNumber(reference->out), "");
    // Standard error holds nothing but notes: of surfaces that lie nowhere in the box, and
    // the reader's of charges outside it.
    std::istringstream notes(reference->err);
    for (std::string line; std::getline(notes, line);) {
        EXPECT_TRUE(line.rfind("No surface at V = ", 0) == 0 ||
                    line.find(": this charge lies outside the box (") != std::string::npos)
            << line;
    }
    std::string quoted;
    for (const std::string& word : words) quoted += " '" + word + "'";
    for (const char* environment : {"-u KELVARO_THREADS", "KELVARO_THREADS=1", "KELVARO_THREADS=2", "KELVARO_THREADS=7"}) {
        SCOPED_TRACE(environment);
        const testing::BatchRun run = testing::runBatch(quoted, environment);
        EXPECT_EQ(run.status, reference->status);
        EXPECT_TRUE(run.out == reference->out) << "the outputs differ";
        EXPECT_EQ(run.err, reference->err);
    }
}

// A plane through the model's first charge normal to x when the box holds it (so that it
// starts field lines), else through the box's centre.
FieldPlane planeThroughACharge(const Model& model) {
    FieldPlane plane;
    plane.axis = 0;
    plane.linesPerCharge = 6;
    plane.levels = {0.5f, -0.25f, 3.0f};
    if (model.chargeCount() > 0) {
        const float x = model.charges()[0].position.x;
        if (x >= model.bounds().min.x && x <= model.bounds().max.x) plane.offset = x;
    }
    return plane;
}

// The plane and the colour options, built as `options` say: the exact forms of the results.
std::string everyColourRequest(const Model& model, const BuildOptions& options) {
    std::string forms;
    const auto add = [&](const char* what, const Ref<Group>& built) {
        forms += std::string("== ") + what + "\n" + (built ? exactForm(*built) : "none\n");
    };
    add("plane through a charge, by strength", makeFieldPlane(model, planeThroughACharge(model), true, options));
    VisualisationRequest lines{VisualisationRequest::Kind::FieldLines, 4};
    lines.proportional = lines.strengthColours = true;
    add("lines in proportion, by strength", buildRequest(lines, model, nullptr, options));
    VisualisationRequest hedgehog{VisualisationRequest::Kind::Hedgehog, 300};
    hedgehog.strengthColours = true;
    Random15 generator;
    add("hedgehog by strength", buildRequest(hedgehog, model, &generator, options));
    return forms;
}

// The plane and the colour options likewise: in this process at 1, 2 and 7 threads, and
// through kelvaro-batch (with a plane at its defaults too) on the threads of the machine
// against its reference run (a plane that cannot be made, in a box that is not finite,
// fails alike on every path).
TEST_P(Exactness, PlanesAndColourOptionsAtEveryThreadCountBuildWhatTheReferencePathBuilds) {
    const Model& model = *model_;
    const std::string expected = everyColourRequest(model, BuildOptions::referencePath());
    for (int threads : {1, 2, 7}) {
        SCOPED_TRACE(::testing::Message() << threads << " threads");
        EXPECT_EQ(firstDifference(expected, everyColourRequest(model, {threads, false})), "");
    }

    const FieldPlane across = planeThroughACharge(model);
    char offset[32];
    std::snprintf(offset, sizeof offset, "%.9g", static_cast<double>(across.offset.value_or(0.0f)));
    std::vector<std::string> words{"obj", GetParam().path, "plane", "x"};
    if (across.offset) words.push_back(offset);
    for (const char* word : {"potentials", "0.5,-0.25,3", "fieldlines", "6", "strength", "lines", "4", "proportional",
                             "strength", "hedgehog", "300", "strength", "plane", "z"}) {
        words.push_back(word);
    }
    const auto reference = referenceRun(words);
    ASSERT_TRUE(reference);
    EXPECT_EQ(firstNonFiniteObjNumber(reference->out), "");
    std::string quoted;
    for (const std::string& word : words) quoted += " '" + word + "'";
    const testing::BatchRun run = testing::runBatch(quoted, "-u KELVARO_THREADS");
    EXPECT_EQ(run.status, reference->status);
    EXPECT_TRUE(run.out == reference->out) << "the outputs differ";
    EXPECT_EQ(run.err, reference->err);
}

INSTANTIATE_TEST_SUITE_P(Models, Exactness, ::testing::ValuesIn(everyModel()),
                         [](const auto& model) { return model.param.name; });

// A run long enough to pass from one block of samples to the next many times (blocks of
// 2048 growing to 8192), on a box mostly inside its charges, where most samples are
// discarded and a block's last taken sample decides where the next block starts.
TEST(HedgehogExactness, ALongRunThroughDiscardedSamplesCrossesBlocksAsThePlainPathDoes) {
    const auto model = testing::degenerateModel("crowded_tiny_box");
    ASSERT_TRUE(model);
    constexpr int lines = 20000;
    Random15 referenceGenerator;
    const Ref<Group> expected = makeHedgehog(*model, lines, referenceGenerator, BuildOptions::referencePath());
    ASSERT_EQ(expected->count(), lines);
    long samples = 0;
    for (Random15 replay; replay.state() != referenceGenerator.state(); ++samples) {
        for (int draw = 0; draw < 3; ++draw) replay.next();
    }
    EXPECT_GT(samples, 5L * lines) << "most samples discarded";
    const std::string expectedForm = exactForm(*expected);
    for (int threads : {1, 2, 7}) {
        SCOPED_TRACE(::testing::Message() << threads << " threads");
        Random15 generator;
        EXPECT_EQ(firstDifference(expectedForm, exactForm(*makeHedgehog(*model, lines, generator, {threads, false}))), "");
        EXPECT_EQ(generator.state(), referenceGenerator.state());
    }
}

// One scene of several hedgehogs and surfaces, as the program holds its visualisations:
// built on the fast path at several thread counts it has the reference path's exact form,
// and what is left of it after parts are released in turn (the scene first, then the
// second hedgehog, then the first surface) keeps that form, on a crowded box too.
TEST(SceneExactness, ScenesOfSeveralHedgehogsAndSurfacesStayWholeWhateverGoesFirst) {
    for (const char* name : {"cloud", "crowded_tiny_box"}) {
        SCOPED_TRACE(name);
        const auto model = std::string(name) == "cloud" ? readModel({name, testing::examplePath("cloud.txt")})
                                                        : testing::degenerateModel(name);
        ASSERT_TRUE(model);
        // The scene's parts, kept apart too, and the exact forms of what is held at each step.
        const auto steps = [&](const BuildOptions& options) {
            Random15 generator;
            std::vector<Ref<Group>> parts{makeHedgehog(*model, 900, generator, options),
                                          makePotentialSurface(*model, 0.5, 0, options),
                                          makeHedgehog(*model, 1500, generator, options),
                                          makePotentialSurface(*model, -2.0, 1, options),
                                          makeHedgehog(*model, 300, generator, options)};
            Ref<Group> scene = create<Group>(20, 20);
            for (const Ref<Group>& part : parts) scene->add(*part);
            std::vector<std::string> forms{exactForm(*scene)};
            scene.reset();
            parts[2].reset();
            forms.push_back(exactForm(*parts[0]) + exactForm(*parts[1]) + exactForm(*parts[3]) + exactForm(*parts[4]));
            parts[1].reset();
            parts[0].reset();
            forms.push_back(exactForm(*parts[3]) + exactForm(*parts[4]));
            return forms;
        };
        const std::vector<std::string> expected = steps(BuildOptions::referencePath());
        for (int threads : {1, 2, 7}) {
            const std::vector<std::string> built = steps({threads, false});
            ASSERT_EQ(built.size(), expected.size());
            for (std::size_t step = 0; step < built.size(); ++step)
                EXPECT_EQ(firstDifference(expected[step], built[step]), "") << threads << " threads, step " << step;
        }
    }
}

}  // namespace
}  // namespace kelvaro
