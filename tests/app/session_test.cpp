#include "app/session.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <string>

#include "app/file_search.h"
#include "app/messages.h"
#include "model/read_report.h"
#include "tests/app/session_fixture.h"
#include "tests/support/scene_checks.h"

namespace kelvaro {
namespace {

namespace fs = std::filesystem;
using testing::exactForm;

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

    bool addHedgehog(int count) { return session.add({VisualisationRequest::Kind::Hedgehog, count}); }
    bool addSurface(float level) { return session.add({VisualisationRequest::Kind::Surface, 0, level, 0}); }
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
    EXPECT_EQ(output([&] { EXPECT_EQ(session.load("dipole.txt"), LoadOutcome::Loaded); }), "");
    ASSERT_TRUE(session.model());
    ASSERT_TRUE(session.scene());
    EXPECT_EQ(session.scene()->count(), 5);  // two spheres and three axes
    EXPECT_EQ(session.scene()->refCount(), 1);

    addHedgehog(3);
    addSurface(0.5f);
    EXPECT_EQ(session.scene()->count(), 7);

    write("three.txt", threeCharges);
    EXPECT_EQ(session.load("three.txt"), LoadOutcome::Loaded);
    EXPECT_EQ(session.model()->chargeCount(), 3);
    EXPECT_EQ(session.scene()->count(), 3);
    EXPECT_TRUE(session.visualisations().empty());
    EXPECT_FALSE(session.undo()) << "a load starts the history afresh";
}

TEST_F(SessionTest, AFileThatCannotBeOpenedChangesNothing) {
    write("dipole.txt", dipole);
    session.load("dipole.txt");
    const Model* model = session.model();
    const Group* scene = session.scene();
    fs::create_directory("folder.txt");

    EXPECT_EQ(output([&] { EXPECT_EQ(session.load("missing.txt"), LoadOutcome::CannotOpen); }),
              "Could not open file missing.txt.\n");
    EXPECT_EQ(output([&] { EXPECT_EQ(session.load("folder.txt"), LoadOutcome::CannotOpen); }),
              "Could not open file folder.txt.\n");
    EXPECT_EQ(output([&] { EXPECT_EQ(session.load(""), LoadOutcome::NoName); }), "");
    EXPECT_EQ(session.model(), model);
    EXPECT_EQ(session.scene(), scene);
}

// A file that cannot be read costs the user nothing: the model, its scene, the
// visualisations, the edits and their history stay as they were.
TEST_F(SessionTest, AFailedReadKeepsTheModelItsSceneAndItsWork) {
    write("dipole.txt", dipole);
    write("broken.txt", "BOUNDS FROM -1, -1, -1 TO 1, 1, 1\nPOINT +1 AT 0, 0, 0\n\nPOINT 1 AT 0, 0, 0\n");
    session.load("dipole.txt");
    addHedgehog(50);
    std::vector<Charge> charges(session.model()->charges().begin(), session.model()->charges().end());
    charges[0].value = 2.0;
    ASSERT_TRUE(session.editCharges(charges));
    const Model* model = session.model();
    const std::string scene = exactForm(*session.scene());

    // The reason follows the message, then what the reader dropped before it stopped.
    EXPECT_EQ(output([&] { EXPECT_EQ(session.load("broken.txt"), LoadOutcome::ReadFailed); }),
              "Failed to read in model correctly.\n"
              "broken.txt:3: " + std::string(readErrorWords(37010)) + " (error 37010)\n"
              "broken.txt:2: " + malformedCharge + ": POINT +1 AT 0, 0, 0\n");
    EXPECT_EQ(session.model(), model);
    EXPECT_EQ(exactForm(*session.scene()), scene);
    EXPECT_EQ(session.visualisations().size(), 1u);
    ASSERT_TRUE(session.undo());
    EXPECT_EQ(session.model()->charges()[0].value, 1.0);
}

// The browser edition reads a chosen file from memory and shows the messages on its page.
TEST_F(SessionTest, AModelReadFromTextLoadsAsItsFileAndItsMessagesGoToTheSink) {
    const std::string text = std::string(dipole) + "POINT +1 AT 0, 0, 0\n";
    write("dipole.txt", text);
    Session fromFile;
    output([&] { fromFile.load("dipole.txt"); });
    static std::string heard;
    const MessageSink before = setMessageSink([](std::string_view message) { heard += message; });
    const std::string printed = output([&] { EXPECT_EQ(session.load(readModelText(text), "dipole.txt"), LoadOutcome::Loaded); });
    const std::string failed = output([&] { EXPECT_EQ(session.load(readModelText(""), "empty.txt"), LoadOutcome::ReadFailed); });
    setMessageSink(before);
    EXPECT_EQ(printed + failed, "") << "nothing on standard output while a sink is set";
    EXPECT_EQ(heard, "dipole.txt:5: " + std::string(malformedCharge) + ": POINT +1 AT 0, 0, 0\n"
                     "Failed to read in model correctly.\nempty.txt:1: " + readErrorWords(37012) + " (error 37012)\n");
    EXPECT_EQ(exactForm(*session.scene()), exactForm(*fromFile.scene()));
    EXPECT_EQ(output([] { say("back\n"); }), "back\n");
}

TEST_F(SessionTest, WithoutAModelEveryAddSaysItCannot) {
    EXPECT_EQ(output([&] { addHedgehog(5); }), "Cannot render hedgehog lines. Sorry.\n");
    EXPECT_EQ(output([&] { session.add({VisualisationRequest::Kind::FieldLines, 5}); }),
              "Cannot render field lines. Sorry.\n");
    EXPECT_EQ(output([&] { addSurface(1.0f); }), "Cannot render potential. Sorry.\n");
    EXPECT_FALSE(session.scene());
    EXPECT_EQ(session.nextHedgehogState(), 1u) << "nothing was drawn";
}

TEST_F(SessionTest, DroppedChargesAreToldAfterALoad) {
    write("triangle.txt", "BOUNDS FROM -1, -1, -1 TO 1, 1, 1\nPOINT 1 AT 0, 0, 0\nPOINT +1 AT 0.5, 0, 0\n"
                          "POINT 1 AT 0.5 0.5 0\n");
    EXPECT_EQ(output([&] { EXPECT_EQ(session.load("triangle.txt"), LoadOutcome::Loaded); }),
              "triangle.txt:3: " + std::string(malformedCharge) + ": POINT +1 AT 0.5, 0, 0\n"
              "triangle.txt:4: " + malformedCharge + ": POINT 1 AT 0.5 0.5 0\n");
    EXPECT_EQ(session.model()->chargeCount(), 1);
}

TEST_F(SessionTest, FieldLinesNeedTheSeedFile) {
    write("dipole.txt", dipole);
    session.load("dipole.txt");
    const VisualisationRequest lines{VisualisationRequest::Kind::FieldLines, 10};
    EXPECT_EQ(output([&] { session.add(lines); }),
              "Cannot render field lines. Sorry.\nField lines need the seed file ElectronData, which could not be "
              "opened in " + fs::current_path().string() + ": No such file or directory\n");
    EXPECT_EQ(session.scene()->count(), 5);

    fs::copy_file(fs::path(KELVARO_EXAMPLES_DIR) / "ElectronData", "ElectronData");
    EXPECT_EQ(output([&] { session.add(lines); }), "");
    ASSERT_EQ(session.scene()->count(), 6);
    const auto& built = static_cast<const Group&>(session.scene()->child(5));
    EXPECT_GT(built.count(), 10);
}

TEST_F(SessionTest, VisualisationsAccumulateAndEachAdditionIsAStep) {
    write("dipole.txt", dipole);
    session.load("dipole.txt");
    addHedgehog(4);
    addHedgehog(4);
    ASSERT_EQ(session.scene()->count(), 7);
    EXPECT_EQ(static_cast<const Group&>(session.scene()->child(5)).count(), 4);
    EXPECT_EQ(static_cast<const Group&>(session.scene()->child(6)).count(), 4);
    EXPECT_EQ(session.scene()->child(6).refCount(), 2);  // the scene's and the list of visualisations

    const std::string both = exactForm(*session.scene());
    ASSERT_TRUE(session.undo());
    EXPECT_EQ(session.visualisations().size(), 1u);
    EXPECT_EQ(session.scene()->count(), 6);
    ASSERT_TRUE(session.redo());
    EXPECT_EQ(exactForm(*session.scene()), both);
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
}

// A probe and a Gauss sphere say what they read when added and after every step of the
// charges, but not while a charge is dragged; their labels and colours follow every move.
TEST_F(SessionTest, ProbesAndGaussSpheresSayWhatTheyReadAfterEachStepOfTheCharges) {
    write("one.txt", "BOUNDS FROM -1, -1, -1 TO 1, 1, 1\nPOINT 2 AT 0, 0, 0\n");
    ASSERT_EQ(session.load("one.txt"), LoadOutcome::Loaded);
    VisualisationRequest probe{VisualisationRequest::Kind::Probe};
    probe.point = {1, 0, 0};
    EXPECT_EQ(output([&] { EXPECT_TRUE(session.add(probe)); }),
              "Probe at (1, 0, 0): V = 2, |E| = 2, E = (2, 0, 0)\n");
    VisualisationRequest sphere{VisualisationRequest::Kind::GaussSphere};
    sphere.radius = 0.5f;
    EXPECT_EQ(output([&] { EXPECT_TRUE(session.add(sphere)); }),
              "Flux through the sphere: 25.133 (enclosed charge 2 × 4πk = 25.133)\n");

    const Charge moved[] = {{2.0, {0.0f, 0.75f, 0.0f}}};
    const std::string label = exactForm(*session.scene());
    EXPECT_EQ(output([&] { EXPECT_TRUE(session.setCharges(moved)); }), "");  // a move of a drag
    EXPECT_NE(exactForm(*session.scene()), label);
    EXPECT_EQ(output([&] { session.recordChargeStep({{2.0, {0.0f, 0.0f, 0.0f}}}); }),
              "Probe at (1, 0, 0): V = 1.6, |E| = 1.28, E = (1.024, -0.768, 0)\n"
              "Flux through the sphere: 0 (enclosed charge 0 × 4πk = 0)\n");
    EXPECT_EQ(output([&] { EXPECT_TRUE(session.undo()); }),
              "Probe at (1, 0, 0): V = 2, |E| = 2, E = (2, 0, 0)\n"
              "Flux through the sphere: 25.133 (enclosed charge 2 × 4πk = 25.133)\n");

    probe.point = {0, 0, 0};  // on the charge
    EXPECT_EQ(output([&] { EXPECT_FALSE(session.add(probe)); }),
              "Cannot place the probe. Sorry.\nThe probe at (0, 0, 0) would sit on charge 1, where the field is not "
              "defined; it was not placed.\n");
}

}  // namespace
}  // namespace kelvaro
