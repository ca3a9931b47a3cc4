// End-to-end tests of exploring a model in the real program under Xvfb: editing charges
// with the keyboard, saving the model, undo, drags in the scene, Reset View, and hiding,
// showing and removing visualisations. Pictures are compared pixel for pixel where the
// program promises the same picture.
#include <gtest/gtest.h>

#include <cstdio>
#include <string>

#include "tests/app/kelvaro_e2e_fixture.h"

namespace {

using namespace kelvaro_e2e;

// Where the dipole's first charge, at (-0.5, 0, 0), appears in the start view.
const Place firstDipoleCharge{282, 260};

using KelvaroExploreTest = KelvaroTest;

TEST_F(KelvaroExploreTest, AnEditedChargeIsSavedAndUndoBringsThePictureBack) {
    withSeedFile();
    start();
    loadByName("dipole.txt");
    closeDialog(openDialog(fieldLinesButton, "Add Field Lines to Charge"), true);
    const e2e::Image before = screenshotWhen("before_charge_edit", fieldLinesShown);

    // "e": the dialog opens with the focus in Value and its text selected; Tab selects X.
    pressKeysOver(main_, sceneCentre.x, sceneCentre.y, {"e"});
    const e2e::WindowId edit = shownDialog("Edit Charges");
    int x = 0, y = 0, width = 0, height = 0;
    ASSERT_TRUE(display_->geometry(edit, &x, &y, &width, &height));
    ASSERT_TRUE(e2e::move_pointer(edit, width - 6, 6));
    ASSERT_TRUE(e2e::type_text("2"));
    ASSERT_TRUE(e2e::press_keys({"Tab"}));
    ASSERT_TRUE(e2e::type_text("0.25"));
    ASSERT_TRUE(e2e::press_keys({"Return"}));
    screenshot("charge_edit_dialog", edit);
    escapeDialog(edit);
    const e2e::Image edited = screenshotWhen("after_charge_edit", changedFrom(before));
    EXPECT_GT(differingPixels(before, edited), 100);

    EXPECT_NE(saveAndReadBack("edited.txt").find("charges: 2\ncharge: 2 0.25 0 0\ncharge: -1 0.5 0 0\n"),
              std::string::npos);

    pressKeysOver(main_, sceneCentre.x, sceneCentre.y, {"ctrl+z"});
    screenshotWhen("after_undo", sameAs(before));
    pressKeysOver(main_, sceneCentre.x, sceneCentre.y, {"ctrl+y"});
    screenshotWhen("after_redo", sameAs(edited));
    EXPECT_EQ(program_->output(), "Model saved as edited.txt.\n");
}

// A left drag turns the view and the Spin ball with it, Shift with a left drag pans, the
// wheel dollies; "r" brings back the start picture and ball exactly.
TEST_F(KelvaroExploreTest, SceneDragsMoveTheViewAndResetViewRestoresIt) {
    withSeedFile();
    start();
    loadByName("quadrupole.txt");
    closeDialog(openDialog(fieldLinesButton, "Add Field Lines to Charge"), true);
    const e2e::Image start = screenshotWhen("before_scene_drags", fieldLinesShown);
    const auto ballPixels = [](const e2e::Image& a, const e2e::Image& b) {
        return differingPixelsIn(a, b, spinBall.x - 20, spinBall.y - 20, spinBall.x + 20, spinBall.y + 20);
    };

    ASSERT_TRUE(e2e::drag(main_, sceneCentre.x, sceneCentre.y, sceneCentre.x + 60, sceneCentre.y + 20, 8));
    const auto turnedWithBall = [&](const e2e::Image& image) {
        return changedFrom(start)(image) && ballPixels(start, image) > 20;
    };
    const e2e::Image turned = screenshotWhen("scene_turned", turnedWithBall);
    EXPECT_GT(differingPixels(start, turned), 100);
    EXPECT_GT(ballPixels(start, turned), 20) << "the Spin ball follows the turn";

    ASSERT_EQ(e2e::run_command({"xdotool", "keydown", "shift"}), 0);
    ASSERT_TRUE(e2e::drag(main_, sceneCentre.x, sceneCentre.y, sceneCentre.x - 40, sceneCentre.y, 4));
    ASSERT_EQ(e2e::run_command({"xdotool", "keyup", "shift"}), 0);
    const e2e::Image panned = screenshotWhen("scene_panned", changedFrom(turned));
    EXPECT_GT(differingPixels(turned, panned), 100);
    ASSERT_TRUE(e2e::move_pointer(main_, sceneCentre.x, sceneCentre.y));
    ASSERT_EQ(e2e::run_command({"xdotool", "click", "4", "click", "4"}), 0);
    EXPECT_GT(differingPixels(panned, screenshotWhen("scene_dollied", changedFrom(panned))), 100);

    ASSERT_TRUE(e2e::press_keys({"r"}));
    screenshotWhen("view_reset", sameAs(start));
    const auto ballAsAtStart = [&](const e2e::Image& image) { return ballPixels(start, image) == 0; };
    screenshotWhen("view_reset_ball", ballAsAtStart);
    EXPECT_EQ(program_->output(), "");
}

// Ctrl with a left drag on a charge moves it, and the field lines follow; the whole drag
// is one step that Ctrl+Z takes back.
TEST_F(KelvaroExploreTest, CtrlDragMovesAChargeAndUndoTakesTheWholeDragBack) {
    withSeedFile();
    start();
    loadByName("dipole.txt");
    closeDialog(openDialog(fieldLinesButton, "Add Field Lines to Charge"), true);
    const e2e::Image before = screenshotWhen("before_charge_drag", fieldLinesShown);
    ASSERT_EQ(e2e::run_command({"xdotool", "keydown", "ctrl"}), 0);
    ASSERT_TRUE(e2e::drag(main_, firstDipoleCharge.x, firstDipoleCharge.y, firstDipoleCharge.x - 30,
                          firstDipoleCharge.y - 60, 6));
    ASSERT_EQ(e2e::run_command({"xdotool", "keyup", "ctrl"}), 0);
    EXPECT_GT(differingPixels(before, screenshotWhen("charge_dragged", changedFrom(before))), 100);

    // Saved and read back: the charge went left and up in the plane facing the viewer
    // (z stays 0), by about the 30 and 60 pixels dragged (0.0165 units a pixel there).
    const std::string info = saveAndReadBack("dragged.txt");
    double value = 0, x = 0, y = 0, z = 1;
    const std::size_t at = info.find("charge: ");
    ASSERT_NE(at, std::string::npos) << info;
    ASSERT_EQ(std::sscanf(info.c_str() + at, "charge: %lf %lf %lf %lf", &value, &x, &y, &z), 4);
    EXPECT_EQ(value, 1.0);
    EXPECT_NEAR(x, -0.5 - 30 * 0.0165, 0.05);
    EXPECT_NEAR(y, 60 * 0.0165, 0.05);
    EXPECT_EQ(z, 0.0);

    pressKeysOver(main_, sceneCentre.x, sceneCentre.y, {"ctrl+z"});
    screenshotWhen("charge_drag_undone", sameAs(before));
    EXPECT_EQ(program_->output(), "Model saved as dragged.txt.\n");
}

// Hiding and then showing a visualisation gives the same picture; removing one takes it
// away, and Ctrl+Z brings it back.
TEST_F(KelvaroExploreTest, VisualisationsAreHiddenShownAndRemoved) {
    start();
    loadByName("dipole.txt");
    const e2e::Image bare = screenshotWhen("before_hedgehogs", modelShown);
    const e2e::WindowId hedgehog = openDialog(hedgehogButton, "Add Hedgehog Lines");
    typeIntoField(hedgehog, {110, 14}, "3000");
    closeDialog(hedgehog, true);
    const e2e::Image shown = screenshotWhen("hedgehogs_shown", hedgehogsShown);

    // The list chooses the first (and only) visualisation; Tab goes from it to Hide, Show,
    // Remove and Close, and Space presses the button.
    // The open dialog lies over the top of the free area; the scene is compared below it.
    const e2e::WindowId list = openDialog(visualisationsButton, "Visualisations");
    int x = 0, y = 0, width = 0, height = 0;
    ASSERT_TRUE(display_->geometry(list, &x, &y, &width, &height));
    pressKeysOver(list, width - 6, height / 2, {"Tab", "Tab", "space"});
    screenshotWhen("hedgehogs_hidden", sameAs(bare, freeTop));
    ASSERT_TRUE(e2e::press_keys({"Tab", "space"}));
    screenshotWhen("hedgehogs_shown_again", sameAs(shown, freeTop));
    ASSERT_TRUE(e2e::press_keys({"Tab", "space"}));
    screenshotWhen("hedgehogs_removed", sameAs(bare, freeTop));
    escapeDialog(list);

    pressKeysOver(main_, sceneCentre.x, sceneCentre.y, {"ctrl+z"});
    screenshotWhen("hedgehogs_back", sameAs(shown));
    EXPECT_EQ(program_->output(), "");
}

}  // namespace
