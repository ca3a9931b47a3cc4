// End-to-end tests of the window's teaching style (its check box and the key "t") and of
// the large picture key "P", under Xvfb with real X input.
#include <gtest/gtest.h>

#include <cstdlib>
#include <set>
#include <string>

#include "tests/app/kelvaro_e2e_fixture.h"

namespace {

using namespace kelvaro_e2e;

// The "Teaching style" check box: the view panel's seventh column, at its top.
const Place teachingCheckBox{384, 532};

int countWhere(const e2e::Image& image, int x0, int x1, bool (*test)(e2e::Pixel)) {
    int count = 0;
    for (int y = 0; y < 520; ++y) {
        for (int x = x0; x < x1; ++x) count += test(image.at(x, y)) ? 1 : 0;
    }
    return count;
}

bool red(e2e::Pixel p) { return p.r > p.g + 80 && p.r > p.b + 80; }
bool blue(e2e::Pixel p) { return p.b > p.r + 60 && p.b > p.g + 20; }

TEST_F(KelvaroTest, TeachingStyleFollowsTheKeyAndTheCheckBoxAndGoesBackPixelForPixel) {
    withSeedFile();
    start();
    loadByName("dipole.txt");
    closeDialog(openDialog(fieldLinesButton, "Add Field Lines to Charge"), true);
    ASSERT_TRUE(e2e::move_pointer(main_, sceneCentre.x, sceneCentre.y));
    const e2e::Image plain = screenshotWhen("teaching_off", fieldLinesShown);
    // The window redraws a few frames after a key or a click: the pictures that the checks
    // read are taken once it has.
    const auto ticked = [](const e2e::Image& image) {
        return image.count({0, 0, 0}, 0, teachingCheckBox.x - 4, teachingCheckBox.y - 4, teachingCheckBox.x + 4,
                           teachingCheckBox.y + 4) > 6;
    };
    ASSERT_TRUE(e2e::press_keys({"t"}));
    const e2e::Image teaching = screenshotWhen(
        "teaching_on", [&](const e2e::Image& image) { return changedFrom(plain)(image) && ticked(image); });
    EXPECT_GT(countWhere(teaching, 0, 313, red), 60) << "the positive charge, left";
    EXPECT_GT(countWhere(teaching, 313, 626, blue), 60) << "the negative charge, right";
    EXPECT_EQ(countWhere(plain, 0, 626, red) + countWhere(plain, 0, 626, blue), 0);
    EXPECT_GT(differingPixels(plain, teaching, 0), 1000);
    EXPECT_TRUE(ticked(teaching)) << "the box is ticked";

    ASSERT_TRUE(e2e::press_keys({"t"}));
    EXPECT_EQ(differingPixels(plain, screenshotWhen("teaching_off_again", sameAs(plain)), 0), 0);

    ASSERT_TRUE(e2e::click(main_, teachingCheckBox.x, teachingCheckBox.y));
    EXPECT_EQ(differingPixels(teaching, screenshotWhen("teaching_by_check_box", sameAs(teaching)), 0), 0);
    ASSERT_TRUE(e2e::click(main_, teachingCheckBox.x, teachingCheckBox.y));
    EXPECT_EQ(differingPixels(plain, screenshotWhen("teaching_off_by_check_box", sameAs(plain)), 0), 0);
    EXPECT_EQ(program_->output(), "");
}

// "P" saves the view at twice the size, drawn twice as large again and averaged down:
// what kelvaro-batch png draws with --size 1252x1040 --samples 2. The window draws it in
// tiles of its scene area, the tool at once; where the tiles' offsets round a line's
// edge differently a pixel may differ by one step.
TEST_F(KelvaroTest, LargePictureKeySavesTwiceTheSizeSmoothed) {
    withSeedFile();
    start();
    loadByName("dipole.txt");
    closeDialog(openDialog(fieldLinesButton, "Add Field Lines to Charge"), true);
    const e2e::Image before = screenshotWhen("before_large_picture", fieldLinesShown);
    ASSERT_TRUE(e2e::move_pointer(main_, sceneCentre.x, sceneCentre.y));
    ASSERT_TRUE(e2e::press_keys({"P"}));
    ASSERT_TRUE(program_->wait_for_output("Picture saved as kelvaro-001.png.\n", timeout)) << program_->output();
    const e2e::Image saved = e2e::Image::read_png((workDirectory_ / "kelvaro-001.png").string());
    ASSERT_EQ(saved.width(), 1252);
    ASSERT_EQ(saved.height(), 1040);
    EXPECT_EQ(differingPixels(before, screenshotWhen("after_large_picture", sameAs(before)), 0), 0)
        << "the window shows its own view again";

    const std::string display = std::getenv("DISPLAY");
    unsetenv("DISPLAY");
    e2e::ChildProcess batch(KELVARO_BATCH_PATH,
                            {"png", "dipole.txt", "lines", "10", "--size", "1252x1040", "--samples", "2", "-o", "batch.png"},
                            workDirectory_.string());
    setenv("DISPLAY", display.c_str(), 1);
    ASSERT_EQ(batch.wait_for_exit(timeout), 0) << batch.errors();
    const e2e::Image drawn = e2e::Image::read_png((workDirectory_ / "batch.png").string());
    int differing = 0;
    std::set<int> shades;
    for (int y = 0; y < 1040; ++y) {
        for (int x = 0; x < 1252; ++x) {
            differing += e2e::near(saved.at(x, y), drawn.at(x, y), 1) ? 0 : 1;
            shades.insert(saved.at(x, y).r * 65536 + saved.at(x, y).g * 256 + saved.at(x, y).b);
        }
    }
    EXPECT_EQ(differing, 0);
    EXPECT_GT(shades.size(), 12u) << "shades at the edges of the lines, where a window picture has 5 colours";
}

}  // namespace
