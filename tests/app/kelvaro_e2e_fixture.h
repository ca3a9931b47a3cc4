// The fixture of Kelvaro's end-to-end tests: the real program started under Xvfb in a
// folder of its own that holds some example models, driven with real X input, its windows
// read back pixel by pixel.
//
// Places in the 800 x 657 main window, from the layout of its panels:
//   the command panel fills x 626..799; its buttons are centred at x 713, 23 px apart
//   from y 16, the Explore panel's from y 148; the view panel fills y 520..599 with the Spin ball centred at (30, 551)
//   and the translation controls centred at y 553, 62 px apart from x 77, Reset View and
//   Fit at x 438 (y 556 and 579); the message line fills y 600..656, its Messages... button
//   at (56, 616) and its three rows of text from x 118; the free area where the scene is
//   drawn is x 0..625, y 0..519.
// Dialogs have no window manager to place them: those that wait for an answer open at the
// screen's top-left, their OK and Cancel buttons 28 px above the bottom edge at x 60 and
// 172; Edit Charges and Messages open right of the main window.
// Every test runs with XDG_CONFIG_HOME in its own folder: the program's settings never
// touch the real home.
#pragma once

#include <gtest/gtest.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "tests/support/e2e/e2e_harness.h"

namespace kelvaro_e2e {

namespace fs = std::filesystem;

inline constexpr double timeout = 20.0;

struct Place {
    int x, y;
};

inline const Place loadButton{713, 16};
inline const Place fieldLinesButton{713, 39};
inline const Place hedgehogButton{713, 62};
inline const Place surfaceButton{713, 85};
inline const Place quitButton{713, 108};
inline const Place editChargesButton{713, 148};
inline const Place visualisationsButton{713, 171};
inline const Place fitButton{438, 579};
inline const Place messagesButton{56, 616};
inline const Place addPlaneButton{713, 277};
inline const Place chargeLabelsBox{665, 296};
inline const Place spinBall{30, 551};
inline const Place dollyControl{139, 553};
inline const Place sceneCentre{313, 260};
// The free area, less the corner where dialogs open over the main window.
inline constexpr int freeLeft = 260, freeTop = 150, freeRight = 620, freeBottom = 515;

inline const char* const dialogTitles[] = {"Load Model File",      "Add Field Lines to Charge", "Add Hedgehog Lines",
                                           "Add Equipotential Surface", "Edit Charges", "Visualisations",
                                           "Save Model As", "Probe", "Add Gauss Surface", "Messages", "Add Plane"};
inline constexpr int mainWidth = 800, mainHeight = 657;

inline const e2e::Pixel background{26, 26, 26};
inline const e2e::Pixel panelGrey{200, 200, 200};
inline const e2e::Pixel white{255, 255, 255};
inline const e2e::Pixel fieldLineYellow{178, 178, 0};
inline const e2e::Pixel hedgehogOrange{255, 178, 125};

class KelvaroTest : public ::testing::Test {
protected:
    void SetUp() override {
        if (!std::getenv("DISPLAY")) GTEST_SKIP() << "needs an X display (run under xvfb-run)";
        const std::string name = ::testing::UnitTest::GetInstance()->current_test_info()->name();
        workDirectory_ = fs::temp_directory_path() / ("kelvaro-e2e-" + std::to_string(getpid()) + "-" + name);
        fs::remove_all(workDirectory_);
        fs::create_directories(workDirectory_);
        for (const char* model : {"dipole.txt", "quadrupole.txt", "cloud.txt"}) {
            fs::copy_file(fs::path(KELVARO_EXAMPLES_DIR) / model, workDirectory_ / model);
        }
        std::ofstream(workDirectory_ / "broken.txt") << "BOUNDS FROM -1, -1, -1 TO 1, 1, 1\n\nPOINT 1 AT 0, 0, 0\n";
        configDirectory_ = workDirectory_.string() + "-config";
        fs::remove_all(configDirectory_);
        setenv("XDG_CONFIG_HOME", configDirectory_.c_str(), 1);
        display_ = std::make_unique<e2e::XDisplay>();
    }

    void TearDown() override {
        program_.reset();
        windowManager_.reset();
        if (!workDirectory_.empty()) fs::remove_all(workDirectory_);
        if (!configDirectory_.empty()) fs::remove_all(configDirectory_);
    }

    void withSeedFile() {
        fs::copy_file(fs::path(KELVARO_EXAMPLES_DIR) / "ElectronData", workDirectory_ / "ElectronData");
    }

    // Runs openbox on the display until the test ends: windows get frames with title bars.
    void startWindowManager() {
        windowManager_ = std::make_unique<e2e::ChildProcess>(WINDOW_MANAGER_PATH, std::vector<std::string>{"--sm-disable"});
        ASSERT_TRUE(e2e::wait_until([&] { return display_->window_manager_running(); }, timeout))
            << windowManager_->errors();
    }

    // Clicks the close button at the right end of the title bar that openbox draws.
    void clickCloseButton(e2e::WindowId window) {
        const e2e::WindowId frame = display_->top_level(window);
        int x = 0, y = 0, width = 0, height = 0;
        ASSERT_NE(frame, window) << "no frame round the window";
        ASSERT_TRUE(display_->geometry(frame, &x, &y, &width, &height));
        ASSERT_TRUE(e2e::click(frame, width - 11, 8));
    }

    // Starts the program with `arguments` on its command line.
    void start(const std::vector<std::string>& arguments = {}) { startUnder(KELVARO_PATH, arguments); }

    // Starts `launcher` with `arguments` (which end with the program) instead of the
    // program itself; a launcher may slow everything down, so `waitSeconds` bounds each wait.
    void startUnder(const std::string& launcher, const std::vector<std::string>& arguments, double waitSeconds = timeout) {
        waitSeconds_ = waitSeconds;
        program_ = std::make_unique<e2e::ChildProcess>(launcher, arguments, workDirectory_.string());
        main_ = display_->wait_for_window("Kelvaro", waitSeconds_);
        ASSERT_NE(main_, 0u) << program_->errors();
        ASSERT_TRUE(display_->wait_until_viewable(main_, true, waitSeconds_));
        // The dialogs are made at start and hidden at once; wait until the server agrees.
        for (const char* title : dialogTitles) {
            const e2e::WindowId dialog = display_->wait_for_window(title, waitSeconds_);
            ASSERT_TRUE(display_->wait_until_viewable(dialog, false, waitSeconds_)) << title;
        }
        ASSERT_TRUE(panelsDrawn(display_->capture_when(main_, panelsDrawn, waitSeconds_))) << "the first frames";
    }

    // Whether the command panel and the view panel show their grey.
    static bool panelsDrawn(const e2e::Image& image) {
        return image.count(panelGrey, 2, 626, 130, 799, 519) > 150 * 350 &&
               image.count(panelGrey, 2, 400, 521, 799, 598) > 380 * 70;
    }

    // What the main window (or another of the program's windows) shows now.
    e2e::Image screenshot(const std::string& step, e2e::WindowId window = 0) {
        e2e::pause(0.4);  // a few frames
        return kept(step, display_->capture(window ? window : main_));
    }

    // What the main window (or `window`) shows once `shows` holds for it (a loaded machine
    // draws late); a failure of the test when it does not within the wait.
    e2e::Image screenshotWhen(const std::string& step, const std::function<bool(const e2e::Image&)>& shows,
                              e2e::WindowId window = 0) {
        const e2e::Image image = display_->capture_when(window ? window : main_, shows, waitSeconds_);
        EXPECT_TRUE(shows(image)) << step << ": not shown within " << waitSeconds_ << " s";
        return kept(step, image);
    }

    static e2e::Image kept(const std::string& step, const e2e::Image& image) {
        EXPECT_TRUE(image.save_png(std::string(E2E_OUTPUT_DIR) + "/kelvaro_" + step + ".png"));
        return image;
    }

    // Clicks a command button and answers the dialog window it opens.
    e2e::WindowId openDialog(Place button, const std::string& title) {
        EXPECT_TRUE(e2e::click(main_, button.x, button.y));
        const e2e::WindowId dialog = display_->wait_for_window(title, waitSeconds_);
        EXPECT_TRUE(display_->wait_until_viewable(dialog, true, waitSeconds_)) << title;
        e2e::pause(0.3);
        return dialog;
    }

    // Presses OK (or Cancel) and waits until the dialog has gone and a builder finished.
    void closeDialog(e2e::WindowId dialog, bool ok) {
        int x = 0, y = 0, width = 0, height = 0;
        ASSERT_TRUE(display_->geometry(dialog, &x, &y, &width, &height));
        ASSERT_TRUE(e2e::click(dialog, ok ? 60 : 172, height - 28));
        ASSERT_TRUE(display_->wait_until_viewable(dialog, false, waitSeconds_));
        e2e::pause(0.3);
    }

    // Presses keys with the pointer at (x, y) of `window`, so that the window gets them.
    static void pressKeysOver(e2e::WindowId window, int x, int y, const std::vector<std::string>& keys) {
        ASSERT_TRUE(e2e::move_pointer(window, x, y));
        ASSERT_TRUE(e2e::press_keys(keys));
    }

    // Waits until the dialog titled `title` is shown and answers it.
    e2e::WindowId shownDialog(const std::string& title) {
        const e2e::WindowId dialog = display_->wait_for_window(title, waitSeconds_);
        EXPECT_TRUE(display_->wait_until_viewable(dialog, true, waitSeconds_)) << title;
        e2e::pause(0.3);
        return dialog;
    }

    // Esc over a dialog: its Cancel (or Close); waits until the dialog has gone.
    void escapeDialog(e2e::WindowId dialog) {
        int x = 0, y = 0, width = 0, height = 0;
        ASSERT_TRUE(display_->geometry(dialog, &x, &y, &width, &height));
        pressKeysOver(dialog, width - 6, 6, {"Escape"});
        ASSERT_TRUE(display_->wait_until_viewable(dialog, false, waitSeconds_));
        e2e::pause(0.3);
    }

    // Types into the first field of a dialog, replacing what it held.
    void typeIntoField(e2e::WindowId dialog, Place field, const std::string& text) {
        ASSERT_TRUE(e2e::click(dialog, field.x, field.y));
        ASSERT_TRUE(e2e::press_keys({"ctrl+a", "ctrl+k"}));
        ASSERT_TRUE(e2e::type_text(text));
    }

    void loadByName(const std::string& name) {
        const e2e::WindowId dialog = openDialog(loadButton, "Load Model File");
        typeIntoField(dialog, {95, 70}, name);
        closeDialog(dialog, true);
    }

    // Starts the program with the seed file, loads `model` and adds field lines at the
    // dialog's default; answers the picture once they show.
    e2e::Image startWithFieldLines(const std::string& model, const std::string& step) {
        withSeedFile();
        start();
        loadByName(model);
        closeDialog(openDialog(fieldLinesButton, "Add Field Lines to Charge"), true);
        return screenshotWhen(step, fieldLinesShown);
    }

    // Ctrl+S over the scene, the name typed and Return; answers what "kelvaro-batch info"
    // reads back from the saved file.
    std::string saveAndReadBack(const std::string& name) {
        pressKeysOver(main_, sceneCentre.x, sceneCentre.y, {"ctrl+s"});
        const e2e::WindowId save = shownDialog("Save Model As");
        EXPECT_TRUE(e2e::move_pointer(save, 5, 5));
        EXPECT_TRUE(e2e::type_text(name));
        EXPECT_TRUE(e2e::press_keys({"Return"}));
        EXPECT_TRUE(program_->wait_for_output("Model saved as " + name + ".\n", waitSeconds_)) << program_->output();
        EXPECT_TRUE(display_->wait_until_viewable(save, false, waitSeconds_));
        e2e::ChildProcess info(KELVARO_BATCH_PATH, {"info", name}, workDirectory_.string());
        EXPECT_EQ(info.wait_for_exit(waitSeconds_), 0) << info.errors();
        return info.output();
    }

    // Field lines at the dialog's default, then `hedgehogLines` hedgehog lines and the
    // surface at `level`, each through its dialog and OK.
    void addEveryVisualisation(const std::string& hedgehogLines, const std::string& level) {
        closeDialog(openDialog(fieldLinesButton, "Add Field Lines to Charge"), true);
        const e2e::WindowId hedgehog = openDialog(hedgehogButton, "Add Hedgehog Lines");
        typeIntoField(hedgehog, {110, 14}, hedgehogLines);
        closeDialog(hedgehog, true);
        const e2e::WindowId surface = openDialog(surfaceButton, "Add Equipotential Surface");
        typeIntoField(surface, {100, 14}, level);
        closeDialog(surface, true);
    }

    // The dark pixels of the message line's text.
    static int messageTextPixels(const e2e::Image& image) { return image.count({0, 0, 0}, 60, 118, 602, 795, 654); }
    static bool messageShown(const e2e::Image& image) { return messageTextPixels(image) > 100; }

    static int countInFreeArea(const e2e::Image& image, e2e::Pixel colour, int tolerance) {
        return image.count(colour, tolerance, freeLeft, freeTop, freeRight, freeBottom);
    }

    // What the scene shows: nothing at all, a model (its axes at least), white charges,
    // field lines, hedgehog lines.
    static bool sceneEmpty(const e2e::Image& image) { return image.count(background, 1, 0, 0, 625, 519) == 626 * 520; }
    static bool modelShown(const e2e::Image& image) { return !sceneEmpty(image); }
    static bool chargesShown(const e2e::Image& image) { return countInFreeArea(image, white, 60) > 40; }
    static bool fieldLinesShown(const e2e::Image& image) { return countInFreeArea(image, fieldLineYellow, 30) > 200; }
    static bool hedgehogsShown(const e2e::Image& image) { return countInFreeArea(image, hedgehogOrange, 30) > 300; }

    // A test of whether the free area (its rows from `top` down) shows `expected` exactly.
    static std::function<bool(const e2e::Image&)> sameAs(const e2e::Image& expected, int top = 0) {
        return [expected, top](const e2e::Image& image) {
            return differingPixelsIn(expected, image, 0, top, 625, 519, 0) == 0;
        };
    }

    // A test of whether the free area shows a picture clearly changed from `earlier`.
    static std::function<bool(const e2e::Image&)> changedFrom(const e2e::Image& earlier) {
        return [earlier](const e2e::Image& image) { return differingPixels(earlier, image) > 100; };
    }

    // Pixels of the free area that differ by more than `tolerance` in some channel.
    static int differingPixels(const e2e::Image& a, const e2e::Image& b, int tolerance = 8) {
        return differingPixelsIn(a, b, 0, 0, 625, 519, tolerance);
    }

    // The same in the rectangle [x0, x1] x [y0, y1].
    static int differingPixelsIn(const e2e::Image& a, const e2e::Image& b, int x0, int y0, int x1, int y1,
                                 int tolerance = 8) {
        int differing = 0;
        for (int y = y0; y <= y1; ++y) {
            for (int x = x0; x <= x1; ++x) differing += e2e::near(a.at(x, y), b.at(x, y), tolerance) ? 0 : 1;
        }
        return differing;
    }

    std::unique_ptr<e2e::XDisplay> display_;
    std::unique_ptr<e2e::ChildProcess> program_;
    std::unique_ptr<e2e::ChildProcess> windowManager_;
    e2e::WindowId main_ = 0;
    fs::path workDirectory_;
    std::string configDirectory_;
    double waitSeconds_ = timeout;
};

}  // namespace kelvaro_e2e
