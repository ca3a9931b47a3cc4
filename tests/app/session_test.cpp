#include "app/session.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <string>

#include "app/file_search.h"
#include "model/read_report.h"
#include "tests/app/session_fixture.h"

namespace kelvaro {
namespace {

namespace fs = std::filesystem;

// Each test in a fresh folder, with a helper that catches what an action prints.
class SessionTest : public FreshSession {
protected:
    // Runs `action` and answers what it wrote on standard output.
    template <class Action>
    static std::string output(Action action) {
        ::testing::internal::CaptureStdout();
        action();
        return ::testing::internal::GetCapturedStdout();
    }
};

const char* const malformedCharge =
    "POINT needs a number (with no + before it), then AT and three numbers separated by commas; the line was skipped";

const char* const dipole =
    "BOUNDS FROM -1, -1, -1 TO 1, 1, 1\n"
    "AXES ON\n"
    "POINT 1 AT -0.5, 0, 0\n"
    "POINT -1 AT 0.5, 0, 0\n";

const char* const threeCharges =
    "BOUNDS FROM -1, -1, -1 TO 1, 1, 1\n"
    "POINT 1 AT -0.5, 0, 0\n"
    "POINT 1 AT 0, 0.5, 0\n"
    "POINT 1 AT 0.5, 0, 0\n";

TEST_F(SessionTest, LoadingReplacesTheWholeScene) {
    write("dipole.txt", dipole);
    EXPECT_EQ(output([] { EXPECT_EQ(loadModelFile("dipole.txt"), LoadOutcome::Loaded); }), "");
    ASSERT_TRUE(currentModel);
    ASSERT_TRUE(sceneGroup);
    EXPECT_EQ(sceneGroup->count(), 5);  // two spheres and three axes
    EXPECT_EQ(sceneGroup->refCount(), 1);

    addHedgehogLines(3);
    addPotentialSurface(0.5f, 0);
    EXPECT_EQ(sceneGroup->count(), 7);

    write("three.txt", threeCharges);
    EXPECT_EQ(loadModelFile("three.txt"), LoadOutcome::Loaded);
    EXPECT_EQ(currentModel->chargeCount(), 3);
    EXPECT_EQ(sceneGroup->count(), 3);
}

TEST_F(SessionTest, AFileThatCannotBeOpenedChangesNothing) {
    write("dipole.txt", dipole);
    loadModelFile("dipole.txt");
    const Model* model = currentModel.get();
    const Group* scene = sceneGroup.get();
    fs::create_directory("folder.txt");

    EXPECT_EQ(output([] { EXPECT_EQ(loadModelFile("missing.txt"), LoadOutcome::CannotOpen); }),
              "Could not open file missing.txt.\n");
    EXPECT_EQ(output([] { EXPECT_EQ(loadModelFile("folder.txt"), LoadOutcome::CannotOpen); }),
              "Could not open file folder.txt.\n");
    EXPECT_EQ(output([] { EXPECT_EQ(loadModelFile(""), LoadOutcome::NoName); }), "");
    EXPECT_EQ(currentModel.get(), model);
    EXPECT_EQ(sceneGroup.get(), scene);
}

TEST_F(SessionTest, AFailedReadDropsTheModelButKeepsTheOldScene) {
    write("dipole.txt", dipole);
    write("broken.txt", "BOUNDS FROM -1, -1, -1 TO 1, 1, 1\nPOINT +1 AT 0, 0, 0\n\nPOINT 1 AT 0, 0, 0\n");
    loadModelFile("dipole.txt");
    const Group* scene = sceneGroup.get();

    // The reason follows the message, then what the reader dropped before it stopped.
    EXPECT_EQ(output([] { EXPECT_EQ(loadModelFile("broken.txt"), LoadOutcome::ReadFailed); }),
              "Failed to read in model correctly.\n"
              "broken.txt:3: " + std::string(readErrorWords(37010)) + " (error 37010)\n"
              "broken.txt:2: " + malformedCharge + ": POINT +1 AT 0, 0, 0\n");
    EXPECT_FALSE(currentModel);
    EXPECT_EQ(sceneGroup.get(), scene);

    // With no model, every add action says it cannot and leaves the old scene alone.
    EXPECT_EQ(output([] { addHedgehogLines(5); }), "Cannot render hedgehog lines. Sorry.\n");
    EXPECT_EQ(output([] { addFieldLines(5); }), "Cannot render field lines. Sorry.\n");
    EXPECT_EQ(output([] { addPotentialSurface(1.0f, 1); }), "Cannot render potential. Sorry.\n");
    EXPECT_EQ(sceneGroup->count(), 5);
}

TEST_F(SessionTest, DroppedChargesAreToldAfterALoad) {
    write("triangle.txt", "BOUNDS FROM -1, -1, -1 TO 1, 1, 1\nPOINT 1 AT 0, 0, 0\nPOINT +1 AT 0.5, 0, 0\n"
                          "POINT 1 AT 0.5 0.5 0\n");
    EXPECT_EQ(output([] { EXPECT_EQ(loadModelFile("triangle.txt"), LoadOutcome::Loaded); }),
              "triangle.txt:3: " + std::string(malformedCharge) + ": POINT +1 AT 0.5, 0, 0\n"
              "triangle.txt:4: " + malformedCharge + ": POINT 1 AT 0.5 0.5 0\n");
    EXPECT_EQ(currentModel->chargeCount(), 1);
}

TEST_F(SessionTest, AddActionsNeedAScene) {
    write("dipole.txt", dipole);
    loadModelFile("dipole.txt");
    sceneGroup.reset();
    EXPECT_EQ(output([] { addHedgehogLines(5); }), "Cannot render hedgehog lines. Sorry.\n");
    EXPECT_FALSE(sceneGroup);
}

TEST_F(SessionTest, FieldLinesNeedTheSeedFile) {
    write("dipole.txt", dipole);
    loadModelFile("dipole.txt");
    EXPECT_EQ(output([] { addFieldLines(10); }),
              "Cannot render field lines. Sorry.\nField lines need the seed file ElectronData, which could not be "
              "opened in " + fs::current_path().string() + ": No such file or directory\n");
    EXPECT_EQ(sceneGroup->count(), 5);

    fs::copy_file(fs::path(KELVARO_EXAMPLES_DIR) / "ElectronData", "ElectronData");
    EXPECT_EQ(output([] { addFieldLines(10); }), "");
    ASSERT_EQ(sceneGroup->count(), 6);
    const auto& lines = static_cast<const Group&>(sceneGroup->child(5));
    EXPECT_GT(lines.count(), 10);
}

TEST_F(SessionTest, VisualisationsAccumulate) {
    write("dipole.txt", dipole);
    loadModelFile("dipole.txt");
    addHedgehogLines(4);
    addHedgehogLines(4);
    ASSERT_EQ(sceneGroup->count(), 7);
    EXPECT_EQ(static_cast<const Group&>(sceneGroup->child(5)).count(), 4);
    EXPECT_EQ(static_cast<const Group&>(sceneGroup->child(6)).count(), 4);
    EXPECT_EQ(sceneGroup->child(6).refCount(), 2);  // the scene's and the list of visualisations
}

TEST_F(SessionTest, FileSearchListsMatchingRegularFilesInNameOrder) {
    EXPECT_TRUE(findFiles("*.txt").empty());
    write("b.txt", "");
    write("A.TXT", "");
    write("c.dat", "");
    write(".hidden.txt", "");
    write("a.txt", "");
    fs::create_directory("folder.txt");
    EXPECT_EQ(findFiles("*.txt"), (std::vector<std::string>{"A.TXT", "a.txt", "b.txt"}));
    EXPECT_EQ(findFiles("*.*"), (std::vector<std::string>{"A.TXT", "a.txt", "b.txt", "c.dat"}));
    EXPECT_TRUE(isDirectory("folder.txt"));
    EXPECT_FALSE(isDirectory("a.txt"));
}

}  // namespace
}  // namespace kelvaro
