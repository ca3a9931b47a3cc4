// Charge edits, the scene built again from the remembered requests, hiding and showing,
// and the undo history, without a window: every scene is compared to the bit (through its
// exact form) with the scene that loading a file with the same charges and asking for the
// same requests gives.
#include "app/model_edits.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
#include <vector>

#include "app/charge_drag.h"
#include "app/session.h"
#include "tests/app/session_fixture.h"
#include "tests/support/scene_checks.h"
#include "viz/field_lines.h"
#include "viz/hedgehog.h"
#include "viz/potential_surface.h"

namespace kelvaro {
namespace {

namespace fs = std::filesystem;
using testing::exactForm;
using testing::firstDifference;

class ModelEditsTest : public FreshSession {
protected:
    void SetUp() override {
        FreshSession::SetUp();
        fs::copy_file(fs::path(KELVARO_EXAMPLES_DIR) / "ElectronData", "ElectronData");
    }

    static void load(const fs::path& path) {
        ASSERT_EQ(loadModelFile(path.c_str()), LoadOutcome::Loaded) << path;
    }
    static void loadText(const std::string& text) {
        write("model.txt", text);
        load("model.txt");
    }
};

// A model file with the current model's box and flags and `charges`, written here with
// nine significant digits (not by the program's writer).
std::string fileWith(const std::vector<Charge>& charges) {
    const ABox& box = currentModel->bounds();
    char line[200];
    std::snprintf(line, sizeof line, "BOUNDS FROM %.9g, %.9g, %.9g TO %.9g, %.9g, %.9g\n", box.min.x, box.min.y,
                  box.min.z, box.max.x, box.max.y, box.max.z);
    std::string text = line;
    if (currentModel->axesOn()) text += "AXES ON\n";
    for (const Charge& charge : charges) {
        std::snprintf(line, sizeof line, "POINT %.9g AT %.9g, %.9g, %.9g\n", charge.value, charge.position.x,
                      charge.position.y, charge.position.z);
        text += line;
    }
    return text;
}

std::vector<Charge> presentCharges() { return {currentModel->charges().begin(), currentModel->charges().end()}; }

// The exact form of the scene that loading `text` and asking for field lines (20 per
// charge), a surface at 5 (leave) and, unless `hedgehogState` is none, 1000 hedgehog
// lines from that generator state gives. The groups are held here too, as the session's
// list holds them.
std::string loadedSceneForm(const std::string& text, std::optional<std::uint32_t> hedgehogState) {
    std::FILE* file = fmemopen(const_cast<char*>(text.data()), text.size(), "r");
    const Model model(file);
    std::fclose(file);
    const Ref<Group> scene = model.buildModelGeometry();
    std::vector<Ref<Group>> held{makeFieldLines(model, 20)};
    if (hedgehogState) {
        Random15 generator(*hedgehogState);
        held.push_back(makeHedgehog(model, 1000, generator));
    }
    held.push_back(makePotentialSurface(model, 5.0, 0));
    for (const Ref<Group>& group : held) scene->add(*group);
    return exactForm(*scene);
}

TEST_F(ModelEditsTest, EditedChargesGiveTheSceneOfALoadedFileOnEveryExample) {
    for (const auto& entry : fs::directory_iterator(KELVARO_EXAMPLES_DIR)) {
        if (entry.path().extension() != ".txt") continue;
        SCOPED_TRACE(entry.path().filename().string());
        load(entry.path());
        addFieldLines(20);
        const std::uint32_t hedgehogState = hedgehogRandom().state();
        addHedgehogLines(1000);
        addPotentialSurface(5.0f, 0);
        ASSERT_TRUE(setHidden(1, true));  // the hedgehog stays out until it is shown

        const Vector3 low = currentModel->bounds().min, high = currentModel->bounds().max;
        std::vector<Charge> charges = presentCharges();
        charges[0] = {2.5, {low.x, 0.25f * high.y, 0.1f}};  // a charge on the box's face
        ASSERT_TRUE(editCharges(charges));
        EXPECT_EQ(firstDifference(loadedSceneForm(fileWith(charges), std::nullopt), exactForm(*sceneGroup)), "");

        charges.pop_back();
        charges.push_back({-0.75, {0.5f * high.x, high.y, 0.3f * low.z}});
        ASSERT_TRUE(editCharges(charges));
        ASSERT_TRUE(setHidden(1, false));
        EXPECT_EQ(firstDifference(loadedSceneForm(fileWith(charges), hedgehogState), exactForm(*sceneGroup)), "");

        ASSERT_TRUE(editCharges(std::vector<Charge>{}));  // no charges left: the axes alone
        EXPECT_EQ(firstDifference(loadedSceneForm(fileWith({}), hedgehogState), exactForm(*sceneGroup)), "");
    }
}

TEST_F(ModelEditsTest, UndoAndRedoGiveBackEachSceneExactly) {
    load(fs::path(KELVARO_EXAMPLES_DIR) / "dipole.txt");
    addHedgehogLines(500);
    addPotentialSurface(5.0f, 1);
    const std::string loaded = exactForm(*sceneGroup);
    std::vector<Charge> charges = presentCharges();
    charges[1].position = {0.5f, 0.75f, 0.0f};
    ASSERT_TRUE(editCharges(charges));
    EXPECT_FALSE(editCharges(charges)) << "the same charges again are no step";
    const std::string moved = exactForm(*sceneGroup);
    ASSERT_TRUE(removeVisualisation(0));
    const std::string removed = exactForm(*sceneGroup);
    EXPECT_EQ(visualisations.size(), 1u);

    ASSERT_TRUE(undoEdit());
    EXPECT_EQ(firstDifference(moved, exactForm(*sceneGroup)), "");
    ASSERT_TRUE(undoEdit());
    EXPECT_EQ(firstDifference(loaded, exactForm(*sceneGroup)), "");
    EXPECT_FALSE(undoEdit());
    ASSERT_TRUE(redoEdit());
    ASSERT_TRUE(redoEdit());
    EXPECT_EQ(firstDifference(removed, exactForm(*sceneGroup)), "");
    EXPECT_FALSE(redoEdit());

    ASSERT_TRUE(undoEdit());
    charges[0].value = 3.0;
    ASSERT_TRUE(editCharges(charges));
    EXPECT_FALSE(redoEdit()) << "a new step drops what was undone";

    load(fs::path(KELVARO_EXAMPLES_DIR) / "dipole.txt");
    EXPECT_TRUE(visualisations.empty());
    EXPECT_FALSE(undoEdit()) << "loading clears the history";
}

TEST_F(ModelEditsTest, TheHistoryKeepsTheLastHundredSteps) {
    loadText("BOUNDS FROM -1, -1, -1 TO 1, 1, 1\nPOINT 1 AT 0, 0, 0\n");
    for (int value = 2; value <= 102; ++value) {  // 101 steps
        ASSERT_TRUE(editCharges(std::vector<Charge>{{static_cast<double>(value), {0, 0, 0}}}));
    }
    int undone = 0;
    while (undoEdit()) ++undone;
    EXPECT_EQ(undone, 100);
    EXPECT_EQ(currentModel->charges()[0].value, 2.0) << "the first step is forgotten";
}

// Many moves build only the latest; the drag stops at the box's face and is one step.
TEST_F(ModelEditsTest, ADragBuildsTheLatestPlaceOnlyAndIsOneStep) {
    loadText("BOUNDS FROM -1, -1, -1 TO 1, 1, 1\nPOINT 1 AT 0, 0, 0\nPOINT -1 AT 0.5, 0, 0\n");
    const std::string loaded = exactForm(*sceneGroup);
    ChargeDrag drag;
    ASSERT_TRUE(drag.begin(0));
    for (int i = 1; i <= 50; ++i) drag.moveTo({0.01f * i, 0.0f, 0.0f});
    const Group* before = sceneGroup.get();
    ASSERT_TRUE(drag.buildWaiting());
    EXPECT_NE(sceneGroup.get(), before);
    EXPECT_EQ(currentModel->charges()[0].position.x, 0.5f);
    EXPECT_FALSE(drag.buildWaiting()) << "nothing waits";

    drag.moveTo({0.2f, 3.0f, -7.0f});
    EXPECT_TRUE(drag.end());
    const Vector3 stopped = currentModel->charges()[0].position;
    EXPECT_EQ(stopped.x, 0.2f);
    EXPECT_EQ(stopped.y, 1.0f);
    EXPECT_EQ(stopped.z, -1.0f);
    ASSERT_TRUE(undoEdit());
    EXPECT_EQ(firstDifference(loaded, exactForm(*sceneGroup)), "");
    EXPECT_FALSE(undoEdit());
    EXPECT_FALSE(drag.begin(2)) << "no third charge";
}

}  // namespace
}  // namespace kelvaro
