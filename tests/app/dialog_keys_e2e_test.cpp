// End-to-end tests of the dialogs as people use them: Return and Esc, and the file list's
// first drop-down, with real X input under Xvfb.
#include <gtest/gtest.h>

#include <string>

#include "tests/app/kelvaro_e2e_fixture.h"

namespace {

using namespace kelvaro_e2e;

const Place nameField{95, 70};

class DialogKeysTest : public KelvaroTest {
protected:
    // Presses keys with the pointer over `dialog`: keys reach the window under the pointer,
    // and the main window's own Esc ends the program.
    void pressIn(e2e::WindowId dialog, const std::vector<std::string>& keys) {
        ASSERT_TRUE(e2e::move_pointer(dialog, 120, 8));
        e2e::pause(0.2);
        ASSERT_TRUE(e2e::press_keys(keys));
    }

    void expectClosed(e2e::WindowId dialog) {
        EXPECT_TRUE(display_->wait_until_viewable(dialog, false, waitSeconds_));
        e2e::pause(0.3);
    }
};

TEST_F(DialogKeysTest, ReturnPressesOkAndEscPressesCancelWhicheverControlHasTheFocus) {
    start();
    const e2e::Image empty = screenshotWhen("keys_start", sceneEmpty);

    e2e::WindowId dialog = openDialog(loadButton, "Load Model File");
    typeIntoField(dialog, nameField, "cloud.txt");
    pressIn(dialog, {"Escape"});
    expectClosed(dialog);
    EXPECT_EQ(differingPixels(empty, screenshotWhen("keys_load_cancelled", sameAs(empty))), 0);
    ASSERT_TRUE(program_->running()) << "Esc in a dialog is not the main window's Esc";

    dialog = openDialog(loadButton, "Load Model File");
    ASSERT_TRUE(e2e::click(dialog, nameField.x, nameField.y));  // the name typed before stays
    pressIn(dialog, {"Return"});
    expectClosed(dialog);
    const e2e::Image loaded = screenshotWhen("keys_loaded", chargesShown);

    dialog = openDialog(surfaceButton, "Add Equipotential Surface");
    pressIn(dialog, {"Tab", "Tab"});  // the direction list
    pressIn(dialog, {"Escape"});
    expectClosed(dialog);
    EXPECT_EQ(differingPixels(loaded, screenshotWhen("keys_surface_cancelled", sameAs(loaded))), 0);

    dialog = openDialog(fieldLinesButton, "Add Field Lines to Charge");
    pressIn(dialog, {"Return"});  // nothing focused; no seed file here
    expectClosed(dialog);
    EXPECT_TRUE(program_->wait_for_output("Cannot render field lines. Sorry.\n", timeout)) << program_->output();
    EXPECT_EQ(program_->output().rfind("Cannot render field lines. Sorry.\n", 0), 0u) << program_->output();
}

TEST_F(DialogKeysTest, TheFileListsFirstDropDownShowsEveryFile) {
    for (const char* model : {"capacitor.txt", "lexical_tour.txt", "line_of_charges.txt", "ring.txt"}) {
        fs::copy_file(fs::path(KELVARO_EXAMPLES_DIR) / model, workDirectory_ / model);
    }
    start();
    const e2e::WindowId dialog = openDialog(loadButton, "Load Model File");
    ASSERT_TRUE(e2e::click(dialog, 150, 30));
    const e2e::WindowId menu = display_->wait_for_shown_window("freeglut menu", timeout);
    ASSERT_NE(menu, 0u);

    // "Click to see files" and eight files, one under the other, drawn whole with the
    // pointer still: every row of the white left edge lit. (Drawn short, the top rows stay
    // black until the pointer moves over the list.)
    constexpr int items = 9;
    e2e::Image image;
    const auto drawnWhole = [&] {
        image = display_->capture(menu);
        for (int y = 0; y < image.height() - 3; ++y) {
            if (!e2e::near(image.at(1, y), white, 10)) return false;
        }
        return image.height() >= items * 20;
    };
    EXPECT_TRUE(e2e::wait_until(drawnWhole, timeout));
    EXPECT_TRUE(image.save_png(std::string(E2E_OUTPUT_DIR) + "/kelvaro_file_list_first_drop_down.png"));
    const int rowHeight = (image.height() - 4) / items;
    const e2e::Pixel black{0, 0, 0};
    EXPECT_GT(image.count(black, 40, 4, image.height() - 2 - rowHeight, image.width() - 4, image.height() - 3), 20)
        << "the last file's name";
    ASSERT_TRUE(e2e::click(dialog, 20, 100));  // closes the drop-down
}

}  // namespace
