// kelvaro-batch end to end: the built program run on the examples, its outputs parsed.

#include <gtest/gtest.h>

#include <sys/wait.h>

#include <cmath>
#include <cstdlib>
#include <fstream>
#include <map>
#include <sstream>
#include <string>
#include <vector>

#include "scene/primitives.h"
#include "tests/viz/viz_test_support.h"
#include "viz/field_lines.h"
#include "viz/potential_surface.h"

namespace kelvaro {
namespace {

using testing::ScratchDirectory;

struct BatchRun {
    int status = -1;
    std::string out;
    std::string err;
};

std::string contents(const std::string& name) {
    std::ifstream file(name);
    std::stringstream text;
    text << file.rdbuf();
    return text.str();
}

std::string example(const std::string& name) { return std::string(KELVARO_EXAMPLES_DIR) + "/" + name; }

// Runs kelvaro-batch with `arguments` (already quoted for the shell) in the working directory.
BatchRun runBatch(const std::string& arguments) {
    const std::string command = std::string("'") + KELVARO_BATCH_PATH + "' " + arguments + " >out.txt 2>err.txt";
    const int raw = std::system(command.c_str());
    BatchRun run;
    run.status = WIFEXITED(raw) ? WEXITSTATUS(raw) : -1;
    run.out = contents("out.txt");
    run.err = contents("err.txt");
    return run;
}

int occurrences(const std::string& text, const std::string& what) {
    int count = 0;
    for (std::size_t at = text.find(what); at != std::string::npos; at = text.find(what, at + 1)) ++count;
    return count;
}

std::unique_ptr<Model> readExample(const std::string& name) {
    return testing::modelFromText(contents(example(name)));
}

class Batch : public ::testing::Test {
protected:
    void SetUp() override { testing::installExampleSeedFile(); }

    ScratchDirectory scratch_;
};

TEST_F(Batch, InfoListsTheModelExactly) {
    const BatchRun run = runBatch("info '" + example("dipole.txt") + "'");
    ASSERT_EQ(run.status, 0) << run.err;
    std::multimap<std::string, std::string> values;
    std::istringstream lines(run.out);
    for (std::string line; std::getline(lines, line);) {
        const auto colon = line.find(": ");
        ASSERT_NE(colon, std::string::npos) << line;
        values.emplace(line.substr(0, colon), line.substr(colon + 2));
    }
    const auto model = readExample("dipole.txt");
    ASSERT_TRUE(model);
    EXPECT_EQ(values.find("name")->second, std::string(model->name()));
    EXPECT_EQ(values.find("axes")->second, "on");
    EXPECT_EQ(values.find("box")->second, "off");
    std::istringstream bounds(values.find("bounds")->second);
    float corner[6];
    for (float& c : corner) bounds >> c;
    EXPECT_EQ(corner[0], model->bounds().min.x);
    EXPECT_EQ(corner[5], model->bounds().max.z);
    EXPECT_EQ(std::stoi(values.find("charges")->second), model->chargeCount());
    ASSERT_EQ(values.count("charge"), 2u);
    auto charge = values.find("charge");
    for (const Charge& expected : model->charges()) {
        std::istringstream fields((charge++)->second);
        double value;
        float x, y, z;
        fields >> value >> x >> y >> z;
        EXPECT_EQ(value, expected.value);
        EXPECT_EQ(x, expected.position.x);
        EXPECT_EQ(y, expected.position.y);
        EXPECT_EQ(z, expected.position.z);
    }
    // Seventeen digits bring every double back exactly.
    EXPECT_EQ(std::stod(values.find("pointSpacing")->second), model->pointSpacing());
    EXPECT_EQ(std::stod(values.find("traceStep")->second), model->traceStep());
    EXPECT_EQ(std::stod(values.find("chargeRadius")->second), model->chargeRadius());
    EXPECT_EQ(std::stod(values.find("potentialMin")->second), model->potentialMin());
    EXPECT_EQ(std::stod(values.find("potentialMax")->second), model->potentialMax());
}

TEST_F(Batch, PrintWritesTheWholeSceneAsText) {
    const BatchRun run = runBatch("print '" + example("dipole.txt") + "' lines 4 hedgehog -3");
    ASSERT_EQ(run.status, 0) << run.err;
    const auto model = readExample("dipole.txt");
    const Ref<Group> lines = makeFieldLines(*model, 4);
    ASSERT_TRUE(lines);
    EXPECT_EQ(run.out.rfind("Group(Sphere(", 0), 0u);
    EXPECT_EQ(occurrences(run.out, "Sphere("), 2);
    EXPECT_EQ(occurrences(run.out, "PolyLine("), lines->count());
    EXPECT_EQ(occurrences(run.out, ";Line(") + occurrences(run.out, "(Line("), 3 + 1);  // axes and one hedgehog line
    EXPECT_EQ(run.out.substr(run.out.size() - 5), ")\n))\n");
}

TEST_F(Batch, ObjHoldsEveryElementInNamedGroups) {
    const BatchRun run = runBatch("obj '" + example("dipole.txt") + "' lines 3 surface 4 enter");
    ASSERT_EQ(run.status, 0) << run.err;
    long vertices = 0, normals = 0;
    std::map<std::string, int> faces, polylines;
    std::vector<std::string> groups;
    std::string group;
    std::istringstream text(run.out);
    for (std::string line; std::getline(text, line);) {
        std::istringstream fields(line);
        std::string kind;
        fields >> kind;
        if (kind == "v") {
            ++vertices;
        } else if (kind == "vn") {
            double x, y, z;
            fields >> x >> y >> z;
            EXPECT_NEAR(std::sqrt(x * x + y * y + z * z), 1.0, 1e-5);
            ++normals;
        } else if (kind == "g") {
            fields >> group;
            groups.push_back(group);
        } else if (kind == "l") {
            int corners = 0;
            for (long index; fields >> index; ++corners) EXPECT_TRUE(index >= 1 && index <= vertices) << line;
            EXPECT_GE(corners, 2);
            ++polylines[group];
        } else if (kind == "f") {
            int corners = 0;
            for (std::string corner; fields >> corner; ++corners) {
                const auto slashes = corner.find("//");
                ASSERT_NE(slashes, std::string::npos) << line;
                const long v = std::stol(corner.substr(0, slashes));
                const long n = std::stol(corner.substr(slashes + 2));
                EXPECT_TRUE(v >= 1 && v <= vertices && n >= 1 && n <= normals) << line;
            }
            EXPECT_EQ(corners, 3);
            ++faces[group];
        } else {
            ADD_FAILURE() << "unexpected line " << line;
        }
    }
    EXPECT_EQ(groups, (std::vector<std::string>{"model", "field_lines_1", "surface_2"}));
    EXPECT_EQ(polylines["model"], 3);  // the axes
    EXPECT_EQ(faces["model"] % 2, 0);  // two spheres alike
    EXPECT_GT(faces["model"], 2 * 50);
    const auto model = readExample("dipole.txt");
    EXPECT_EQ(polylines["field_lines_1"], makeFieldLines(*model, 3)->count());
    int triangles = 0;
    const Ref<Group> surface = makePotentialSurface(*model, 4.0, 1);
    for (const Group* cell : testing::childrenOf<Group>(dynamic_cast<const Group&>(surface->child(0))))
        triangles += cell->count();
    EXPECT_EQ(faces["surface_2"], triangles);
    EXPECT_GT(triangles, 100);
}

TEST_F(Batch, ReportsFailuresWithTheProgramsMessagesAndStatuses) {
    BatchRun run = runBatch("print '" + example("dipole.txt") + "' surface 2 leave");
    EXPECT_EQ(run.status, 3);  // triangles have no text form

    run = runBatch("print no-such-model.txt");
    EXPECT_EQ(run.status, 1);
    EXPECT_EQ(run.out, "Could not open file no-such-model.txt.\n");

    std::ofstream("broken.txt") << "BOUNDS FROM 0, 0, 0 TO 1, 1, 1\nPOINT 1 AT 0.5, 0.5, 0.5\n@\n";
    run = runBatch("info broken.txt");
    EXPECT_EQ(run.status, 1);
    EXPECT_EQ(run.out, "Failed to read in model correctly.\n");
    EXPECT_NE(run.err.find("37006"), std::string::npos) << run.err;
    EXPECT_NE(run.err.find("line 3"), std::string::npos) << run.err;

    std::filesystem::remove("ElectronData");
    run = runBatch("print '" + example("dipole.txt") + "' lines 2 hedgehog 1");
    EXPECT_EQ(run.status, 1);
    EXPECT_EQ(run.out.rfind("Cannot render field lines. Sorry.\nGroup(", 0), 0u);  // and the run goes on
    EXPECT_EQ(occurrences(run.out, "PolyLine("), 0);

    for (const char* wrong : {"", "info", "draw x.txt", "print x.txt lines", "print x.txt surface 1 sideways",
                              "print x.txt lines many", "info x.txt lines 2"}) {
        run = runBatch(wrong);
        EXPECT_EQ(run.status, 2) << wrong;
        EXPECT_NE(run.err.find("usage:"), std::string::npos) << wrong;
        EXPECT_EQ(run.out, "") << wrong;
    }
}

// Every degenerate model through the whole tool: every kind of request, a surface level on
// a grid node among them, ends with success, and the requested elements hold only finite
// numbers (the model group shows the model's own numbers, overflowed ones included).
class BatchOnDegenerateModel : public Batch, public ::testing::WithParamInterface<std::string> {};

TEST_P(BatchOnDegenerateModel, EndsWithFiniteElements) {
    const std::string path = testing::degenerateModelPath(GetParam());
    const auto model = testing::degenerateModel(GetParam());
    ASSERT_TRUE(model);
    // The tool takes only numbers for a level: a node of an overflowed model may hold none.
    const float nodeLevel = testing::potentialAtNodeAboveTheMiddle(*model, 3);
    char level[32];
    std::snprintf(level, sizeof level, "%.9g", std::isfinite(nodeLevel) ? static_cast<double>(nodeLevel) : 0.0);
    const BatchRun run = runBatch("obj '" + path + "' lines 20 hedgehog 300 surface 1 leave surface -1 enter surface " +
                                  level + " leave");
    ASSERT_EQ(run.status, 0) << run.out << run.err;

    std::string group;
    int groups = 0;
    std::istringstream text(run.out);
    for (std::string line; std::getline(text, line);) {
        std::istringstream fields(line);
        std::string kind;
        fields >> kind;
        if (kind == "g") {
            fields >> group;
            ++groups;
        } else if ((kind == "v" || kind == "vn") && group != "model") {
            std::string number;
            for (int i = 0; i < 3 && fields >> number; ++i) EXPECT_TRUE(std::isfinite(std::stod(number))) << line;
        }
    }
    EXPECT_EQ(groups, 6);
}

INSTANTIATE_TEST_SUITE_P(Models, BatchOnDegenerateModel, ::testing::ValuesIn(testing::degenerateModelNames()),
                         [](const auto& model) { return model.param; });

}  // namespace
}  // namespace kelvaro
