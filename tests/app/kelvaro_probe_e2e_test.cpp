// End-to-end tests of the numbers a user reads in the real program under Xvfb: a probe
// placed by a click on a drawn surface (the Explore panel's "Probe" on) and by Probe...,
// its reading said again when a dragged charge comes to rest, and a Gauss surface's flux.
#include <gtest/gtest.h>

#include <cstdio>
#include <string>

#include "tests/app/kelvaro_e2e_fixture.h"

namespace {

using namespace kelvaro_e2e;

// The Explore panel below Save Model As..., and where the dipole's charges, at (-0.5, 0, 0)
// and (0.5, 0, 0), appear in the start view.
const Place probeCheckBox{646, 212};
const Place probeButton{706, 231};
const Place gaussSurfaceButton{706, 254};
const Place positiveCharge{282, 260};
const Place negativeCharge{344, 260};

class KelvaroProbeTest : public KelvaroTest {
protected:
    // Opens the dialog of `button` with the pointer over it, so that it gets the keys.
    e2e::WindowId openForKeys(Place button, const std::string& title) {
        const e2e::WindowId dialog = openDialog(button, title);
        int x = 0, y = 0, width = 0, height = 0;
        EXPECT_TRUE(display_->geometry(dialog, &x, &y, &width, &height));
        EXPECT_TRUE(e2e::move_pointer(dialog, width - 6, 6));
        return dialog;
    }

    // The numbers of the first line from `from` on that starts with "Probe at (": the place
    // and the potential; fails the test when none comes.
    bool probeLine(std::size_t from, double& x, double& y, double& z, double& potential) {
        if (!program_->wait_for_output("Probe at (", timeout, from)) return false;
        const std::string output = program_->output();
        const std::size_t at = output.find("Probe at (", from);
        return std::sscanf(output.c_str() + at, "Probe at (%lf, %lf, %lf): V = %lf", &x, &y, &z, &potential) == 4;
    }
};

TEST_F(KelvaroProbeTest, AClickOnASurfacePlacesAProbeThatFollowsTheCharges) {
    start();
    loadByName("dipole.txt");
    const e2e::Image loaded = screenshotWhen("dipole_for_probe", modelShown);
    const e2e::WindowId surface = openDialog(surfaceButton, "Add Equipotential Surface");
    typeIntoField(surface, {100, 14}, "1");
    closeDialog(surface, true);
    const e2e::Image drawn = screenshotWhen("surface_for_probe", changedFrom(loaded));

    // With Probe on, a click on the surface in front of the positive charge places a probe
    // on it: where the potential is 1, about half a unit towards the eye.
    ASSERT_TRUE(e2e::click(main_, probeCheckBox.x, probeCheckBox.y));
    e2e::pause(0.3);
    ASSERT_TRUE(e2e::click(main_, positiveCharge.x, positiveCharge.y));
    double x = 0, y = 0, z = 0, potential = 0;
    ASSERT_TRUE(probeLine(0, x, y, z, potential)) << program_->output();
    EXPECT_NEAR(x, -0.5, 0.02);
    EXPECT_NEAR(y, 0.0, 0.02);
    EXPECT_NEAR(z, 0.53, 0.05);
    EXPECT_NEAR(potential, 1.0, 0.02);
    const e2e::Image probed = screenshotWhen("probe_placed", changedFrom(drawn));
    const e2e::Pixel cyan{89, 230, 255};
    EXPECT_GT(probed.count(cyan, 40, positiveCharge.x, positiveCharge.y - 60, positiveCharge.x + 120,
                           positiveCharge.y),
              30)
        << "the label beside the probe";

    // The negative charge dragged away: once it rests, the probe says what it reads now.
    const std::size_t before = program_->output().size();
    ASSERT_EQ(e2e::run_command({"xdotool", "keydown", "ctrl"}), 0);
    ASSERT_TRUE(e2e::drag(main_, negativeCharge.x, negativeCharge.y, negativeCharge.x + 40, negativeCharge.y, 5));
    ASSERT_EQ(e2e::run_command({"xdotool", "keyup", "ctrl"}), 0);
    double movedX = 0, movedY = 0, movedZ = 0, moved = 0;
    ASSERT_TRUE(probeLine(before, movedX, movedY, movedZ, moved)) << program_->output();
    EXPECT_EQ(movedX, x);
    EXPECT_GT(moved, potential);  // the negative charge went farther away
}

TEST_F(KelvaroProbeTest, ProbeAndGaussSurfaceDialogsSayWhatTheyRead) {
    start();
    loadByName("dipole.txt");
    const e2e::Image loaded = screenshotWhen("dipole_for_gauss", modelShown);
    // The fields open at the box's centre (and a quarter of its side for the radius), the
    // first one's text selected: typing replaces it, Tab selects the next.
    e2e::WindowId dialog = openForKeys(probeButton, "Probe");
    ASSERT_TRUE(e2e::type_text("0.25"));
    ASSERT_TRUE(e2e::press_keys({"Return"}));
    EXPECT_TRUE(program_->wait_for_output("Probe at (0.25, 0, 0): V = -2.66667, |E| = 17.7778, E = (17.7778, 0, 0)\n",
                                          timeout))
        << program_->output();
    ASSERT_TRUE(display_->wait_until_viewable(dialog, false, timeout));

    dialog = openForKeys(gaussSurfaceButton, "Add Gauss Surface");
    ASSERT_TRUE(e2e::press_keys({"minus"}));  // xdotool would take "-0.5" for an option
    ASSERT_TRUE(e2e::type_text("0.5"));
    ASSERT_TRUE(e2e::press_keys({"Tab", "Tab", "Tab"}));
    ASSERT_TRUE(e2e::type_text("0.25"));
    ASSERT_TRUE(e2e::press_keys({"Return"}));
    EXPECT_TRUE(program_->wait_for_output("Flux through the sphere: 12.566 (enclosed charge 1 × 4πk = 12.566)\n", timeout))
        << program_->output();
    ASSERT_TRUE(display_->wait_until_viewable(dialog, false, timeout));
    screenshotWhen("gauss_surface", changedFrom(loaded));

    // A radius that is no length: told, and the dialog stays for a correction.
    dialog = openForKeys(gaussSurfaceButton, "Add Gauss Surface");
    ASSERT_TRUE(e2e::press_keys({"Tab", "Tab", "Tab"}));
    ASSERT_TRUE(e2e::type_text("0"));
    ASSERT_TRUE(e2e::press_keys({"Return"}));
    EXPECT_TRUE(program_->wait_for_output("A Gauss sphere needs a radius above 0.\n", timeout)) << program_->output();
    e2e::pause(0.3);
    EXPECT_TRUE(display_->wait_until_viewable(dialog, true, 1.0));
    escapeDialog(dialog);
}

}  // namespace
