// End-to-end tests of Kelvaro under Xvfb: the real program, real X input through
// xdotool, and the screen read back pixel by pixel. Each step's screenshot is kept as a
// PNG file in this test's build folder. The fixture tells where the places clicked lie.
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <memory>
#include <string>

#include "tests/app/kelvaro_e2e_fixture.h"

namespace {

using namespace kelvaro_e2e;

TEST_F(KelvaroTest, StartsWithAnEmptySceneAndBothPanels) {
    start();  // waits until both panels are drawn
    const e2e::Image image = screenshotWhen("start", sceneEmpty);
    ASSERT_EQ(image.width(), mainWidth);
    ASSERT_EQ(image.height(), mainHeight);
    EXPECT_FALSE(messageShown(image)) << "nothing to say yet";
    EXPECT_TRUE(e2e::near(image.at(loadButton.x, 6), white, 2)) << "the raised top edge of the first button";
    EXPECT_FALSE(display_->is_viewable(display_->wait_for_window("Load Model File", timeout)));
}

TEST_F(KelvaroTest, LoadingFromTheListShowsWhiteCharges) {
    start();
    const e2e::WindowId dialog = openDialog(loadButton, "Load Model File");
    screenshot("load_dialog_open");
    // The list offers broken.txt, cloud.txt, dipole.txt, quadrupole.txt after its prompt;
    // freeglut's menu has entries about 26 px tall, and may lie over OK until it closes.
    ASSERT_TRUE(e2e::click(dialog, 150, 30));
    const e2e::WindowId menu = display_->wait_for_shown_window("freeglut menu", timeout);
    ASSERT_NE(menu, 0u);
    ASSERT_TRUE(e2e::click(menu, 10, 13 + 26 * 2));
    ASSERT_TRUE(display_->wait_until_viewable(menu, false, timeout));
    closeDialog(dialog, true);
    screenshotWhen("cloud_loaded", chargesShown);
    EXPECT_EQ(program_->output(), "");
}

TEST_F(KelvaroTest, PanelsAreDisabledWhileADialogIsOpenAndCancelChangesNothing) {
    start();
    loadByName("dipole.txt");
    const e2e::Image before = screenshotWhen("dipole_loaded", modelShown);
    const e2e::WindowId dialog = openDialog(hedgehogButton, "Add Hedgehog Lines");
    // The other command buttons do nothing while a dialog is open.
    ASSERT_TRUE(e2e::click(main_, surfaceButton.x, surfaceButton.y));
    e2e::pause(0.5);
    EXPECT_FALSE(display_->is_viewable(display_->wait_for_window("Add Equipotential Surface", timeout)));
    // Disabled button labels are drawn in an embossed grey instead of black.
    const e2e::Pixel black{0, 0, 0};
    const auto labelsGreyed = [&](const e2e::Image& image) {
        return image.count(black, 10, 645, 9, 780, 112) < before.count(black, 10, 645, 9, 780, 112) - 100;
    };
    screenshotWhen("panels_disabled", labelsGreyed);
    closeDialog(dialog, false);
    const e2e::Image after = screenshotWhen("after_cancel", sameAs(before));
    EXPECT_EQ(differingPixels(before, after), 0);
    EXPECT_EQ(program_->output(), "");
}

TEST_F(KelvaroTest, AddsFieldLinesHedgehogsAndASurfaceInTheirColours) {
    withSeedFile();
    start();
    loadByName("dipole.txt");

    closeDialog(openDialog(fieldLinesButton, "Add Field Lines to Charge"), true);
    screenshotWhen("field_lines", fieldLinesShown);

    const e2e::WindowId hedgehog = openDialog(hedgehogButton, "Add Hedgehog Lines");
    typeIntoField(hedgehog, {110, 14}, "3000");
    closeDialog(hedgehog, true);
    screenshotWhen("hedgehogs", hedgehogsShown);

    const e2e::WindowId surface = openDialog(surfaceButton, "Add Equipotential Surface");
    typeIntoField(surface, {100, 14}, "5");
    closeDialog(surface, true);
    // A translucent red surface round the positive charge.
    const auto surfaceShown = [](const e2e::Image& image) {
        int reddish = 0;
        for (int y = freeTop; y <= freeBottom; ++y) {
            for (int x = freeLeft; x <= freeRight; ++x) {
                const e2e::Pixel p = image.at(x, y);
                reddish += (p.r > p.g + 40 && p.r > p.b + 40) ? 1 : 0;
            }
        }
        return reddish > 50;
    };
    screenshotWhen("surface", surfaceShown);
    EXPECT_EQ(program_->output(), "");
}

TEST_F(KelvaroTest, FailuresAreReportedOnStandardOutput) {
    start();
    loadByName("missing.txt");
    EXPECT_TRUE(program_->wait_for_output("Could not open file missing.txt.\n", timeout)) << program_->output();
    loadByName("broken.txt");
    EXPECT_TRUE(program_->wait_for_output("Failed to read in model correctly.\n", timeout)) << program_->output();
    loadByName("quadrupole.txt");
    closeDialog(openDialog(fieldLinesButton, "Add Field Lines to Charge"), true);
    EXPECT_TRUE(program_->wait_for_output("Cannot render field lines. Sorry.\n", timeout)) << program_->output();
    screenshot("failures");
    EXPECT_EQ(program_->output(),
              "Could not open file missing.txt.\n"
              "Failed to read in model correctly.\n"
              "broken.txt:2: a blank line, or a line that does not begin with a statement word (a model file has no "
              "blank lines, not even at its end) (error 37010)\n"
              "Cannot render field lines. Sorry.\n"
              "Field lines need the seed file ElectronData, which could not be opened in " +
                  workDirectory_.string() + ": No such file or directory\n");
}

// Models that make little sense load and take every visualisation, the program saying
// only where a surface lies nowhere in the box; it goes on and still draws the panels.
TEST_F(KelvaroTest, DegenerateModelsTakeEveryVisualisation) {
    withSeedFile();
    for (const char* model : {"overflowed_numbers.txt", "box_inside_charge.txt", "crowded_tiny_box.txt"}) {
        fs::copy_file(fs::path(KELVARO_DEGENERATE_MODELS_DIR) / model, workDirectory_ / model);
    }
    start();
    for (const char* model : {"overflowed_numbers.txt", "box_inside_charge.txt", "crowded_tiny_box.txt"}) {
        SCOPED_TRACE(model);
        loadByName(model);
        addEveryVisualisation("5000", "1");
        ASSERT_TRUE(program_->running());
    }
    const e2e::Image image = screenshot("degenerate_models");
    EXPECT_GT(image.count(panelGrey, 2, 626, 130, 799, 519), 150 * 350);
    for (const std::string& line : program_->lines_starting_with("")) {
        EXPECT_EQ(line.rfind("No surface at V = 1 inside the box: the potential there ", 0), 0u) << line;
    }
}

TEST_F(KelvaroTest, DollyAndSpinChangeThePicture) {
    withSeedFile();
    start();
    loadByName("quadrupole.txt");
    closeDialog(openDialog(fieldLinesButton, "Add Field Lines to Charge"), true);
    const e2e::Image before = screenshotWhen("before_dolly", fieldLinesShown);

    // The pictures are drawn exactly, so any changed pixel is a change; the margins only
    // keep a stray pixel from counting. How far a drag turns or moves the scene depends on
    // how many of its motion events a loaded machine delivers.
    ASSERT_TRUE(e2e::drag(main_, dollyControl.x, dollyControl.y, dollyControl.x, dollyControl.y - 40, 8));
    // Pushed further away, the lines cover fewer pixels.
    const auto pushedAway = [&](const e2e::Image& image) {
        return changedFrom(before)(image) &&
               countInFreeArea(image, fieldLineYellow, 40) < countInFreeArea(before, fieldLineYellow, 40);
    };
    const e2e::Image dollied = screenshotWhen("after_dolly", pushedAway);

    ASSERT_TRUE(e2e::drag(main_, spinBall.x - 10, spinBall.y, spinBall.x + 10, spinBall.y, 8));
    const e2e::Image spun = screenshotWhen("after_spin", changedFrom(dollied));
    EXPECT_GT(differingPixels(dollied, spun), 100);
    EXPECT_GT(differingPixels(spun, screenshotWhen("still_spinning", changedFrom(spun))), 100)
        << "the released ball keeps turning";
}

// The picture key saves the free area as drawn, also when pressed over a panel (which hands
// it on to the main window), and kelvaro-batch png draws the same scene in the start view
// without any display, by default at the size of that area.
TEST_F(KelvaroTest, PictureKeyAndBatchPictureShowWhatTheWindowShows) {
    withSeedFile();
    start();
    loadByName("dipole.txt");
    closeDialog(openDialog(fieldLinesButton, "Add Field Lines to Charge"), true);  // 10 per charge
    const e2e::WindowId surface = openDialog(surfaceButton, "Add Equipotential Surface");
    typeIntoField(surface, {100, 14}, "5");
    closeDialog(surface, true);  // "Leave"
    ASSERT_TRUE(e2e::move_pointer(main_, 713, 300));  // below the command buttons
    ASSERT_TRUE(e2e::press_keys({"p"}));
    ASSERT_TRUE(program_->wait_for_output("Picture saved as kelvaro-001.png.\n", timeout)) << program_->output();
    const e2e::Image saved = e2e::Image::read_png((workDirectory_ / "kelvaro-001.png").string());
    ASSERT_EQ(saved.width(), 626);
    ASSERT_EQ(saved.height(), 520);
    const e2e::Image shown = screenshotWhen("picture_key", sameAs(saved));
    EXPECT_EQ(differingPixels(shown, saved, 0), 0);

    const std::string display = std::getenv("DISPLAY");
    unsetenv("DISPLAY");
    e2e::ChildProcess batch(KELVARO_BATCH_PATH,
                            {"png", "dipole.txt", "lines", "10", "surface", "5", "leave", "-o", "batch.png"},
                            workDirectory_.string());
    setenv("DISPLAY", display.c_str(), 1);
    ASSERT_EQ(batch.wait_for_exit(timeout), 0) << batch.errors();
    const e2e::Image drawn = e2e::Image::read_png((workDirectory_ / "batch.png").string());
    ASSERT_EQ(drawn.width(), 626);
    ASSERT_EQ(drawn.height(), 520);
    EXPECT_EQ(differingPixels(shown, drawn, 0), 0);
}

TEST_F(KelvaroTest, APictureThatCannotBeWrittenIsReportedAndTheProgramGoesOn) {
    start();
    fs::remove_all(workDirectory_);
    ASSERT_TRUE(e2e::move_pointer(main_, sceneCentre.x, sceneCentre.y));
    ASSERT_TRUE(e2e::press_keys({"p"}));
    EXPECT_TRUE(program_->wait_for_output(
        "Could not save picture kelvaro-001.png: No such file or directory.\n", timeout)) << program_->output();
    ASSERT_TRUE(e2e::press_keys({"q"}));
    EXPECT_EQ(program_->wait_for_exit(timeout), 0);
}

// freeglut cannot show a menu of no items: the empty charge list before any load must
// open none and leave the dialog working.
TEST_F(KelvaroTest, ClickingTheEmptyChargeListLeavesTheDialogWorking) {
    start();
    const e2e::WindowId dialog = openDialog(fieldLinesButton, "Add Field Lines to Charge");
    ASSERT_TRUE(e2e::click(dialog, 150, 38));
    e2e::pause(0.5);
    closeDialog(dialog, false);
    ASSERT_TRUE(e2e::click(main_, quitButton.x, quitButton.y));
    EXPECT_EQ(program_->wait_for_exit(timeout), 0) << program_->errors();
    EXPECT_EQ(program_->errors(), "");
}

// A letter typed over the selected text of a numeric field is refused like any other:
// the field still shows the selected digit.
TEST_F(KelvaroTest, NumericFieldsRefuseLettersTypedOverASelection) {
    start();
    const struct {
        Place button;
        const char* title;
        Place field;
    } fields[] = {{fieldLinesButton, "Add Field Lines to Charge", {150, 14}},
                  {hedgehogButton, "Add Hedgehog Lines", {110, 14}},
                  {surfaceButton, "Add Equipotential Surface", {100, 14}}};
    for (const auto& field : fields) {
        SCOPED_TRACE(field.title);
        const e2e::WindowId dialog = openDialog(field.button, field.title);
        typeIntoField(dialog, field.field, "2");
        ASSERT_TRUE(e2e::press_keys({"shift+Home"}));
        // Selected text is white on navy. The caret at the text's start marks the digit
        // selected backwards from the old text that Ctrl+A selected before it.
        const auto selectedBackwards = [&](const e2e::Image& image) {
            int x = 0;
            while (x < image.width() && !e2e::near(image.at(x, field.field.y), {0, 0, 153}, 10)) ++x;
            return x < image.width() && e2e::near(image.at(x - 1, field.field.y), {0, 0, 0}, 10);
        };
        const e2e::Image selected = screenshotWhen("digit_selected", selectedBackwards, dialog);
        ASSERT_TRUE(e2e::type_text("x"));
        const e2e::Image typedOver = screenshot("letter_typed_over", dialog);
        EXPECT_EQ(differingPixels(selected, typedOver), 0);
        closeDialog(dialog, false);
    }
}

// Under X, Shift+Tab arrives as a key of its own (ISO_Left_Tab); it moves the focus
// backwards as Tab moves it forwards.
TEST_F(KelvaroTest, ShiftTabMovesTheFocusBackwardsInADialog) {
    start();
    const e2e::WindowId dialog = openDialog(hedgehogButton, "Add Hedgehog Lines");
    ASSERT_TRUE(e2e::move_pointer(dialog, 5, 40));
    // Tab reaches the count field first; backwards from it comes Cancel, which Space presses.
    ASSERT_TRUE(e2e::press_keys({"Tab", "shift+Tab", "space"}));
    EXPECT_TRUE(display_->wait_until_viewable(dialog, false, timeout));
    EXPECT_EQ(program_->output(), "");
}

TEST_F(KelvaroTest, UpperCaseQKeepsRunningAndLowerCaseQEnds) {
    start();
    ASSERT_TRUE(e2e::move_pointer(main_, sceneCentre.x, sceneCentre.y));
    ASSERT_TRUE(e2e::press_keys({"Q"}));
    EXPECT_EQ(program_->wait_for_exit(1.0), -1);
    ASSERT_TRUE(e2e::press_keys({"q"}));
    EXPECT_EQ(program_->wait_for_exit(timeout), 0);
}

TEST_F(KelvaroTest, EscapeEndsWithStatusZero) {
    start();
    ASSERT_TRUE(e2e::move_pointer(main_, sceneCentre.x, sceneCentre.y));
    ASSERT_TRUE(e2e::press_keys({"Escape"}));
    EXPECT_EQ(program_->wait_for_exit(timeout), 0);
}

TEST_F(KelvaroTest, QuitEndsWithStatusZeroEvenRightAfterALoad) {
    start();
    loadByName("dipole.txt");
    ASSERT_TRUE(e2e::click(main_, quitButton.x, quitButton.y));
    EXPECT_EQ(program_->wait_for_exit(timeout), 0);
}

TEST_F(KelvaroTest, ClosingTheMainWindowEndsWithStatusZero) {
    start();
    loadByName("dipole.txt");
    display_->request_close(main_);
    EXPECT_EQ(program_->wait_for_exit(timeout), 0);
    EXPECT_EQ(program_->errors(), "");
}

// Closing a dialog's window, as a window manager's close button does, acts as its Cancel:
// the program, its scene and the panels stay, and the dialog opens again with what the
// user typed and works.
TEST_F(KelvaroTest, ClosingADialogWindowActsAsItsCancel) {
    withSeedFile();
    start();
    loadByName("dipole.txt");
    const e2e::Image before = screenshotWhen("before_closing_a_dialog", modelShown);
    const e2e::WindowId dialog = openDialog(hedgehogButton, "Add Hedgehog Lines");
    typeIntoField(dialog, {110, 14}, "3000");
    display_->request_close(dialog);
    ASSERT_TRUE(display_->wait_until_viewable(dialog, false, timeout));
    const e2e::Image after = screenshotWhen("after_closing_a_dialog", sameAs(before));
    ASSERT_TRUE(program_->running()) << program_->errors();
    EXPECT_EQ(differingPixels(before, after), 0);

    closeDialog(openDialog(hedgehogButton, "Add Hedgehog Lines"), true);
    screenshotWhen("dialog_reopened", hedgehogsShown);
    ASSERT_TRUE(e2e::click(main_, quitButton.x, quitButton.y));
    EXPECT_EQ(program_->wait_for_exit(timeout), 0);
    EXPECT_EQ(program_->output(), "");
    EXPECT_EQ(program_->errors(), "");
}

// An open dialog that went behind the main window comes back to the top when the user
// clicks the greyed panels or the scene, and a window manager is asked to keep it above.
TEST_F(KelvaroTest, AClickOnTheGreyedPanelsOrTheSceneRaisesTheOpenDialog) {
    start();
    const e2e::WindowId dialog = openDialog(hedgehogButton, "Add Hedgehog Lines");
    EXPECT_EQ(display_->transient_for(dialog), main_);
    for (const Place place : {loadButton, sceneCentre, dollyControl}) {
        ASSERT_TRUE(e2e::raise_window(main_));
        ASSERT_TRUE(e2e::wait_until([&] { return display_->is_above(main_, dialog); }, timeout));
        ASSERT_TRUE(e2e::click(main_, place.x, place.y));
        EXPECT_TRUE(e2e::wait_until([&] { return display_->is_above(dialog, main_); }, timeout))
            << "after a click at " << place.x << ", " << place.y;
    }
    closeDialog(dialog, false);
    EXPECT_EQ(program_->output(), "");
}

// After OK the dialog is drawn once more, OK released, before the builder starts: only the
// busy cursor says that work goes on. The dialog hides when the build is done.
TEST_F(KelvaroTest, OkIsDrawnReleasedWhileTheBuilderWorks) {
    withSeedFile();
    start();
    loadByName("cloud.txt");
    const e2e::WindowId dialog = openDialog(fieldLinesButton, "Add Field Lines to Charge");
    typeIntoField(dialog, {150, 14}, "100");
    int x = 0, y = 0, width = 0, height = 0;
    ASSERT_TRUE(display_->geometry(dialog, &x, &y, &width, &height));
    // A released button has a white top edge; a pressed one a black outline.
    const auto okLooksReleased = [&](const e2e::Image& image) {
        return image.count(white, 2, 20, height - 35, 100, height - 35) > 70;
    };
    ASSERT_TRUE(e2e::mouse_down(dialog, 60, height - 28));
    ASSERT_FALSE(okLooksReleased(display_->capture_when(
        dialog, [&](const e2e::Image& image) { return !okLooksReleased(image); }, timeout)));
    ASSERT_TRUE(e2e::mouse_up());
    bool releasedWhileShown = false;
    const bool hidden = e2e::wait_until(
        [&] {
            const bool looksReleased = okLooksReleased(display_->capture(dialog));
            const bool shown = display_->is_viewable(dialog);
            releasedWhileShown = releasedWhileShown || (shown && looksReleased);
            return !shown;
        },
        timeout);
    EXPECT_TRUE(hidden);
    EXPECT_TRUE(releasedWhileShown);
    // A frame of 9900 lines takes a while on a loaded machine (and under the sanitizers).
    const auto manyLines = [](const e2e::Image& image) { return countInFreeArea(image, fieldLineYellow, 30) > 1000; };
    screenshotWhen("many_field_lines", manyLines);
}

// Under a real window manager: the dialog stays above the main window when that is
// raised or clicked, the close button of its title bar acts as Cancel, and the main
// window's ends the program with status 0.
TEST_F(KelvaroTest, UnderAWindowManagerDialogsStayAboveAndTheirCloseButtonCancels) {
    withSeedFile();
    startWindowManager();
    start();
    loadByName("dipole.txt");
    const e2e::WindowId dialog = openDialog(hedgehogButton, "Add Hedgehog Lines");
    typeIntoField(dialog, {110, 14}, "3000");
    // The window manager restacks the windows when it gets round to it: the pauses give a
    // wrong stacking time to show, the waits give the right one time to come.
    const auto dialogAbove = [&] { return display_->is_above(dialog, main_); };
    ASSERT_TRUE(e2e::raise_window(main_));
    e2e::pause(0.5);
    EXPECT_TRUE(e2e::wait_until(dialogAbove, timeout));
    ASSERT_TRUE(e2e::click(main_, sceneCentre.x, sceneCentre.y));
    e2e::pause(0.5);
    EXPECT_TRUE(e2e::wait_until(dialogAbove, timeout));
    screenshot("window_manager_dialog", display_->top_level(main_));

    clickCloseButton(dialog);
    ASSERT_TRUE(display_->wait_until_viewable(dialog, false, timeout));
    e2e::pause(0.5);
    ASSERT_TRUE(program_->running()) << program_->errors();
    closeDialog(openDialog(hedgehogButton, "Add Hedgehog Lines"), true);
    screenshotWhen("window_manager_hedgehogs", hedgehogsShown);

    clickCloseButton(main_);
    EXPECT_EQ(program_->wait_for_exit(timeout), 0);
    EXPECT_EQ(program_->output(), "");
    EXPECT_EQ(program_->errors(), "");
}

#ifdef KELVARO_MEMCHECK
// A whole session under valgrind's memcheck: load, every visualisation (a plane with its
// field lines too, and the charge labels), a second load that replaces the scene, then Quit. memcheck.sh makes valgrind end with status 99 on any
// invalid access or on any definite or indirect leak at exit.
TEST_F(KelvaroTest, WholeSessionUnderMemcheckIsClean) {
    withSeedFile();
    const std::string log = (workDirectory_ / "memcheck.log").string();
    constexpr double slowWait = 240.0;
    startUnder(KELVARO_MEMCHECK, {log, KELVARO_PATH}, slowWait);
    loadByName("dipole.txt");
    addEveryVisualisation("2000", "5");
    const e2e::WindowId plane = openDialog(addPlaneButton, "Add Plane");
    typeIntoField(plane, {120, 108}, "4");
    closeDialog(plane, true);
    ASSERT_TRUE(e2e::click(main_, chargeLabelsBox.x, chargeLabelsBox.y));
    loadByName("cloud.txt");
    closeDialog(openDialog(fieldLinesButton, "Add Field Lines to Charge"), true);
    screenshot("memcheck_session");
    ASSERT_TRUE(e2e::click(main_, quitButton.x, quitButton.y));
    const int status = program_->wait_for_exit(slowWait);
    std::ifstream logFile(log);
    const std::string report((std::istreambuf_iterator<char>(logFile)), std::istreambuf_iterator<char>());
    EXPECT_EQ(status, 0) << report;
    EXPECT_NE(report.find("ERROR SUMMARY: 0 errors"), std::string::npos) << report;
    EXPECT_EQ(program_->output(), "");
}
#endif

TEST(KelvaroStart, WithoutADisplayItFailsAtOnce) {
    const char* saved = std::getenv("DISPLAY");
    const std::string display = saved ? saved : "";
    unsetenv("DISPLAY");
    e2e::ChildProcess program(KELVARO_PATH, {});
    setenv("DISPLAY", ":4321", 1);  // no server there
    e2e::ChildProcess elsewhere(KELVARO_PATH, {});
    if (display.empty()) {
        unsetenv("DISPLAY");
    } else {
        setenv("DISPLAY", display.c_str(), 1);
    }
    EXPECT_EQ(program.wait_for_exit(timeout), 1);
    EXPECT_EQ(program.errors(),
              "Fatal Error: MFC initialization failed\nNo X display could be opened: DISPLAY is not set.\n");
    EXPECT_EQ(program.output(), "");
    EXPECT_EQ(elsewhere.wait_for_exit(timeout), 1);
    EXPECT_EQ(elsewhere.errors(),
              "Fatal Error: MFC initialization failed\nNo X display could be opened at DISPLAY=:4321.\n");
}

}  // namespace
