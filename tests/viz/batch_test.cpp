// kelvaro-batch end to end: the built program run on the examples, its outputs parsed.

#include <gtest/gtest.h>

#include <cmath>
#include <filesystem>
#include <fstream>
#include <map>
#include <set>
#include <sstream>
#include <string>
#include <vector>

#include "model/read_report.h"
#include "scene/primitives.h"
#include "tests/viz/viz_test_support.h"
#include "tools/batch/batch_command.h"
#include "viz/field_lines.h"
#include "viz/potential_surface.h"

namespace kelvaro {
namespace {

using testing::BatchRun;
using testing::examplePath;
using testing::fileContents;
using testing::runBatch;
using testing::ScratchDirectory;

int occurrences(const std::string& text, const std::string& what) {
    int count = 0;
    for (std::size_t at = text.find(what); at != std::string::npos; at = text.find(what, at + 1)) ++count;
    return count;
}

std::unique_ptr<Model> readExample(const std::string& name) {
    return testing::modelFromText(fileContents(examplePath(name)));
}

class Batch : public ::testing::Test {
protected:
    void SetUp() override { testing::installExampleSeedFile(); }

    ScratchDirectory scratch_;
};

TEST_F(Batch, InfoListsTheModelExactly) {
    const BatchRun run = runBatch("info '" + examplePath("dipole.txt") + "'");
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
    const BatchRun run = runBatch("print '" + examplePath("dipole.txt") + "' lines 4 hedgehog -3");
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

// A new process draws its hedgehog samples from state 1, and each request goes on from where
// the last one left the generator: the draws are 41, 18467, 6334, then 26500, 19169, 15724.
TEST_F(Batch, HedgehogRequestsOfARunDrawOneSequenceFromStateOne) {
    // In a box of 0..32767 the draws are the coordinates themselves; the charge lies outside it.
    std::ofstream("box.txt") << "BOUNDS FROM 0, 0, 0 TO 32767, 32767, 32767\nPOINT 1 AT -1000, 18467, 6334\n";
    const BatchRun run = runBatch("print box.txt hedgehog 1 hedgehog 1");
    ASSERT_EQ(run.status, 0) << run.err;
    EXPECT_NE(run.out.find("\n41, 18467, 6334; 41.2, 18467, 6334)\n"), std::string::npos) << run.out;
    EXPECT_NE(run.out.find("\n26500, 19169, 15724; "), std::string::npos) << run.out;
}

TEST_F(Batch, ObjHoldsEveryElementInNamedGroups) {
    const BatchRun run = runBatch("obj '" + examplePath("dipole.txt") + "' lines 3 surface 4 enter");
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
    BatchRun run = runBatch("print '" + examplePath("dipole.txt") + "' surface 2 leave");
    EXPECT_EQ(run.status, 3);  // triangles have no text form

    run = runBatch("print no-such-model.txt");
    EXPECT_EQ(run.status, 1);
    EXPECT_EQ(run.err, "Could not open file no-such-model.txt.\n");

    std::ofstream("broken.txt") << "BOUNDS FROM 0, 0, 0 TO 1, 1, 1\nPOINT 1 AT 0.5, 0.5, 0.5\n@\n";
    run = runBatch("info broken.txt");
    EXPECT_EQ(run.status, 1);
    EXPECT_EQ(run.err, "Failed to read in model correctly.\nbroken.txt:3: " + std::string(readErrorWords(37006)) +
                           " (error 37006)\n");

    std::filesystem::remove("ElectronData");
    run = runBatch("print '" + examplePath("dipole.txt") + "' lines 2 hedgehog 1");
    EXPECT_EQ(run.status, 1);
    EXPECT_EQ(run.err.rfind("Cannot render field lines. Sorry.\n", 0), 0u);
    EXPECT_EQ(run.out.rfind("Group(", 0), 0u);  // and the run goes on
    EXPECT_EQ(occurrences(run.out, "PolyLine("), 0);

    for (const char* wrong : {"", "info", "draw x.txt", "print x.txt lines", "print x.txt surface 1 sideways",
                              "print x.txt lines many", "info x.txt lines 2"}) {
        run = runBatch(wrong);
        EXPECT_EQ(run.status, 2) << wrong;
        EXPECT_NE(run.err.find("usage:"), std::string::npos) << wrong;
        EXPECT_EQ(run.out, "") << wrong;
    }
}

// A surface without a triangle is no failure, but standard error says why it is empty.
TEST_F(Batch, AnEmptySurfaceSaysWhereThePotentialRuns) {
    std::ofstream("positive.txt") << "BOUNDS FROM -1, -1, -1 TO 1, 1, 1\nPOINT 1 AT 0, 0, 0\n";
    BatchRun run = runBatch("obj positive.txt surface -1 leave surface 1 leave");
    EXPECT_EQ(run.status, 0);
    EXPECT_EQ(run.err, "No surface at V = -1 inside the box: the potential there runs from 0.577 to 57.7.\n");
    EXPECT_EQ(occurrences(run.out, "g surface_"), 2);
    run = runBatch("obj '" + testing::degenerateModelPath("overflowed_numbers") + "' surface 1 leave");
    EXPECT_EQ(run.status, 0);
    EXPECT_EQ(run.err, "No surface at V = 1 inside the box: the potential there is no finite number.\n");
}

// A plane: malformed words are usage errors, a plane that the model cannot hold is a
// failure with its reason and no output file; print writes its colour map and lines.
TEST_F(Batch, PlanesAreRefusedWithTheirReasonsAndPrintTheirParts) {
    const std::string dipole = "'" + examplePath("dipole.txt") + "'";
    for (const char* wrong : {"plane", "plane w 0", "plane z nan", "plane z 0 potentials 1,inf", "plane z 0 levels x",
                              "plane z 0 fieldlines -", "lines 2 strength strength"}) {
        const BatchRun run = runBatch("print " + dipole + " " + wrong);
        EXPECT_EQ(run.status, 2) << wrong;
        EXPECT_NE(run.err.find("usage:"), std::string::npos) << wrong;
    }
    BatchRun run = runBatch("obj " + dipole + " plane x 2 -o plane.obj");
    EXPECT_EQ(run.status, 1);
    EXPECT_EQ(run.err, "Cannot render plane. Sorry.\nThe plane x = 2 lies outside the box (x from -1.5 to 1.5).\n"
                       "kelvaro-batch: plane.obj was not written, as a request failed\n");
    EXPECT_FALSE(std::filesystem::exists("plane.obj"));
    for (const char* option : {"--legend", "--labels"}) {
        EXPECT_EQ(runBatch("print " + dipole + " plane z " + option).status, 2) << option << " is for pictures";
    }

    run = runBatch("print " + dipole + " plane z 0 potentials 0.5,-0.5 fieldlines 4");
    ASSERT_EQ(run.status, 0) << run.err;
    EXPECT_EQ(occurrences(run.out, "ShadedGrid(AttributeSet(1, 0.0, 0.0, 0.0, 0.0)\nz = 0; -1.5, 1.5, 256; -1.5, 1.5, 256)\n"), 1);
    // Two equipotential lines (one closed round each charge) and the field lines round the
    // two charges in the plane: the four from +, which all end on -, and of the four from -
    // the one that points away from + and leaves the box (the others are lines from +).
    EXPECT_EQ(occurrences(run.out, "PolyLine(AttributeSet(1, 0.0, 0.0, 0.0, 0.0)\n"), 2 + 4 + 1);
}

// OBJ has no vertex colours: the colour map's cells and the lines coloured by strength take
// plain materials of their mean colours.
TEST_F(Batch, ObjWritesTheColourMapAsCellsInTheirColours) {
    const BatchRun run = runBatch("obj '" + examplePath("dipole.txt") + "' plane z 0 levels 0 lines 2 strength -o plane.obj");
    ASSERT_EQ(run.status, 0) << run.err;
    std::istringstream obj(fileContents("plane.obj"));
    std::map<std::string, int> faces, lines;
    std::set<std::string> materials;
    std::string group, material;
    for (std::string line; std::getline(obj, line);) {
        if (line.rfind("g ", 0) == 0) group = line.substr(2);
        if (line.rfind("usemtl ", 0) == 0) materials.insert(material = line.substr(7));
        if (line.rfind("f ", 0) == 0) ++faces[group + " " + material];
        if (line.rfind("l ", 0) == 0) ++lines[group];
    }
    int cells = 0;
    for (const auto& [key, count] : faces) cells += key.rfind("plane_1 ", 0) == 0 ? count : 0;
    EXPECT_EQ(cells, 255 * 255);
    EXPECT_GT(faces.size(), 20u) << "the cells in many colours";
    EXPECT_EQ(faces.count("plane_1 plain_ffffff"), 1u) << "white round the zero level";
    EXPECT_GT(lines["field_lines_2"], 2) << "lines split where their colour changes";
    const std::string mtl = fileContents("plane.mtl");
    for (const std::string& name : materials) EXPECT_NE(mtl.find("newmtl " + name + "\n"), std::string::npos) << name;
}

// The lines of `text` that start with `key` followed by ": ", without it.
std::vector<std::string> valuesOf(const std::string& text, const std::string& key) {
    std::vector<std::string> values;
    std::istringstream lines(text);
    for (std::string line; std::getline(lines, line);) {
        if (line.rfind(key + ": ", 0) == 0) values.push_back(line.substr(key.size() + 2));
    }
    return values;
}

TEST_F(Batch, ProbeAndFluxTellTheNumbersOfTheModel) {
    const auto model = readExample("dipole.txt");
    ASSERT_TRUE(model);
    BatchRun run = runBatch("probe '" + examplePath("dipole.txt") + "' 0.25 0.5 -1 1e9 0 0");
    ASSERT_EQ(run.status, 0) << run.err;
    const std::vector<std::string> potentials = valuesOf(run.out, "potential");
    const std::vector<std::string> fields = valuesOf(run.out, "field");
    ASSERT_EQ(potentials.size(), 2u);
    EXPECT_EQ(valuesOf(run.out, "point")[0], "0.25 0.5 -1");
    EXPECT_EQ(std::stod(potentials[0]), model->potentialAt({0.25f, 0.5f, -1.0f}));  // every digit
    const Vector3 field = model->fieldAt({0.25f, 0.5f, -1.0f});
    std::istringstream components(fields[0]);
    float x = 0, y = 0, z = 0;
    components >> x >> y >> z;
    EXPECT_EQ(x, field.x);
    EXPECT_EQ(y, field.y);
    EXPECT_EQ(z, field.z);

    run = runBatch("flux '" + examplePath("dipole.txt") + "' -0.5 0 0 0.5");
    ASSERT_EQ(run.status, 0) << run.err;
    EXPECT_EQ(run.out.rfind("Flux through the sphere: 12.566 (enclosed charge 1 × 4πk = 12.566)\nflux: ", 0), 0u);
    EXPECT_NEAR(std::stod(valuesOf(run.out, "flux")[0]), 4.0 * M_PI, std::stod(valuesOf(run.out, "error_bound")[0]));

    run = runBatch("flux '" + examplePath("dipole.txt") + "' 0 0 0 0.5");  // through both charges
    EXPECT_EQ(run.status, 1);
    EXPECT_EQ(run.out, "");
    EXPECT_EQ(run.err.rfind("No flux through the sphere: it passes through charge 1", 0), 0u) << run.err;
    run = runBatch("print '" + examplePath("dipole.txt") + "' probe 3 0 0");
    EXPECT_EQ(run.status, 1);
    EXPECT_NE(run.err.find("outside the box"), std::string::npos);

    for (const char* wrong : {"probe x.txt", "probe x.txt 1 2", "probe x.txt 1 2 nan", "flux x.txt 0 0 0",
                              "flux x.txt 0 0 0 0", "flux x.txt 0 0 0 -2", "flux x.txt 0 0 0 1 2", "print x.txt gauss 0 0 0 0",
                              "print x.txt lines 3 exactly"}) {
        run = runBatch(wrong);
        EXPECT_EQ(run.status, 2) << wrong;
        EXPECT_NE(run.err.find("usage:"), std::string::npos) << wrong;
    }
}

TEST_F(Batch, LinesOfTheTeachingStyleAreAccurateUnlessTheirWordsSayOtherwise) {
    std::string error;
    const auto teaching = batch::parseCommand({"png", "m.txt", "lines", "3", "lines", "3", "euler", "--style", "teaching",
                                               "-o", "x.png"},
                                              error);
    ASSERT_TRUE(teaching) << error;
    EXPECT_EQ(teaching->requests[0].method, FieldLineMethod::Accurate);
    EXPECT_EQ(teaching->requests[1].method, FieldLineMethod::Euler);
    const auto plain = batch::parseCommand({"png", "m.txt", "lines", "3", "lines", "3", "accurate", "-o", "x.png"}, error);
    ASSERT_TRUE(plain) << error;
    EXPECT_EQ(plain->requests[0].method, FieldLineMethod::Euler);
    EXPECT_EQ(plain->requests[1].method, FieldLineMethod::Accurate);

    // The accurate lines of print are those of the builder.
    const BatchRun run = runBatch("print '" + examplePath("dipole.txt") + "' lines 3 accurate");
    ASSERT_EQ(run.status, 0) << run.err;
    const auto model = readExample("dipole.txt");
    const Ref<Group> lines = makeFieldLines(*model, 3, FieldLineMethod::Accurate);
    ASSERT_TRUE(lines);
    std::FILE* text = std::tmpfile();
    lines->print(text);
    std::rewind(text);
    std::string printed;
    for (int c; (c = std::fgetc(text)) != EOF;) printed += static_cast<char>(c);
    std::fclose(text);
    EXPECT_NE(run.out.find(printed), std::string::npos);
}

TEST_F(Batch, StatsTellTheThreadsAndTheTimeAndSizeOfEveryRequest) {
    const BatchRun run = runBatch("stats '" + examplePath("dipole.txt") + "' lines 4 hedgehog 250 surface 2.5 enter",
                                  "KELVARO_THREADS=3");
    ASSERT_EQ(run.status, 0) << run.err;
    EXPECT_EQ(run.out.rfind("threads: 3\nrequest: lines 4\nbuild_ms: ", 0), 0u) << run.out;
    EXPECT_EQ(valuesOf(run.out, "request"), (std::vector<std::string>{"lines 4", "hedgehog 250", "surface 2.5 enter"}));
    for (const std::string& milliseconds : valuesOf(run.out, "build_ms")) {
        const auto point = milliseconds.find('.');
        ASSERT_NE(point, std::string::npos) << milliseconds;
        EXPECT_EQ(milliseconds.size() - point, 4u) << milliseconds;  // three decimals
        EXPECT_GE(std::stod(milliseconds), 0.0);
    }
    const auto model = readExample("dipole.txt");
    const Ref<Group> lines = makeFieldLines(*model, 4);
    long linePoints = 0;
    for (const PolyLine* line : testing::childrenOf<PolyLine>(*lines)) linePoints += line->count();
    long triangles = 0;
    const Ref<Group> surface = makePotentialSurface(*model, 2.5, 1);
    for (const Group* cell : testing::childrenOf<Group>(dynamic_cast<const Group&>(surface->child(0))))
        triangles += cell->count();
    EXPECT_EQ(valuesOf(run.out, "polylines"), (std::vector<std::string>{std::to_string(lines->count()), "0", "0"}));
    EXPECT_EQ(valuesOf(run.out, "line_points"), (std::vector<std::string>{std::to_string(linePoints), "500", "0"}));
    EXPECT_EQ(valuesOf(run.out, "triangles"), (std::vector<std::string>{"0", "0", std::to_string(triangles)}));
    EXPECT_EQ(run.out.find("Group("), std::string::npos);  // no geometry
}

TEST_F(Batch, ThreadCountsThatAreNotPositiveWholeNumbersAreIgnoredWithOneWarning) {
    const std::string request = "stats '" + examplePath("quadrupole.txt") + "' lines 2 hedgehog 10 surface 1 leave";
    const std::string hardware = valuesOf(runBatch(request, "-u KELVARO_THREADS").out, "threads").at(0);
    for (const char* wrong : {"0", "-3", "many", "2.5", ""}) {
        const BatchRun run = runBatch(request, std::string("KELVARO_THREADS=") + wrong);
        EXPECT_EQ(run.status, 0) << wrong;
        EXPECT_EQ(valuesOf(run.out, "threads"), std::vector<std::string>{hardware}) << wrong;
        EXPECT_EQ(occurrences(run.err, "\n"), 1) << run.err;
        EXPECT_NE(run.err.find("KELVARO_THREADS"), std::string::npos) << run.err;
    }
}

#if !defined(__SANITIZE_ADDRESS__) && !defined(__SANITIZE_THREAD__)
// Memory that runs out in the middle of a build (a group's array, a line's points, the grid,
// the work arrays, a thread's stack) gives the dialog's message and the run goes on; it
// never ends the program. With enough memory the output is whole. (The sanitizers reserve
// address space of their own, so this runs only without them.)
TEST_F(Batch, RunningOutOfMemoryGivesTheMessagesOfTheDialogs) {
    const std::string request = "obj '" + examplePath("cloud.txt") + "' lines 40 hedgehog 100000 surface 6 leave";
    const BatchRun whole = runBatch(request);
    ASSERT_EQ(whole.status, 0);
    int failed = 0;
    for (long kilobytes = 16000; kilobytes <= 112000; kilobytes += 16000) {
        SCOPED_TRACE(std::to_string(kilobytes) + " KiB of address space");
        const BatchRun run = runBatch(request, "", kilobytes);
        if (run.status == 0) {
            EXPECT_EQ(run.err, "");
            EXPECT_TRUE(run.out == whole.out) << "the output differs";
            continue;
        }
        ASSERT_EQ(run.status, 1);
        EXPECT_NE(run.err.find(". Sorry.\n"), std::string::npos);
        ++failed;
    }
    EXPECT_GT(failed, 0);                                       // little memory: messages
    EXPECT_EQ(runBatch(request, "", 1000000).out, whole.out);  // plenty: the whole output
}
#endif

}  // namespace
}  // namespace kelvaro
