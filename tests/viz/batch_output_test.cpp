// kelvaro-batch's -o where the user points it (a link, a FIFO, a device), all or nothing
// (a failed request, a failed OBJ beside an older MTL, a signal during the write), and
// which stream its answers and its usage go to.

#include <gtest/gtest.h>

#include <signal.h>
#include <sys/resource.h>
#include <sys/stat.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <set>
#include <string>
#include <vector>

#include "tests/support/e2e/e2e_harness.h"
#include "tests/viz/batch_files_fixture.h"

namespace kelvaro {
namespace {

namespace fs = std::filesystem;
using testing::BatchRun;
using testing::examplePath;
using testing::fileContents;

// The files fixture: a scratch folder with the seed file, the tool run with no display.
class BatchOutput : public BatchFiles {};

TEST_F(BatchOutput, ALinkIsFollowedAndSpecialFilesAreWrittenInPlace) {
    const std::vector<std::string> request{"obj", examplePath("dipole.txt"), "lines", "3", "-o"};
    const auto to = [&](const std::string& path) {
        std::vector<std::string> arguments = request;
        arguments.push_back(path);
        return batch(arguments);
    };
    fs::create_directory("regular");
    ASSERT_EQ(to("regular/pipe.obj").status, 0);
    fs::create_symlink("regular/linked.obj", "link.obj");
    ASSERT_EQ(to("link.obj").status, 0);
    EXPECT_TRUE(fs::is_symlink("link.obj"));
    const std::string linked = fileContents("regular/linked.obj"), plain = fileContents("regular/pipe.obj");
    EXPECT_EQ(linked.substr(linked.find('\n')), plain.substr(plain.find('\n')));  // but for "mtllib link.mtl"

    ASSERT_EQ(mkfifo("pipe.obj", 0600), 0);
    e2e::ChildProcess reader("/bin/sh", {"-c", "cat pipe.obj > received.obj"}, scratch_.path().string());
    ASSERT_EQ(to("pipe.obj").status, 0);
    ASSERT_EQ(reader.wait_for_exit(20.0), 0);
    EXPECT_EQ(fileContents("received.obj"), fileContents("regular/pipe.obj"));
    EXPECT_EQ(fs::status("pipe.obj").type(), fs::file_type::fifo);
    EXPECT_EQ(fileContents("pipe.mtl"), fileContents("regular/pipe.mtl"));
    EXPECT_EQ(files(), (std::set<std::string>{"ElectronData", "link.mtl", "link.obj", "pipe.mtl", "pipe.obj",
                                              "received.obj", "regular"}));

    EXPECT_EQ(batch({"png", examplePath("dipole.txt"), "-o", "/dev/full"}).err,
              "kelvaro-batch: cannot write /dev/full: No space left on device\n");
    EXPECT_TRUE(fs::is_character_file("/dev/full"));
}

TEST_F(BatchOutput, AFailureLeavesOlderFilesAsTheyWere) {
    const std::string model = examplePath("dipole.txt");
    std::ofstream("scene.mtl") << "older materials";
    fs::create_directory("scene.obj");
    BatchRun run = batch({"obj", model, "-o", "scene.obj"});
    EXPECT_EQ(run.status, 1);
    EXPECT_EQ(run.err, "kelvaro-batch: cannot write scene.obj: Is a directory\n");
    EXPECT_EQ(fileContents("scene.mtl"), "older materials");

    // A request that fails (no seed file for field lines) writes no file at all.
    std::ofstream("old.png") << "older picture";
    std::ofstream("old.obj") << "older scene";
    fs::remove("ElectronData");
    for (const char* name : {"old.png", "old.obj"}) {
        const std::string mode = fs::path(name).extension() == ".png" ? "png" : "obj";
        run = batch({mode, model, "hedgehog", "5", "lines", "3", "-o", name});
        EXPECT_EQ(run.status, 1) << name;
        EXPECT_EQ(run.err.rfind("Cannot render field lines. Sorry.\n", 0), 0u) << name;
        EXPECT_NE(run.err.find("kelvaro-batch: " + std::string(name) + " was not written"), std::string::npos);
    }
    EXPECT_EQ(fileContents("old.png"), "older picture");
    EXPECT_EQ(fileContents("old.obj"), "older scene");
    EXPECT_EQ(files(), (std::set<std::string>{"old.obj", "old.png", "scene.mtl", "scene.obj"}));
}

// The MTL file is a FIFO that nobody reads: the tool waits there, its temporary OBJ file
// made, until the signal comes (a closed terminal sends SIGHUP, Ctrl+\\ SIGQUIT).
TEST_F(BatchOutput, ASignalDuringAWriteLeavesNoTemporaryFile) {
    std::ofstream("big.obj") << "older scene";
    ASSERT_EQ(mkfifo("big.mtl", 0600), 0);
    const rlimit noCore{0, 0};  // SIGQUIT would leave a core file
    rlimit savedCore{};
    getrlimit(RLIMIT_CORE, &savedCore);
    setrlimit(RLIMIT_CORE, &noCore);
    const int signals[] = {SIGTERM, SIGINT, SIGHUP, SIGQUIT};
    for (const int signal : signals) {
        SCOPED_TRACE(signal);
        // The tool keeps the action it inherits; it must not inherit SIGINT ignored (a
        // background job's) or SIGHUP ignored (nohup's).
        struct sigaction defaultAction {}, saved[4] {};
        defaultAction.sa_handler = SIG_DFL;
        for (int i = 0; i < 4; ++i) sigaction(signals[i], &defaultAction, &saved[i]);
        e2e::ChildProcess tool(KELVARO_BATCH_PATH, {"obj", examplePath("cloud.txt"), "lines", "100", "-o", "big.obj"});
        for (int i = 0; i < 4; ++i) sigaction(signals[i], &saved[i], nullptr);
        const auto temporaryMade = [&] { return files().size() > 3; };
        ASSERT_TRUE(e2e::wait_until(temporaryMade, 60.0)) << tool.errors();
        kill(tool.pid(), signal);
        EXPECT_EQ(tool.wait_for_exit(20.0), 128 + signal);
        EXPECT_EQ(files(), (std::set<std::string>{"ElectronData", "big.mtl", "big.obj"}));
        EXPECT_EQ(fileContents("big.obj"), "older scene");
    }
    setrlimit(RLIMIT_CORE, &savedCore);
}

// Refused with nothing written: a file nobody may write, and an OBJ name whose MTL file's
// name OBJ readers would cut.
TEST_F(BatchOutput, ReadOnlyFilesAndObjNamesThatReadersCutAreRefused) {
    const std::string model = examplePath("dipole.txt");
    std::ofstream("kept.obj") << "older scene";
    ASSERT_EQ(chmod("kept.obj", 0444), 0);
    BatchRun run = batch({"obj", model, "-o", "kept.obj"});
    EXPECT_EQ(run.status, 1);
    EXPECT_EQ(run.err, "kelvaro-batch: cannot write kept.obj: it is read-only\n");
    EXPECT_EQ(fileContents("kept.obj"), "older scene");

    for (const char* name : {"my scene.obj", "two\nlines.obj", "tab\t.obj"}) {
        run = batch({"obj", model, "-o", name});
        EXPECT_EQ(run.status, 2) << name;
        EXPECT_NE(run.err.find("the name after -o holds a blank or a line break"), std::string::npos) << run.err;
    }
    EXPECT_EQ(files(), (std::set<std::string>{"ElectronData", "kept.obj"}));
    fs::create_directory("my folder");
    run = batch({"obj", model, "-o", "my folder/scene.obj"});
    EXPECT_EQ(run.status, 0) << run.err;
    EXPECT_EQ(fileContents("my folder/scene.obj").rfind("mtllib scene.mtl\n", 0), 0u);
}

TEST_F(BatchOutput, AnswersGoToStandardOutputAndMessagesToStandardError) {
    for (const char* help : {"--help", "-h"}) {
        const BatchRun run = batch({help});
        EXPECT_EQ(run.status, 0);
        EXPECT_EQ(run.out.rfind("usage: kelvaro-batch info MODEL\n", 0), 0u) << help;
    }
    std::ofstream("triangle.txt") << "BOUNDS FROM -1, -1, -1 TO 1, 1, 1\nPOINT 1 AT 0, 0, 0\nPOINT +1 AT 0.5, 0, 0\n";
    const BatchRun print = batch({"print", "triangle.txt"});
    EXPECT_EQ(print.out.rfind("Group(Sphere(", 0), 0u);
    EXPECT_EQ(print.err.rfind("triangle.txt:3: POINT needs a number", 0), 0u) << print.err;
    const BatchRun info = batch({"info", "triangle.txt"});
    EXPECT_NE(info.out.find("charges: 1\n"), std::string::npos);
    EXPECT_EQ(info.out.substr(info.out.rfind("\nwarning: ") + 1), "warning: " + print.err);
    EXPECT_EQ(info.err, "");
}

}  // namespace
}  // namespace kelvaro
