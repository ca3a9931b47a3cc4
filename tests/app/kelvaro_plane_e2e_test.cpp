// End-to-end test of Add Plane and the charge labels in the real program under Xvfb: the
// window shows what kelvaro-batch png draws for the same requests, pixel for pixel, and an
// offset outside the box is told while the dialog stays open.
#include <gtest/gtest.h>

#include <cstdlib>
#include <string>
#include <vector>

#include "tests/app/kelvaro_e2e_fixture.h"

namespace {

using namespace kelvaro_e2e;

// Places in the Add Plane dialog: its fields, one under the other.
const Place offsetField{100, 39};
const Place linesField{120, 108};

class KelvaroPlaneTest : public KelvaroTest {
protected:
    // The picture kelvaro-batch png draws of `arguments` (after "png" and the model).
    e2e::Image batchPicture(const std::string& model, std::vector<std::string> arguments) {
        arguments.insert(arguments.begin(), {"png", model});
        arguments.insert(arguments.end(), {"-o", "batch.png"});
        const std::string display = std::getenv("DISPLAY");
        unsetenv("DISPLAY");
        e2e::ChildProcess batch(KELVARO_BATCH_PATH, arguments, workDirectory_.string());
        setenv("DISPLAY", display.c_str(), 1);
        EXPECT_EQ(batch.wait_for_exit(timeout), 0) << batch.errors();
        return e2e::Image::read_png((workDirectory_ / "batch.png").string());
    }
};

TEST_F(KelvaroPlaneTest, AddPlaneShowsTheTextbookDipoleAndTellsAnOffsetOutsideTheBox) {
    withSeedFile();
    start();
    loadByName("dipole.txt");
    const e2e::Image before = screenshotWhen("before_plane", modelShown);

    e2e::WindowId dialog = openDialog(addPlaneButton, "Add Plane");
    typeIntoField(dialog, linesField, "8");
    closeDialog(dialog, true);
    const e2e::Image expected = batchPicture("dipole.txt", {"plane", "z", "0", "fieldlines", "8"});
    const e2e::Image plane = screenshotWhen("plane_added", sameAs(expected));
    EXPECT_EQ(differingPixels(expected, plane, 0), 0);
    EXPECT_GT(differingPixels(before, plane), 10000) << "the colours of the potential";

    ASSERT_TRUE(e2e::click(main_, chargeLabelsBox.x, chargeLabelsBox.y));
    const e2e::Image labelled = batchPicture("dipole.txt", {"plane", "z", "0", "fieldlines", "8", "--labels"});
    screenshotWhen("plane_labelled", sameAs(labelled));
    EXPECT_GT(differingPixels(plane, labelled), 20) << "+1 and -1 beside the charges";

    dialog = openDialog(addPlaneButton, "Add Plane");
    typeIntoField(dialog, offsetField, "5");
    int x = 0, y = 0, width = 0, height = 0;
    ASSERT_TRUE(display_->geometry(dialog, &x, &y, &width, &height));
    ASSERT_TRUE(e2e::click(dialog, 60, height - 28));
    EXPECT_TRUE(program_->wait_for_output("The plane z = 5 lies outside the box (z from -1.5 to 1.5).\n", timeout))
        << program_->output();
    EXPECT_TRUE(display_->wait_until_viewable(dialog, true, timeout)) << "the dialog stays open to be mended";
    closeDialog(dialog, false);
    screenshotWhen("plane_unchanged", sameAs(labelled));
}

}  // namespace
