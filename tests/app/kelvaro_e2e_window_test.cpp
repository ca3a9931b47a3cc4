// End-to-end tests of the window a teacher meets, under Xvfb with real X input: the message
// line and the Messages dialog, a failed load that keeps the picture, framing with the
// keys, the Fit button and the wheel, Edit Charges beside the scene with the keyboard, the
// charge list of 99 charges, the drop-down's click on OK, saving and the load list, the
// command line and the remembered look.
#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdio>
#include <fstream>
#include <string>
#include <vector>

#include "tests/app/kelvaro_e2e_fixture.h"

namespace {

using namespace kelvaro_e2e;

const Place valueField{100, 39};  // Edit Charges' first field, below the charge list
const Place chargeList{100, 16};
const Place teachingCheckBox{384, 532};
const e2e::Pixel axisGrey{128, 128, 128};

class KelvaroWindowTest : public KelvaroTest {
protected:
    // The picture's part outside the message line, panels included.
    static int differingAboveMessageLine(const e2e::Image& a, const e2e::Image& b) {
        return differingPixelsIn(a, b, 0, 0, mainWidth - 1, 599, 0);
    }
    static std::function<bool(const e2e::Image&)> messageChangedFrom(const e2e::Image& earlier) {
        return [earlier](const e2e::Image& image) {
            return messageShown(image) && differingPixelsIn(earlier, image, 118, 602, 795, 654, 0) > 20;
        };
    }
    // The share of the scene area's width that the grey axes span (each runs between two
    // faces of the model's box).
    static double axesWidth(const e2e::Image& image) {
        int left = 626, right = -1;
        for (int y = 0; y < 520; ++y) {
            for (int x = 0; x < 626; ++x) {
                if (!e2e::near(image.at(x, y), axisGrey, 40)) continue;
                left = std::min(left, x);
                right = std::max(right, x);
            }
        }
        return right < left ? 0.0 : (right - left + 1) / 626.0;
    }
    e2e::Image mainNow() { return display_->capture(main_); }
};

// What the program says shows on the line below the view panel (standard output as it
// was), and "m" lists the session's messages beside the main window.
TEST_F(KelvaroWindowTest, TheMessageLineShowsEachMessageAndMOpensTheList) {
    // A negative charge alone: the potential is below 0 everywhere in the box.
    std::ofstream(workDirectory_ / "skipped.txt") << "BOUNDS FROM -1, -1, -1 TO 1, 1, 1\nPOINT +1 AT 0, 0, 0\n"
                                                      "POINT -1 AT 0.5, 0, 0\n";
    start();
    const e2e::Image empty = screenshotWhen("message_line_empty", sceneEmpty);
    loadByName("skipped.txt");
    const e2e::Image loaded = screenshotWhen("message_line_after_load", messageChangedFrom(empty));
    EXPECT_TRUE(program_->wait_for_output("skipped.txt:2: POINT needs a number", timeout)) << program_->output();

    // A number beyond a field's limits: the line says which was used instead.
    const e2e::WindowId hedgehog = openDialog(hedgehogButton, "Add Hedgehog Lines");
    typeIntoField(hedgehog, {110, 14}, "0");
    closeDialog(hedgehog, true);
    const e2e::Image limited = screenshotWhen("message_line_limited_value", messageChangedFrom(loaded));
    // A surface with no triangle: the line says why nothing shows.
    const e2e::WindowId surface = openDialog(surfaceButton, "Add Equipotential Surface");
    typeIntoField(surface, {100, 14}, "5");
    closeDialog(surface, true);
    screenshotWhen("message_line_empty_surface", messageChangedFrom(limited));

    pressKeysOver(main_, sceneCentre.x, sceneCentre.y, {"m"});
    const e2e::WindowId messages = shownDialog("Messages");
    int x = 0, y = 0, width = 0, height = 0;
    ASSERT_TRUE(display_->geometry(messages, &x, &y, &width, &height));
    EXPECT_GE(x, 50 + mainWidth) << "beside the main window, not over the scene";
    const auto listed = [](const e2e::Image& image) { return image.count({0, 0, 0}, 60, 5, 5, 400, 300) > 200; };
    screenshotWhen("messages_dialog", listed, messages);
    escapeDialog(messages);
    EXPECT_EQ(program_->output().find("used instead"), std::string::npos) << "the window's own notes stay off standard output";
}

// A file that cannot be read leaves the picture as it was, pixel for pixel, and says so.
TEST_F(KelvaroWindowTest, AFailedLoadKeepsThePicturePixelForPixel) {
    const e2e::Image before = startWithFieldLines("dipole.txt", "before_failed_load");
    loadByName("broken.txt");
    const e2e::Image after = screenshotWhen("after_failed_load", messageChangedFrom(before));
    EXPECT_EQ(differingAboveMessageLine(before, after), 0);
    EXPECT_TRUE(program_->wait_for_output("Failed to read in model correctly.\n", timeout));
}

// "f" and Fit frame the model, "1", "2", "3" look along the axes, "r" brings the start view
// back exactly; the wheel brings the model near until it fills the scene, then stops.
TEST_F(KelvaroWindowTest, KeysTheFitButtonAndTheWheelFrameTheModel) {
    // A box twice as wide as high and twice as high as deep, its axes drawn between its faces.
    std::ofstream(workDirectory_ / "brick.txt") << "BOUNDS FROM -2, -1, -0.5 TO 2, 1, 0.5\nAXES ON\nPOINT 1 AT 1, 0, 0\n";
    start({"brick.txt"});
    const e2e::Image startView = screenshotWhen("frame_start", modelShown);
    ASSERT_LT(axesWidth(startView), 0.5);
    pressKeysOver(main_, sceneCentre.x, sceneCentre.y, {"f"});
    // The x axis runs across the middle of the box, whose near face fills the width.
    const auto filled = [](const e2e::Image& image) { return axesWidth(image) > 0.8; };
    const e2e::Image fitted = screenshotWhen("frame_fitted", filled);
    ASSERT_TRUE(e2e::press_keys({"1"}));  // along x: the z axis across, a fourth as long
    screenshotWhen("frame_along_x", [](const e2e::Image& image) { return axesWidth(image) < 0.5 && modelShown(image); });
    ASSERT_TRUE(e2e::press_keys({"r"}));
    screenshotWhen("frame_reset", sameAs(startView));
    ASSERT_TRUE(e2e::click(main_, fitButton.x, fitButton.y));
    screenshotWhen("frame_fit_button", sameAs(fitted));
    pressKeysOver(main_, sceneCentre.x, sceneCentre.y, {"r"});
    screenshotWhen("frame_reset_again", sameAs(startView));

    // 40 steps would bring the box 10 units nearer; the wheel stops 8.57 units nearer.
    std::vector<std::string> wheel{"xdotool"};
    for (int i = 0; i < 40; ++i) wheel.insert(wheel.end(), {"click", "4"});
    ASSERT_EQ(e2e::run_command(wheel), 0);
    const e2e::Image wheeled = screenshotWhen("frame_wheeled", filled);
    EXPECT_LT(axesWidth(wheeled), 0.92) << "no nearer than the box fills the scene";
    ASSERT_EQ(e2e::run_command(wheel), 0);
    // Once the key after the clicks opened Messages, every click was handled.
    ASSERT_TRUE(e2e::press_keys({"m"}));
    shownDialog("Messages");
    screenshotWhen("frame_wheeled_stopped", sameAs(wheeled));
}

// "e" opens Edit Charges beside the scene with the keys in its Value field, wherever the
// pointer is; it opens again where the user left it.
TEST_F(KelvaroWindowTest, EditChargesOpensBesideTheSceneWithTheKeyboard) {
    const e2e::Image before = startWithFieldLines("dipole.txt", "before_keyed_edit");
    pressKeysOver(main_, sceneCentre.x, sceneCentre.y, {"e"});
    const e2e::WindowId edit = shownDialog("Edit Charges");
    int x = 0, y = 0, width = 0, height = 0;
    ASSERT_TRUE(display_->geometry(edit, &x, &y, &width, &height));
    EXPECT_GE(x, 50 + mainWidth);
    ASSERT_TRUE(e2e::type_text("3"));  // the pointer still over the scene
    ASSERT_TRUE(e2e::press_keys({"Return"}));
    screenshotWhen("keyed_edit", changedFrom(before));

    ASSERT_TRUE(e2e::move_window(edit, 900, 420));
    ASSERT_TRUE(e2e::wait_until([&] { return display_->geometry(edit, &x, &y, &width, &height) && x == 900 && y == 420; },
                                timeout));
    escapeDialog(edit);
    pressKeysOver(main_, sceneCentre.x, sceneCentre.y, {"e"});
    ASSERT_TRUE(display_->wait_until_viewable(edit, true, timeout));
    EXPECT_TRUE(e2e::wait_until([&] { return display_->geometry(edit, &x, &y, &width, &height) && x == 900 && y == 420; },
                                timeout))
        << x << ", " << y;
    // A click in the scene gives the keys back to the main window: "r" resets the view.
    ASSERT_TRUE(e2e::drag(main_, sceneCentre.x, sceneCentre.y, sceneCentre.x + 40, sceneCentre.y, 4));
    const e2e::Image turned = screenshotWhen("turned_beside_edit", changedFrom(before));
    ASSERT_TRUE(e2e::press_keys({"r"}));
    screenshotWhen("reset_beside_edit", changedFrom(turned));
}

// The charge list of 99 charges stays on the screen: a column of groups, each opening its
// numbers beside it. The last charge chosen there is the one Apply changes.
TEST_F(KelvaroWindowTest, TheChargeListOf99ChargesStaysOnTheScreen) {
    start();
    loadByName("cloud.txt");
    pressKeysOver(main_, sceneCentre.x, sceneCentre.y, {"e"});
    const e2e::WindowId edit = shownDialog("Edit Charges");
    ASSERT_TRUE(e2e::click(edit, chargeList.x, chargeList.y));
    const e2e::WindowId groups = display_->wait_for_shown_window("freeglut menu", timeout);
    ASSERT_NE(groups, 0u);
    int x = 0, y = 0, width = 0, height = 0;
    ASSERT_TRUE(e2e::wait_until([&] { return display_->geometry(groups, &x, &y, &width, &height) && height > 30; }, timeout));
    EXPECT_GE(y, 0);
    EXPECT_LE(y + height, 1024);
    const int entry = (height - 4) / 3;  // three groups of 33
    ASSERT_TRUE(e2e::move_pointer(groups, 10, 2 + entry * 2 + entry / 2));
    std::vector<e2e::WindowId> menus;
    ASSERT_TRUE(e2e::wait_until([&] { return (menus = display_->shown_windows("freeglut menu")).size() == 2; }, timeout));
    const e2e::WindowId numbers = menus[0] == groups ? menus[1] : menus[0];
    int nx = 0, ny = 0, nwidth = 0, nheight = 0;
    ASSERT_TRUE(e2e::wait_until([&] { return display_->geometry(numbers, &nx, &ny, &nwidth, &nheight) && nheight > 200; },
                                timeout));
    EXPECT_LE(ny + nheight, 1024);
    ASSERT_TRUE(e2e::click(numbers, 10, nheight - 2 - entry / 2));  // the last: 99
    ASSERT_TRUE(display_->wait_until_viewable(groups, false, timeout));
    typeIntoField(edit, valueField, "7");
    ASSERT_TRUE(e2e::press_keys({"Return"}));
    escapeDialog(edit);
    const std::string text = saveAndReadBack("edited.txt");
    const std::size_t last = text.rfind("charge: ");
    ASSERT_NE(last, std::string::npos);
    EXPECT_EQ(text.substr(last, 10), "charge: 7 ") << text.substr(last);
    EXPECT_NE(text.find("charges: 99\n"), std::string::npos);
}

// In the teaching style a charge is taken anywhere on its ball, also beyond the few pixels
// round its centre that its small white sphere needs.
TEST_F(KelvaroWindowTest, CtrlDragTakesATeachingBallAnywhereOnIt) {
    start({"--style", "teaching", "dipole.txt"});
    pressKeysOver(main_, sceneCentre.x, sceneCentre.y, {"f"});
    const auto redBall = [](const e2e::Image& image) {
        double x = 0, y = 0;
        int count = 0;
        for (int row = 0; row < 520; ++row) {
            for (int column = 0; column < 626; ++column) {
                const e2e::Pixel p = image.at(column, row);
                if (p.r > p.g + 80 && p.r > p.b + 80) x += column, y += row, ++count;
            }
        }
        return std::array<double, 3>{x / std::max(count, 1), y / std::max(count, 1), double(count)};
    };
    const e2e::Image before = screenshotWhen("teaching_ball_fitted", [&](const e2e::Image& image) {
        return redBall(image)[2] > 400;  // a ball of about 13 pixels' radius
    });
    const auto [bx, by, area] = redBall(before);
    const int fromX = static_cast<int>(bx) + 9, fromY = static_cast<int>(by);
    ASSERT_EQ(e2e::run_command({"xdotool", "keydown", "ctrl"}), 0);
    ASSERT_TRUE(e2e::drag(main_, fromX, fromY, fromX - 40, fromY - 50, 6));
    ASSERT_EQ(e2e::run_command({"xdotool", "keyup", "ctrl"}), 0);
    const e2e::Image moved = screenshotWhen("teaching_ball_dragged", [&](const e2e::Image& image) {
        return std::abs(redBall(image)[1] - by) > 20;
    });
    EXPECT_LT(redBall(moved)[0], bx - 20);
    pressKeysOver(main_, sceneCentre.x, sceneCentre.y, {"ctrl+z"});
    screenshotWhen("teaching_ball_back", sameAs(before));
    (void)area;
}

// A click on OK while the file list's drop-down is open closes it and presses OK.
TEST_F(KelvaroWindowTest, OkPressedWhileTheDropDownIsOpenLoads) {
    start();
    const e2e::WindowId dialog = openDialog(loadButton, "Load Model File");
    typeIntoField(dialog, {95, 70}, "dipole.txt");
    ASSERT_TRUE(e2e::click(dialog, 150, 30));
    const e2e::WindowId menu = display_->wait_for_shown_window("freeglut menu", timeout);
    ASSERT_NE(menu, 0u);
    int x = 0, y = 0, width = 0, height = 0;
    ASSERT_TRUE(display_->geometry(dialog, &x, &y, &width, &height));
    ASSERT_TRUE(e2e::click(dialog, 60, height - 28));
    EXPECT_TRUE(display_->wait_until_viewable(dialog, false, timeout));
    EXPECT_TRUE(display_->wait_until_viewable(menu, false, timeout));
    screenshotWhen("loaded_past_the_drop_down", modelShown);
}

// Save Model As adds ".txt" to a bare name, and the load dialog lists the new file the
// next time it opens.
TEST_F(KelvaroWindowTest, ASavedModelGetsTxtAndTheLoadListShowsIt) {
    start({"dipole.txt"});
    const auto menuHeight = [&] {
        const e2e::WindowId dialog = openDialog(loadButton, "Load Model File");
        EXPECT_TRUE(e2e::click(dialog, 150, 30));
        const e2e::WindowId menu = display_->wait_for_shown_window("freeglut menu", timeout);
        int x = 0, y = 0, width = 0, height = 0;
        EXPECT_TRUE(e2e::wait_until([&] { return display_->geometry(menu, &x, &y, &width, &height) && height > 30; },
                                    timeout));
        EXPECT_TRUE(e2e::click(dialog, 20, 100));  // closes the drop-down
        EXPECT_TRUE(display_->wait_until_viewable(menu, false, timeout));
        closeDialog(dialog, false);
        return height;
    };
    const int before = menuHeight();
    pressKeysOver(main_, sceneCentre.x, sceneCentre.y, {"ctrl+s"});
    const e2e::WindowId save = shownDialog("Save Model As");
    ASSERT_TRUE(e2e::type_text("mymodel"));
    ASSERT_TRUE(e2e::press_keys({"Return"}));
    ASSERT_TRUE(program_->wait_for_output("Model saved as mymodel.txt.\n", timeout)) << program_->output();
    ASSERT_TRUE(display_->wait_until_viewable(save, false, timeout));
    std::string head;
    std::getline(std::ifstream(workDirectory_ / "mymodel.txt"), head);
    EXPECT_EQ(head, "\\\\ Two equal and opposite charges: field lines run from + to -.") << "the head of dipole.txt";
    const int after = menuHeight();
    EXPECT_EQ(after - before, (before - 4) / 5) << "one entry more than the five of the folder at start";
}

// kelvaro FILE opens with the model; the look is remembered between runs in the folder
// of XDG_CONFIG_HOME, and --style overrides it for one run.
TEST_F(KelvaroWindowTest, TheCommandLineLoadsAModelAndTheLookIsRemembered) {
    const auto ticked = [](const e2e::Image& image) {
        return image.count({0, 0, 0}, 0, teachingCheckBox.x - 4, teachingCheckBox.y - 4, teachingCheckBox.x + 4,
                           teachingCheckBox.y + 4) > 6;
    };
    start({"missing.txt"});
    EXPECT_TRUE(program_->wait_for_output("Could not open file missing.txt.\n", timeout));
    screenshotWhen("started_with_a_missing_file", [](const e2e::Image& image) { return sceneEmpty(image) && messageShown(image); });
    pressKeysOver(main_, sceneCentre.x, sceneCentre.y, {"t"});
    screenshotWhen("teaching_chosen", ticked);
    ASSERT_TRUE(e2e::press_keys({"q"}));
    ASSERT_EQ(program_->wait_for_exit(timeout), 0);

    start({"dipole.txt"});
    screenshotWhen("teaching_remembered", [&](const e2e::Image& image) { return ticked(image) && modelShown(image); });
    ASSERT_TRUE(e2e::press_keys({"q"}));
    ASSERT_EQ(program_->wait_for_exit(timeout), 0);
    start({"--style", "plain"});
    const e2e::Image plain = screenshotWhen("plain_for_one_run", [&](const e2e::Image& image) { return !ticked(image); });
    EXPECT_FALSE(ticked(plain));
}

}  // namespace
