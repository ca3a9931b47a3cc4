// kelvaro-batch's files, with no X display: pictures of the start view, and OBJ files
// with their colours in an MTL file beside them.

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <map>
#include <set>
#include <sstream>
#include <string>
#include <vector>

#include "tests/support/e2e/e2e_harness.h"
#include "tests/viz/batch_files_fixture.h"
#include "tests/viz/viz_test_support.h"

namespace kelvaro {
namespace {

namespace fs = std::filesystem;
using testing::BatchRun;
using testing::examplePath;
using testing::fileContents;

// Pixels with red well above green and blue: a surface at a positive level.
int reddish(const e2e::Image& image, int x0, int x1) {
    int count = 0;
    for (int y = 0; y < image.height(); ++y) {
        for (int x = x0; x < x1; ++x) {
            const e2e::Pixel p = image.at(x, y);
            count += (p.r > p.g + 40 && p.r > p.b + 40) ? 1 : 0;
        }
    }
    return count;
}

TEST_F(BatchFiles, PictureOfTheStartViewShowsTheScenesColours) {
    const BatchRun run = batch({"png", examplePath("dipole.txt"), "lines", "10", "surface", "5", "leave", "-o", "dipole.png"});
    ASSERT_EQ(run.status, 0) << run.err;
    EXPECT_EQ(run.out + run.err, "");
    const e2e::Image image = e2e::Image::read_png("dipole.png");
    ASSERT_EQ(image.width(), 626);  // the main window's scene area
    ASSERT_EQ(image.height(), 520);
    const e2e::Pixel background{26, 26, 26};  // 0.1 of 255, rounded
    for (const auto& [x, y] : {std::pair{0, 0}, {625, 0}, {0, 519}, {625, 519}}) {
        EXPECT_TRUE(e2e::near(image.at(x, y), background, 0)) << x << ", " << y;
    }
    EXPECT_GT(image.count(background, 0, 0, 0, 625, 519), 600 * 500);
    EXPECT_GT(image.count({179, 179, 0}, 30, 0, 0, 625, 519), 200) << "yellow field lines";
    EXPECT_GT(reddish(image, 0, 626), 50) << "the translucent red surface round the positive charge";

    // Charges are about a pixel wide; the dipole's are hidden under their lines.
    ASSERT_EQ(batch({"png", examplePath("line_of_charges.txt"), "-o", "line.png"}).status, 0);
    const e2e::Image line = e2e::Image::read_png("line.png");
    EXPECT_GE(line.count({255, 255, 255}, 0, 0, 0, 625, 519), 11) << "the 11 white charges";
}

TEST_F(BatchFiles, PicturesAreRepeatableAndTakeTheirSizeAndTurn) {
    const std::vector<std::string> scene{"png", examplePath("dipole.txt"), "surface", "5", "leave", "--size", "300x200"};
    auto withOutput = [&](const std::string& name, std::vector<std::string> more = {}) {
        std::vector<std::string> arguments = scene;
        arguments.insert(arguments.end(), more.begin(), more.end());
        arguments.insert(arguments.end(), {"-o", name});
        return arguments;
    };
    ASSERT_EQ(batch(withOutput("first.png")).status, 0);
    ASSERT_EQ(batch(withOutput("second.png")).status, 0);
    ASSERT_EQ(batch(withOutput("turned.png", {"--turn", "180", "0"})).status, 0);
    EXPECT_EQ(fileContents("first.png"), fileContents("second.png"));

    // The positive charge lies at x = -0.5: half a turn about the vertical axis brings
    // its surface from the left half of the picture to the right half.
    const e2e::Image start = e2e::Image::read_png("first.png");
    const e2e::Image turned = e2e::Image::read_png("turned.png");
    ASSERT_EQ(start.width(), 300);
    ASSERT_EQ(start.height(), 200);
    EXPECT_GT(reddish(start, 0, 150), 10);
    EXPECT_EQ(reddish(start, 150, 300), 0);
    EXPECT_EQ(reddish(turned, 0, 150), 0);
    EXPECT_GT(reddish(turned, 150, 300), 10);
}

TEST_F(BatchFiles, BadArgumentsAndFailedWritesLeaveNoFile) {
    const std::string model = examplePath("dipole.txt");
    for (const std::vector<std::string>& wrong : std::vector<std::vector<std::string>>{
             {"png", model},
             {"png", model, "-o"},
             {"png", model, "-o", "a.png", "--size", "0x10"},
             {"png", model, "-o", "a.png", "--size", "8193x10"},
             {"png", model, "-o", "a.png", "--size", "640"},
             {"png", model, "-o", "a.png", "--size", "-4x3"},
             {"png", model, "-o", "a.png", "--turn", "10"},
             {"png", model, "-o", "a.png", "--turn", "left", "up"},
             {"obj", model, "--size", "10x10"},
             {"print", model, "-o", "a.txt"}}) {
        const BatchRun run = batch(wrong);
        EXPECT_EQ(run.status, 2) << wrong.back();
        EXPECT_NE(run.err.find("usage:"), std::string::npos) << wrong.back();
    }

    fs::create_directory("taken.png");
    fs::create_directory("taken.obj");
    BatchRun run = batch({"png", model, "-o", "missing/a.png"});
    EXPECT_EQ(run.status, 1);
    EXPECT_EQ(run.err, "kelvaro-batch: cannot write missing/a.png: No such file or directory\n");
    run = batch({"png", model, "-o", "taken.png"});
    EXPECT_EQ(run.status, 1);
    EXPECT_EQ(run.err, "kelvaro-batch: cannot write taken.png: Is a directory\n");
    run = batch({"obj", model, "-o", "taken.obj"});
    EXPECT_EQ(run.status, 1);
    EXPECT_EQ(run.err, "kelvaro-batch: cannot write taken.obj: Is a directory\n");

    setenv("__EGL_VENDOR_LIBRARY_FILENAMES", "/nonexistent/egl_vendor.json", 1);  // no GL driver
    run = batch({"png", model, "-o", "a.png"});
    unsetenv("__EGL_VENDOR_LIBRARY_FILENAMES");
    EXPECT_EQ(run.status, 1);
    EXPECT_EQ(run.err.rfind("kelvaro-batch: no usable GL context: ", 0), 0u) << run.err;

    EXPECT_EQ(files(), (std::set<std::string>{"ElectronData", "taken.obj", "taken.png"}));
}

// Material name -> its lines ("Kd" -> "0.7 0.7 0", ...), from an MTL file.
std::map<std::string, std::map<std::string, std::string>> readMaterials(const std::string& name) {
    std::map<std::string, std::map<std::string, std::string>> materials;
    std::istringstream text(fileContents(name));
    std::string current;
    for (std::string line; std::getline(text, line);) {
        const auto blank = line.find(' ');
        if (line.empty() || line[0] == '#' || blank == std::string::npos) continue;
        const std::string key = line.substr(0, blank), value = line.substr(blank + 1);
        if (key == "newmtl") {
            current = value;
            EXPECT_EQ(materials.count(current), 0u) << "named twice: " << current;
            materials[current];
        } else {
            materials[current][key] = value;
        }
    }
    return materials;
}

TEST_F(BatchFiles, ObjNamesTheScenesColoursInTheMtlBesideIt) {
    const BatchRun run = batch({"obj", examplePath("dipole.txt"), "lines", "3", "hedgehog", "5", "surface", "4", "enter",
                                "-o", "scene.obj"});
    ASSERT_EQ(run.status, 0) << run.err;
    EXPECT_EQ(run.out, "");
    EXPECT_EQ(files(), (std::set<std::string>{"ElectronData", "scene.obj", "scene.mtl"}));
    const auto materials = readMaterials("scene.mtl");

    // The materials that each group's elements are drawn with.
    std::map<std::string, std::set<std::string>> used;
    std::istringstream obj(fileContents("scene.obj"));
    std::string line, group, material;
    ASSERT_TRUE(std::getline(obj, line));
    EXPECT_EQ(line, "mtllib scene.mtl");
    while (std::getline(obj, line)) {
        if (line.rfind("g ", 0) == 0) group = line.substr(2);
        if (line.rfind("usemtl ", 0) == 0) material = line.substr(7);
        if (line.rfind("l ", 0) == 0 || line.rfind("f ", 0) == 0) used[group].insert(material);
    }
    for (const auto& [name, inGroup] : used) {
        for (const std::string& m : inGroup) EXPECT_EQ(materials.count(m), 1u) << name << " uses " << m;
    }
    const auto plainColours = [&](const std::string& name) {
        std::set<std::string> colours;
        for (const std::string& m : used[name]) {
            const auto& lines = materials.at(m);
            EXPECT_EQ(lines.at("illum"), "0") << m;
            colours.insert(lines.at("Kd"));
        }
        return colours;
    };
    EXPECT_EQ(plainColours("model"), (std::set<std::string>{"1 1 1", "0.5 0.5 0.5"}));  // charges, axes
    EXPECT_EQ(plainColours("field_lines_1"), (std::set<std::string>{"0.7 0.7 0"}));
    EXPECT_EQ(plainColours("hedgehog_2"), (std::set<std::string>{"1 0.7 0.49"}));

    ASSERT_EQ(used["surface_3"].size(), 1u) << "one material for every cell of the surface";
    const auto& surface = materials.at(*used["surface_3"].begin());
    EXPECT_EQ(surface.at("illum"), "2");
    EXPECT_EQ(surface.at("d"), "0.6");
    EXPECT_EQ(surface.at("Ns"), "40");
    float ambient[3], diffuse[3], specular[3];
    std::istringstream(surface.at("Ka")) >> ambient[0] >> ambient[1] >> ambient[2];
    std::istringstream(surface.at("Kd")) >> diffuse[0] >> diffuse[1] >> diffuse[2];
    std::istringstream(surface.at("Ks")) >> specular[0] >> specular[1] >> specular[2];
    EXPECT_GT(specular[0], specular[1] + 0.3f) << "red: a positive level";
    EXPECT_EQ(specular[1], specular[2]);
    for (int i = 0; i < 3; ++i) {
        EXPECT_NEAR(ambient[i], 0.2f * specular[i], 1e-5f);
        EXPECT_NEAR(diffuse[i], 0.8f * specular[i], 1e-5f);
    }

    const BatchRun toStandardOutput = batch({"obj", examplePath("dipole.txt"), "lines", "3"});
    ASSERT_EQ(toStandardOutput.status, 0);
    EXPECT_EQ(toStandardOutput.out.find("mtl"), std::string::npos) << "without -o, plain OBJ as before";
}

// A surface of a model whose potentials overflowed has colours that are not numbers: they
// share one material, rather than one material for each of the surface's cells.
TEST_F(BatchFiles, ColoursThatAreNotNumbersShareOneMaterial) {
    const BatchRun run = batch({"obj", KELVARO_DEGENERATE_MODELS_DIR "/overflowed_numbers.txt", "surface", "1", "leave",
                                "-o", "scene.obj"});
    ASSERT_EQ(run.status, 0) << run.err;
    const auto materials = readMaterials("scene.mtl");
    EXPECT_EQ(materials.size(), 2u);
    ASSERT_EQ(materials.count("lit_000000"), 1u);
    EXPECT_EQ(materials.at("lit_000000").at("Kd"), "nan nan nan");
}

}  // namespace
}  // namespace kelvaro
