// kelvaro-batch's picture options and turntable GIFs, with no X display: pixel facts of
// the teaching style, --fit, --samples and --background, and the frames of a GIF.

#include <gif_lib.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <set>
#include <sstream>
#include <string>
#include <vector>

#include "tests/viz/batch_files_fixture.h"

namespace kelvaro {
namespace {

using testing::BatchRun;
using testing::examplePath;
using testing::fileContents;

// The pixels of the columns [x0, x1) that pass `test`.
template <class Test>
int countWhere(const e2e::Image& image, int x0, int x1, Test test) {
    int count = 0;
    for (int y = 0; y < image.height(); ++y) {
        for (int x = x0; x < x1; ++x) count += test(image.at(x, y)) ? 1 : 0;
    }
    return count;
}

bool red(e2e::Pixel p) { return p.r > p.g + 80 && p.r > p.b + 80; }
bool blue(e2e::Pixel p) { return p.b > p.r + 60 && p.b > p.g + 20; }

// The share of the picture's width and of its height that its pixels unlike the corner's span.
std::pair<double, double> spannedShares(const e2e::Image& image) {
    const e2e::Pixel corner = image.at(0, 0);
    int left = image.width(), right = -1, top = image.height(), bottom = -1;
    for (int y = 0; y < image.height(); ++y) {
        for (int x = 0; x < image.width(); ++x) {
            if (e2e::near(image.at(x, y), corner, 0)) continue;
            left = std::min(left, x), right = std::max(right, x), top = std::min(top, y), bottom = std::max(bottom, y);
        }
    }
    return {double(right - left + 1) / image.width(), double(bottom - top + 1) / image.height()};
}

// How far from the picture's middle its pixels unlike the corner's reach, as a share of
// the half width or half height, whichever is the larger share.
double reachFromMiddle(const e2e::Image& image) {
    const e2e::Pixel corner = image.at(0, 0);
    const double halfWidth = image.width() / 2.0, halfHeight = image.height() / 2.0;
    double reach = 0.0;
    for (int y = 0; y < image.height(); ++y) {
        for (int x = 0; x < image.width(); ++x) {
            if (e2e::near(image.at(x, y), corner, 0)) continue;
            reach = std::max({reach, std::fabs(x + 0.5 - halfWidth) / halfWidth, std::fabs(y + 0.5 - halfHeight) / halfHeight});
        }
    }
    return reach;
}

int distinctColours(const e2e::Image& image) {
    std::set<int> colours;
    for (int y = 0; y < image.height(); ++y) {
        for (int x = 0; x < image.width(); ++x) {
            const e2e::Pixel p = image.at(x, y);
            colours.insert((p.r << 16) | (p.g << 8) | p.b);
        }
    }
    return static_cast<int>(colours.size());
}

// `base` followed by `more`.
std::vector<std::string> with(std::vector<std::string> base, const std::vector<std::string>& more) {
    base.insert(base.end(), more.begin(), more.end());
    return base;
}

using BatchPictures = BatchFiles;

// The dipole's positive charge lies at x = -0.5 and its negative one at x = 0.5.
TEST_F(BatchPictures, TeachingStyleShowsARedAndABlueChargeOnTheirSides) {
    ASSERT_EQ(batch({"png", examplePath("dipole.txt"), "lines", "10", "--style", "teaching", "--fit", "-o", "teaching.png"}).status, 0);
    const e2e::Image image = e2e::Image::read_png("teaching.png");
    ASSERT_EQ(image.width(), 626);
    EXPECT_GT(countWhere(image, 0, 313, red), 300);
    EXPECT_EQ(countWhere(image, 313, 626, red), 0);
    EXPECT_GT(countWhere(image, 313, 626, blue), 300);
    EXPECT_EQ(countWhere(image, 0, 313, blue), 0);

    // The teaching style's lines are the accurate ones, unless the words ask for the others.
    ASSERT_EQ(batch({"png", examplePath("dipole.txt"), "lines", "10", "accurate", "--style", "teaching", "--fit", "-o",
                     "accurate.png"}).status, 0);
    ASSERT_EQ(batch({"png", examplePath("dipole.txt"), "lines", "10", "euler", "--style", "teaching", "--fit", "-o",
                     "euler.png"}).status, 0);
    EXPECT_EQ(fileContents("teaching.png"), fileContents("accurate.png"));
    EXPECT_NE(fileContents("teaching.png"), fileContents("euler.png"));

    // The options at their defaults draw the plain picture, byte for byte.
    const std::vector<std::string> scene{"png", examplePath("dipole.txt"), "lines", "10"};
    ASSERT_EQ(batch(with(scene, {"-o", "plain.png"})).status, 0);
    ASSERT_EQ(batch(with(scene, {"--style", "plain", "--background", "dark", "--samples", "1", "--zoom", "1", "-o", "defaults.png"})).status, 0);
    EXPECT_EQ(fileContents("plain.png"), fileContents("defaults.png"));
}

TEST_F(BatchPictures, FitFillsThePictureAndZoomScalesIt) {
    // Hedgehog lines fill the model's box.
    const std::vector<std::string> lines{"png", examplePath("dipole.txt"), "hedgehog", "4000", "--size", "400x300"};
    ASSERT_EQ(batch(with(lines, {"-o", "start.png"})).status, 0);
    ASSERT_EQ(batch(with(lines, {"--fit", "--turn", "30", "20", "-o", "fit.png"})).status, 0);
    ASSERT_EQ(batch(with(lines, {"--zoom", "0.5", "-o", "far.png"})).status, 0);
    const auto [startWidth, startHeight] = spannedShares(e2e::Image::read_png("start.png"));
    const auto [farWidth, farHeight] = spannedShares(e2e::Image::read_png("far.png"));
    EXPECT_LT(std::max(startWidth, startHeight), 0.75);
    // The box's centre in the middle, its nearest corner near an edge.
    const double fitReach = reachFromMiddle(e2e::Image::read_png("fit.png"));
    EXPECT_GT(fitReach, 0.9);
    EXPECT_LE(fitReach, 1.0);
    EXPECT_NEAR(farHeight, startHeight / 2, 0.03);
}

// Where the red ball of the teaching style's one positive charge appears: the middle of
// its pixels.
std::pair<double, double> redCentre(const e2e::Image& image) {
    double x = 0, y = 0;
    int count = 0;
    for (int row = 0; row < image.height(); ++row) {
        for (int column = 0; column < image.width(); ++column) {
            if (!red(image.at(column, row))) continue;
            x += column, y += row, ++count;
        }
    }
    return {x / std::max(count, 1), y / std::max(count, 1)};
}

// A box off the origin with one charge: at its centre, then in the middle of its +x face.
// --fit puts the box's centre in the middle of the picture whatever the turn; --view
// looks along an axis, as the window's keys 1, 2 and 3 do, and --view z is the start view.
TEST_F(BatchPictures, FitCentresTheBoxForAnyTurnAndViewLooksAlongAnAxis) {
    std::ofstream("centred.txt") << "BOUNDS FROM 0, 0, 0 TO 2, 2, 2\nPOINT 1 AT 1, 1, 1\n";
    std::ofstream("on_face.txt") << "BOUNDS FROM 0, 0, 0 TO 2, 2, 2\nPOINT 1 AT 2, 1, 1\n";
    const std::vector<std::string> teaching{"--style", "teaching", "--fit", "--size", "400x300"};
    const auto centreOf = [&](const char* model, const std::vector<std::string>& options) {
        EXPECT_EQ(batch(with(with({"png", model}, teaching), with(options, {"-o", "a.png"}))).status, 0);
        return redCentre(e2e::Image::read_png("a.png"));
    };
    for (const auto& turn : std::vector<std::vector<std::string>>{{}, {"--turn", "20", "20"}, {"--turn", "-70", "35"}}) {
        const auto [x, y] = centreOf("centred.txt", turn);
        EXPECT_NEAR(x, 199.5, 1.0) << (turn.empty() ? "" : turn[1]);
        EXPECT_NEAR(y, 149.5, 1.0) << (turn.empty() ? "" : turn[1]);
    }
    for (const char* axis : {"x", "-x"}) {
        const auto [x, y] = centreOf("on_face.txt", {"--view", axis});
        EXPECT_NEAR(x, 199.5, 1.0) << axis << ": the charge lies on the axis looked along";
        EXPECT_NEAR(y, 149.5, 1.0) << axis;
    }
    EXPECT_GT(centreOf("on_face.txt", {"--view", "y"}).first, 240) << "seen from above, +x is to the right";
    EXPECT_LT(centreOf("on_face.txt", {"--view", "-z"}).first, 160) << "seen from behind, +x is to the left";

    const std::vector<std::string> scene{"png", examplePath("dipole.txt"), "lines", "4"};
    ASSERT_EQ(batch(with(scene, {"-o", "start.png"})).status, 0);
    ASSERT_EQ(batch(with(scene, {"--view", "z", "-o", "z.png"})).status, 0);
    EXPECT_EQ(fileContents("start.png"), fileContents("z.png"));
}

TEST_F(BatchPictures, SamplesSmoothLinesAndLightBackgroundsKeepThemVisible) {
    const std::vector<std::string> lines{"png", examplePath("dipole.txt"), "lines", "10", "--size", "300x200"};
    ASSERT_EQ(batch(with(lines, {"-o", "one.png"})).status, 0);
    ASSERT_EQ(batch(with(lines, {"--samples", "4", "-o", "four.png"})).status, 0);
    // The program's own lines, whose olive is counted below (the teaching style's own are the accurate ones).
    ASSERT_EQ(batch({"png", examplePath("dipole.txt"), "lines", "10", "euler", "--size", "300x200", "--background",
                     "light", "--style", "teaching", "-o", "light.png"})
                  .status,
              0);
    const e2e::Image one = e2e::Image::read_png("one.png"), four = e2e::Image::read_png("four.png");
    ASSERT_EQ(four.width(), 300);
    ASSERT_EQ(four.height(), 200);
    EXPECT_LE(distinctColours(one), 6) << "background, yellow, white, grey";
    EXPECT_GE(distinctColours(four), 40) << "shades between the lines and the background";

    const e2e::Image light = e2e::Image::read_png("light.png");
    for (const auto& [x, y] : {std::pair{0, 0}, {299, 0}, {0, 199}, {299, 199}}) {
        EXPECT_TRUE(e2e::near(light.at(x, y), {255, 255, 255}, 0)) << x << ", " << y;
    }
    // The yellow lines turn olive: red and green alike, no blue, dark enough to read on white.
    const int olive = countWhere(light, 0, 300, [](e2e::Pixel p) {
        return std::abs(p.r - p.g) < 12 && p.r > p.b + 60 && p.r < 150;
    });
    EXPECT_GT(olive, 300);
}

TEST_F(BatchPictures, GifHasTheAskedFramesLoopsForeverAndTurns) {
    const BatchRun run = batch({"gif", examplePath("dipole.txt"), "lines", "4", "--frames", "8", "--seconds", "2",
                                "--size", "160x120", "--style", "teaching", "-o", "turn.gif"});
    ASSERT_EQ(run.status, 0) << run.err;
    EXPECT_EQ(run.out + run.err, "");
    int error = 0;
    GifFileType* gif = DGifOpenFileName("turn.gif", &error);
    ASSERT_NE(gif, nullptr);
    ASSERT_EQ(DGifSlurp(gif), GIF_OK);
    EXPECT_EQ(gif->SWidth, 160);
    EXPECT_EQ(gif->SHeight, 120);
    ASSERT_EQ(gif->ImageCount, 8);
    // Extensions before the first frame are kept with it.
    bool loops = false;
    int hundredths = 0;
    const SavedImage& opening = gif->SavedImages[0];
    for (int i = 0; i + 1 < opening.ExtensionBlockCount; ++i) {
        const ExtensionBlock& block = opening.ExtensionBlocks[i];
        const ExtensionBlock& next = opening.ExtensionBlocks[i + 1];
        loops = loops || (block.Function == APPLICATION_EXT_FUNC_CODE && block.ByteCount == 11 &&
                          std::memcmp(block.Bytes, "NETSCAPE2.0", 11) == 0 && next.ByteCount == 3 &&
                          next.Bytes[0] == 1 && next.Bytes[1] == 0 && next.Bytes[2] == 0);
    }
    for (int i = 0; i < gif->ImageCount; ++i) {
        GraphicsControlBlock control;
        ASSERT_EQ(DGifSavedExtensionToGCB(gif, i, &control), GIF_OK);
        hundredths += control.DelayTime;
    }
    EXPECT_TRUE(loops) << "a NETSCAPE2.0 block with a loop count of 0";
    EXPECT_EQ(hundredths, 200);
    const GifByteType* first = gif->SavedImages[0].RasterBits;
    const GifByteType* quarter = gif->SavedImages[2].RasterBits;
    EXPECT_FALSE(std::equal(first, first + 160 * 120, quarter)) << "a quarter turn later the picture differs";
    DGifCloseFile(gif, &error);
}

TEST_F(BatchPictures, BadOptionsAndImpossiblePicturesLeaveNoFile) {
    const std::string model = examplePath("dipole.txt");
    for (const std::vector<std::string>& wrong : std::vector<std::vector<std::string>>{
             {"png", model, "-o", "a.png", "--samples", "0"},
             {"png", model, "-o", "a.png", "--samples", "5"},
             {"png", model, "-o", "a.png", "--samples", "two"},
             {"png", model, "-o", "a.png", "--zoom", "0"},
             {"png", model, "-o", "a.png", "--zoom", "-2"},
             {"png", model, "-o", "a.png", "--zoom", "nan"},
             {"png", model, "-o", "a.png", "--style", "fancy"},
             {"png", model, "-o", "a.png", "--background", "grey"},
             {"png", model, "-o", "a.png", "--view", "w"},
             {"obj", model, "--view", "x"},
             {"png", model, "-o", "slide.jpg"},
             {"gif", model, "-o", "turn.png"},
             {"png", model, "-o", "a.png", "--frames", "10"},
             {"gif", model},
             {"gif", model, "-o", "a.gif", "--frames", "1"},
             {"gif", model, "-o", "a.gif", "--frames", "361"},
             {"gif", model, "-o", "a.gif", "--seconds", "0"},
             {"gif", model, "-o", "a.gif", "--frames", "100", "--seconds", "1"},
             {"obj", model, "--fit"}}) {
        const BatchRun run = batch(wrong);
        EXPECT_EQ(run.status, 2) << wrong.back();
        EXPECT_NE(run.err.find("usage:"), std::string::npos) << wrong.back();
    }

    EXPECT_EQ(batch({"png", model, "-o", "slide.jpg"}).err.rfind(
                  "kelvaro-batch: png writes PNG pictures: -o needs a name that ends in .png (or .PNG), not slide.jpg\n",
                  0),
              0u);

    std::ofstream("flat.txt") << "BOUNDS FROM -1, -1, 0 TO 1, 1, 0\nPOINT 1 AT 0, 0, 0\n";
    BatchRun run = batch({"png", "flat.txt", "--fit", "-o", "a.png"});
    EXPECT_EQ(run.status, 1);
    EXPECT_EQ(run.err, "kelvaro-batch: cannot frame the model: the model's box is flat or empty\n");
    run = batch({"gif", "flat.txt", "--fit", "-o", "a.gif"});
    EXPECT_EQ(run.status, 1);
    run = batch({"png", model, "--size", "8192x100", "--samples", "4", "-o", "a.png"});
    EXPECT_EQ(run.status, 1);
    EXPECT_EQ(run.err.rfind("kelvaro-batch: too large: the GL driver draws at most ", 0), 0u) << run.err;
    EXPECT_EQ(files(), (std::set<std::string>{"ElectronData", "flat.txt"}));
}

// On the light background everything turns into print colours but a plane's colour map,
// whose white (a potential of 0, between the dipole's charges) stays white.
TEST_F(BatchPictures, APlaneKeepsItsColoursOnTheLightBackground) {
    ASSERT_EQ(batch({"png", examplePath("dipole.txt"), "plane", "z", "0", "levels", "0", "--background", "light", "-o",
                     "light.png"}).status, 0);
    const e2e::Image image = e2e::Image::read_png("light.png");
    // Just beside the y axis (x = 313) and above the x axis (y = 260), inside the square.
    EXPECT_TRUE(e2e::near(image.at(316, 200), {255, 255, 255}, 16)) << "print colours would make it a grey of 102";
    EXPECT_GT(countWhere(image, 0, 313, [](e2e::Pixel p) { return p.r > p.b + 40; }), 10000)
        << "the potential round the positive charge";
    EXPECT_EQ(countWhere(image, 313, 626, [](e2e::Pixel p) { return p.r > p.b + 40; }), 0);
}

// FNV-1a (64 bits) of the picture's pixels, row by row from the top, r, g, b.
std::uint64_t pixelHash(const e2e::Image& image) {
    std::uint64_t hash = 14695981039346656037ull;
    for (int y = 0; y < image.height(); ++y) {
        for (int x = 0; x < image.width(); ++x) {
            const e2e::Pixel p = image.at(x, y);
            for (int channel : {p.r, p.g, p.b}) hash = (hash ^ static_cast<std::uint64_t>(channel)) * 1099511628211ull;
        }
    }
    return hash;
}

// Every "kelvaro-batch png" command of the README that writes one of the pictures in
// docs/ makes it again, byte for byte, from the example models; and the textbook dipole
// is the picture it was when it was put there.
TEST_F(BatchPictures, TheReadmesCommandsMakeItsPictures) {
    const std::filesystem::path source = KELVARO_SOURCE_DIR;
    for (const auto& entry : std::filesystem::directory_iterator(KELVARO_EXAMPLES_DIR)) {
        if (entry.path().extension() == ".txt") std::filesystem::copy_file(entry.path(), entry.path().filename());
    }
    std::istringstream readme(fileContents((source / "README.md").string()));
    std::set<std::string> made;
    for (std::string line; std::getline(readme, line);) {
        const std::string command = "../tools/batch/kelvaro-batch png ";
        if (line.rfind(command, 0) != 0) continue;
        std::istringstream split(line.substr(command.size() - 4));
        std::vector<std::string> words;
        for (std::string word; split >> word;) words.push_back(word);
        const std::string picture = words.back();
        if (!std::filesystem::exists(source / "docs" / picture)) continue;
        const BatchRun run = batch(words);
        ASSERT_EQ(run.status, 0) << line << "\n" << run.err;
        EXPECT_TRUE(fileContents(picture) == fileContents((source / "docs" / picture).string())) << picture << " differs";
        made.insert(picture);
    }
    EXPECT_EQ(made, (std::set<std::string>{"dipole-slide.png", "dipole-textbook.png", "capacitor-slide.png"}));
    const e2e::Image textbook = e2e::Image::read_png("dipole-textbook.png");
    ASSERT_EQ(textbook.width(), 800);
    EXPECT_EQ(pixelHash(textbook), 17237995744526936510ull);
}

}  // namespace
}  // namespace kelvaro
