// Charge edits, the scene built again from the remembered requests, hiding and showing,
// removing, and the undo history, without a window: every scene is compared to the bit
// (through its exact form) with the scene that loading a file with the same charges and
// asking for the same requests gives.
#include "app/session.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
#include <optional>
#include <vector>

#include "app/charge_drag.h"
#include "tests/app/session_fixture.h"
#include "tests/support/scene_checks.h"
#include "viz/hedgehog.h"

namespace kelvaro {
namespace {

namespace fs = std::filesystem;
using testing::exactForm;
using testing::firstDifference;

using Kind = VisualisationRequest::Kind;
const VisualisationRequest fieldLines{Kind::FieldLines, 20};
const VisualisationRequest surface{Kind::Surface, 0, 5.0f, 0};
VisualisationRequest hedgehog(int count) { return {Kind::Hedgehog, count}; }

class SessionEditsTest : public FreshSession {
protected:
    void SetUp() override {
        FreshSession::SetUp();
        fs::copy_file(fs::path(KELVARO_EXAMPLES_DIR) / "ElectronData", "ElectronData");
    }

    void load(const fs::path& path) { ASSERT_EQ(session.load(path.string()), LoadOutcome::Loaded) << path; }
    void loadText(const std::string& text) {
        write("model.txt", text);
        load("model.txt");
    }
    void add(const std::vector<VisualisationRequest>& requests) {
        for (const VisualisationRequest& request : requests) ASSERT_TRUE(session.add(request));
    }
    std::vector<Charge> presentCharges() const {
        return {session.model()->charges().begin(), session.model()->charges().end()};
    }
    // A model file with the session's box and flags and `charges`, written here with nine
    // significant digits (not by the program's writer).
    std::string fileWith(const std::vector<Charge>& charges) const {
        const ABox& box = session.model()->bounds();
        char line[200];
        std::snprintf(line, sizeof line, "BOUNDS FROM %.9g, %.9g, %.9g TO %.9g, %.9g, %.9g\n", box.min.x, box.min.y,
                      box.min.z, box.max.x, box.max.y, box.max.z);
        std::string text = line;
        if (session.model()->axesOn()) text += "AXES ON\n";
        for (const Charge& charge : charges) {
            std::snprintf(line, sizeof line, "POINT %.9g AT %.9g, %.9g, %.9g\n", charge.value, charge.position.x,
                          charge.position.y, charge.position.z);
            text += line;
        }
        return text;
    }
};

// The exact form of the scene that reading `text` and building `requests` in order gives,
// hedgehogs drawing one after the other from a generator at `generatorState`; the
// requests whose `hidden` is set are built but left out of the scene. The groups are held
// here too, as the session's list holds them.
std::string reloadedSceneForm(const std::string& text, const std::vector<VisualisationRequest>& requests,
                              std::uint32_t generatorState, const std::vector<bool>& hidden = {}) {
    std::FILE* file = fmemopen(const_cast<char*>(text.data()), text.size(), "r");
    const Model model(file);
    std::fclose(file);
    const Ref<Group> scene = model.buildModelGeometry();
    Random15 generator(generatorState);
    std::vector<Ref<Group>> held;
    for (std::size_t i = 0; i < requests.size(); ++i) {
        held.push_back(buildRequest(requests[i], model, &generator));
        if (i >= hidden.size() || !hidden[i]) scene->add(*held.back());
    }
    return exactForm(*scene);
}

TEST_F(SessionEditsTest, EditedChargesGiveTheSceneOfALoadedFileOnEveryExample) {
    for (const auto& entry : fs::directory_iterator(KELVARO_EXAMPLES_DIR)) {
        if (entry.path().extension() != ".txt") continue;
        SCOPED_TRACE(entry.path().filename().string());
        load(entry.path());
        const std::uint32_t atLoad = session.nextHedgehogState();
        const std::vector<VisualisationRequest> requests{fieldLines, hedgehog(1000), surface};
        add(requests);
        ASSERT_TRUE(session.setHidden(1, true));  // the hedgehog stays out until it is shown

        const Vector3 low = session.model()->bounds().min, high = session.model()->bounds().max;
        std::vector<Charge> charges = presentCharges();
        charges[0] = {2.5, {low.x, 0.25f * high.y, 0.1f}};  // a charge on the box's face
        ASSERT_TRUE(session.editCharges(charges));
        EXPECT_EQ(firstDifference(reloadedSceneForm(fileWith(charges), requests, atLoad, {false, true}),
                                  exactForm(*session.scene())),
                  "");

        charges.pop_back();
        charges.push_back({-0.75, {0.5f * high.x, high.y, 0.3f * low.z}});
        ASSERT_TRUE(session.editCharges(charges));
        ASSERT_TRUE(session.setHidden(1, false));
        EXPECT_EQ(firstDifference(reloadedSceneForm(fileWith(charges), requests, atLoad), exactForm(*session.scene())),
                  "");

        ASSERT_TRUE(session.editCharges(std::vector<Charge>{}));  // no charges left: the axes alone
        EXPECT_EQ(firstDifference(reloadedSceneForm(fileWith({}), requests, atLoad), exactForm(*session.scene())), "");
    }
}

// A plane and lines coloured by strength are built again with the others when a charge
// moves, as a load of the moved charges builds them, also once a charge has left the plane
// (and with it the field lines round it).
TEST_F(SessionEditsTest, PlanesAndColouredLinesFollowAMovedCharge) {
    load(fs::path(KELVARO_EXAMPLES_DIR) / "dipole.txt");
    const std::uint32_t atLoad = session.nextHedgehogState();
    VisualisationRequest plane{Kind::Plane};
    plane.plane.offset = 0.0f;
    plane.plane.linesPerCharge = 8;
    plane.strengthColours = true;
    VisualisationRequest lines = fieldLines;
    lines.proportional = lines.strengthColours = true;
    const std::vector<VisualisationRequest> requests{plane, lines};
    add(requests);
    std::vector<Charge> charges = presentCharges();
    charges[1] = {-2.0, {0.5f, 0.25f, 0.0f}};
    ASSERT_TRUE(session.editCharges(charges));
    EXPECT_EQ(firstDifference(reloadedSceneForm(fileWith(charges), requests, atLoad), exactForm(*session.scene())), "");
    charges[1].position.z = 0.5f;  // out of the plane
    ASSERT_TRUE(session.editCharges(charges));
    EXPECT_EQ(firstDifference(reloadedSceneForm(fileWith(charges), requests, atLoad), exactForm(*session.scene())), "");
}

// A box so small that the charges fill much of it: how many samples fall inside a charge
// changes with every move, so each hedgehog's draws start where the ones before it end,
// for the hidden ones too, in whatever order the list now has.
TEST_F(SessionEditsTest, HedgehogsCarryTheGeneratorThroughTheListAsAReloadDoes) {
    loadText("BOUNDS FROM 0, 0, 0 TO 1, 1, 1\nPOINT 1 AT 0.5, 0.5, 0.5\n");
    ASSERT_TRUE(session.add(hedgehog(7)));  // the crowded model's generator does not start at 1
    loadText("BOUNDS FROM -0.02, -0.02, -0.02 TO 0.02, 0.02, 0.02\n"
             "POINT 1 AT -0.01, 0, 0\nPOINT -2 AT 0.01, 0.005, 0\nPOINT 0.5 AT 0, -0.01, 0.01\n");
    const std::uint32_t atLoad = session.nextHedgehogState();
    ASSERT_NE(atLoad, 1u);
    std::vector<VisualisationRequest> requests{hedgehog(300), surface, hedgehog(200), hedgehog(100)};
    add(requests);
    const auto expectReload = [&](const std::vector<bool>& hidden) {
        EXPECT_EQ(firstDifference(reloadedSceneForm(fileWith(presentCharges()), requests, atLoad, hidden),
                                  exactForm(*session.scene())),
                  "");
    };
    std::vector<Charge> charges = presentCharges();
    charges[0].position = {-0.015f, -0.012f, 0.004f};
    ASSERT_TRUE(session.editCharges(charges));
    expectReload({});

    ASSERT_TRUE(session.setHidden(0, true));
    charges[1].position = {0.012f, -0.015f, -0.01f};
    ASSERT_TRUE(session.editCharges(charges));
    expectReload({true, false, false, false});

    ASSERT_TRUE(session.removeVisualisation(2));
    requests.erase(requests.begin() + 2);
    expectReload({true, false, false});

    ASSERT_TRUE(session.undo());  // the removal: the hedgehog comes back in its place
    requests.insert(requests.begin() + 2, hedgehog(200));
    expectReload({true, false, false, false});

    // The next hedgehog goes on from where the list's last one ends, as after a reload.
    ASSERT_TRUE(session.add(hedgehog(50)));
    requests.push_back(hedgehog(50));
    expectReload({true, false, false, false, false});
}

TEST_F(SessionEditsTest, UndoAndRedoGiveBackEachSceneExactly) {
    load(fs::path(KELVARO_EXAMPLES_DIR) / "dipole.txt");
    add({hedgehog(500), {Kind::Surface, 0, 5.0f, 1}});
    const std::string loaded = exactForm(*session.scene());
    std::vector<Charge> charges = presentCharges();
    charges[1].position = {0.5f, 0.75f, 0.0f};
    ASSERT_TRUE(session.editCharges(charges));
    EXPECT_FALSE(session.editCharges(charges)) << "the same charges again are no step";
    const std::string moved = exactForm(*session.scene());
    ASSERT_TRUE(session.removeVisualisation(0));
    const std::string removed = exactForm(*session.scene());
    EXPECT_EQ(session.visualisations().size(), 1u);

    ASSERT_TRUE(session.undo());
    EXPECT_EQ(firstDifference(moved, exactForm(*session.scene())), "");
    ASSERT_TRUE(session.undo());
    EXPECT_EQ(firstDifference(loaded, exactForm(*session.scene())), "");
    ASSERT_TRUE(session.undo());  // the surface's addition
    ASSERT_TRUE(session.undo());  // the hedgehog's
    EXPECT_TRUE(session.visualisations().empty());
    EXPECT_FALSE(session.undo());
    for (int step = 0; step < 4; ++step) ASSERT_TRUE(session.redo());
    EXPECT_EQ(firstDifference(removed, exactForm(*session.scene())), "");
    EXPECT_FALSE(session.redo());

    ASSERT_TRUE(session.undo());
    charges[0].value = 3.0;
    ASSERT_TRUE(session.editCharges(charges));
    EXPECT_FALSE(session.redo()) << "a new step drops what was undone";
}

TEST_F(SessionEditsTest, TheHistoryKeepsTheLastHundredSteps) {
    loadText("BOUNDS FROM -1, -1, -1 TO 1, 1, 1\nPOINT 1 AT 0, 0, 0\n");
    for (int value = 2; value <= 102; ++value) {  // 101 steps
        ASSERT_TRUE(session.editCharges(std::vector<Charge>{{static_cast<double>(value), {0, 0, 0}}}));
    }
    int undone = 0;
    while (session.undo()) ++undone;
    EXPECT_EQ(undone, 100);
    EXPECT_EQ(session.model()->charges()[0].value, 2.0) << "the first step is forgotten";
}

// Many moves build only the latest; the drag stops at the box's face and is one step.
TEST_F(SessionEditsTest, ADragBuildsTheLatestPlaceOnlyAndIsOneStep) {
    loadText("BOUNDS FROM -1, -1, -1 TO 1, 1, 1\nPOINT 1 AT 0, 0, 0\nPOINT -1 AT 0.5, 0, 0\n");
    const std::string loaded = exactForm(*session.scene());
    ChargeDrag drag;
    ASSERT_TRUE(drag.begin(session, 0));
    for (int i = 1; i <= 50; ++i) drag.moveTo({0.01f * i, 0.0f, 0.0f});
    const Group* before = session.scene();
    ASSERT_TRUE(drag.buildWaiting());
    EXPECT_NE(session.scene(), before);
    EXPECT_EQ(session.model()->charges()[0].position.x, 0.5f);
    EXPECT_FALSE(drag.buildWaiting()) << "nothing waits";

    drag.moveTo({0.2f, 3.0f, -7.0f});
    EXPECT_TRUE(drag.end());
    const Vector3 stopped = session.model()->charges()[0].position;
    EXPECT_EQ(stopped.x, 0.2f);
    EXPECT_EQ(stopped.y, 1.0f);
    EXPECT_EQ(stopped.z, -1.0f);
    ASSERT_TRUE(session.undo());
    EXPECT_EQ(firstDifference(loaded, exactForm(*session.scene())), "");
    EXPECT_FALSE(session.undo());
    EXPECT_FALSE(drag.begin(session, 2)) << "no third charge";
}

}  // namespace
}  // namespace kelvaro
