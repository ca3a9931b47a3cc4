// WholeFile: several files replaced all together or none of them; a replaced file keeps its
// owner, group, permissions and links; a read-only file refused; long names; signals; the
// reason a file cannot be written.

#include "common/whole_file.h"

#include <gtest/gtest.h>
#include <grp.h>
#include <pwd.h>
#include <signal.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <csignal>
#include <filesystem>
#include <fstream>
#include <set>
#include <sstream>
#include <string>

namespace kelvaro {
namespace {

namespace fs = std::filesystem;

std::string contents(const fs::path& file) {
    std::stringstream bytes;
    bytes << std::ifstream(file).rdbuf();
    return bytes.str();
}

struct stat statusOf(const fs::path& file) {
    struct stat status {};
    EXPECT_EQ(stat(file.c_str(), &status), 0) << file;
    return status;
}

class WholeFileTest : public ::testing::Test {
protected:
    void SetUp() override {
        fs::create_directories(folder_);
        fs::permissions(folder_, fs::perms(0755));  // other users may enter it
    }
    void TearDown() override { fs::remove_all(folder_); }

    std::set<std::string> names(const fs::path& folder) const {
        std::set<std::string> found;
        for (const auto& entry : fs::directory_iterator(folder)) found.insert(entry.path().filename());
        return found;
    }
    // Writes `text` to `path` through a WholeFile; answers error() after commit().
    static std::string replaceWith(const fs::path& path, const std::string& text) {
        WholeFile file(path);
        if (!file.stream()) return file.error();
        std::fputs(text.c_str(), file.stream());
        return file.commit() ? "" : file.error();
    }

    const fs::path folder_ = fs::temp_directory_path() / ("kelvaro-whole-file-" + std::to_string(getpid()));
};

TEST_F(WholeFileTest, FilesCommittedTogetherAreAllReplacedOrNoneIs) {
    const std::string mtl = folder_ / "scene.mtl", obj = folder_ / "scene.obj";
    std::ofstream(mtl) << "old materials";
    std::ofstream(obj) << "old scene";
    for (const bool deviceFails : {true, false}) {
        WholeFile materials(mtl), full("/dev/full"), scene(obj);  // /dev/full: written in place, every write fails
        std::fputs("new materials", materials.stream());
        std::fputs("new scene", scene.stream());
        EXPECT_EQ(contents(obj), "old scene");  // until the commit
        if (deviceFails) {
            std::fputs("more than nothing", full.stream());
            EXPECT_EQ(commitTogether({&materials, &full, &scene}), &full);
            EXPECT_EQ(full.error(), "No space left on device");
            EXPECT_EQ(contents(mtl), "old materials");
        } else {
            EXPECT_EQ(commitTogether({&materials, &scene}), nullptr);
            EXPECT_EQ(contents(mtl), "new materials");
        }
        EXPECT_EQ(names(folder_), (std::set<std::string>{"scene.mtl", "scene.obj"})) << "a temporary left";
    }
    EXPECT_EQ(contents(obj), "new scene");
    EXPECT_TRUE(fs::is_character_file("/dev/full"));
}

// A team's file: another user's, in a group that may write it. One stands alone (a rename
// can keep it), one has a second name (only writing in place keeps it); both are chmod-ed
// while their new content is written.
TEST_F(WholeFileTest, AReplacedFileKeepsItsOwnerGroupPermissionsAndLinks) {
    if (geteuid() != 0) GTEST_SKIP() << "giving files to another user needs root";
    const passwd* nobody = getpwnam("nobody");
    const group* staff = getgrnam("staff");
    ASSERT_TRUE(nobody && staff) << "the user nobody and the group staff";
    const fs::path single = folder_ / "single.txt", linked = folder_ / "linked.txt", otherName = folder_ / "other.txt";
    for (const fs::path& file : {single, linked}) {
        std::ofstream(file) << "old";
        ASSERT_EQ(chown(file.c_str(), nobody->pw_uid, staff->gr_gid), 0);
        ASSERT_EQ(chmod(file.c_str(), 0664), 0);
    }
    fs::create_hard_link(linked, otherName);
    const ino_t linkedInode = statusOf(linked).st_ino;

    for (const fs::path& file : {single, linked}) {
        SCOPED_TRACE(file.filename());
        WholeFile replacement(file);
        ASSERT_TRUE(replacement.stream()) << replacement.error();
        std::fputs("new", replacement.stream());
        ASSERT_EQ(chmod(file.c_str(), 0660), 0);
        ASSERT_TRUE(replacement.commit()) << replacement.error();
        const struct stat status = statusOf(file);
        EXPECT_EQ(status.st_uid, nobody->pw_uid);
        EXPECT_EQ(status.st_gid, staff->gr_gid);
        EXPECT_EQ(status.st_mode & 07777, 0660u);
        EXPECT_EQ(contents(file), "new");
    }
    EXPECT_EQ(contents(otherName), "new");
    EXPECT_EQ(statusOf(linked).st_nlink, 2u);
    EXPECT_EQ(statusOf(otherName).st_ino, linkedInode);
    EXPECT_EQ(names(folder_), (std::set<std::string>{"linked.txt", "other.txt", "single.txt"}));
}

// Read-only: no write permission for anybody, which root's privilege does not override
// (as in editors), or no write permission for this user; also when it becomes so while the
// new content is written.
TEST_F(WholeFileTest, AReadOnlyFileIsRefusedAndKept) {
    const fs::path file = folder_ / "kept.txt";
    std::ofstream(file) << "old";
    ASSERT_EQ(chmod(file.c_str(), 0444), 0);
    EXPECT_EQ(replaceWith(file, "new"), "it is read-only");

    ASSERT_EQ(chmod(file.c_str(), 0644), 0);
    WholeFile late(file);
    ASSERT_TRUE(late.stream()) << late.error();
    std::fputs("new", late.stream());
    ASSERT_EQ(chmod(file.c_str(), 0444), 0);
    EXPECT_FALSE(late.commit());
    EXPECT_EQ(late.error(), "it is read-only");

    EXPECT_EQ(contents(file), "old");
    EXPECT_EQ(names(folder_), std::set<std::string>{"kept.txt"});
}

// A folder where this user may make no file (as root: run as nobody), holding a file the
// user may write: it is written in place.
TEST_F(WholeFileTest, AFileInAFolderThatTakesNoNewFileIsWrittenInPlace) {
    const fs::path closed = folder_ / "closed", file = closed / "open.txt";
    fs::create_directory(closed);
    std::ofstream(file) << "old";
    const passwd* nobody = getpwnam("nobody");
    const bool asNobody = geteuid() == 0;
    if (asNobody) {
        ASSERT_TRUE(nobody);
        ASSERT_EQ(chown(file.c_str(), nobody->pw_uid, nobody->pw_gid), 0);
    }
    fs::permissions(closed, fs::perms(0555));
    const pid_t child = fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        const bool dropped = setgroups(0, nullptr) == 0 && setgid(nobody->pw_gid) == 0 && setuid(nobody->pw_uid) == 0;
        if (asNobody && !dropped) _exit(2);
        const std::string error = replaceWith(file, "new");
        std::fputs(error.c_str(), stderr);
        _exit(error.empty() ? 0 : 1);
    }
    int status = 0;
    ASSERT_EQ(waitpid(child, &status, 0), child);
    fs::permissions(closed, fs::perms(0755));
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << status;
    EXPECT_EQ(contents(file), "new");
    EXPECT_EQ(names(closed), std::set<std::string>{"open.txt"});
}

TEST_F(WholeFileTest, NamesOfTheLongestLengthAreWritten) {
    for (const std::size_t length : {249u, 255u}) {
        const fs::path file = folder_ / (std::string(length - 4, 'n') + ".obj");
        EXPECT_EQ(replaceWith(file, "scene"), "") << length;
        EXPECT_EQ(contents(file), "scene") << length;
        fs::remove(file);
    }
    EXPECT_TRUE(names(folder_).empty());
}

// The library leaves the signals' actions alone; a program that asks has its temporary files
// removed by the signals that end it (in a child process, killed during a write).
TEST_F(WholeFileTest, OnlyAProgramThatAsksHasTemporaryFilesRemovedBySignals) {
    const fs::path file = folder_ / "scene.obj";
    std::ofstream(file) << "old";
    const int signals[] = {SIGINT, SIGTERM, SIGHUP, SIGQUIT};
    struct sigaction before[4] {};
    for (int i = 0; i < 4; ++i) sigaction(signals[i], nullptr, &before[i]);
    EXPECT_EQ(replaceWith(file, "new"), "");
    for (int i = 0; i < 4; ++i) {
        struct sigaction after {};
        sigaction(signals[i], nullptr, &after);
        EXPECT_EQ(after.sa_handler, before[i].sa_handler) << signals[i];
    }

    for (const int signal : signals) {
        const pid_t child = fork();
        ASSERT_GE(child, 0);
        if (child == 0) {
            const rlimit noCore{0, 0};
            setrlimit(RLIMIT_CORE, &noCore);
            std::signal(signal, SIG_DFL);  // not ignored, as a background job's SIGINT is
            removeTemporaryFilesOnSignals();
            WholeFile interrupted(file);
            std::fputs("newer", interrupted.stream());
            std::fflush(interrupted.stream());
            raise(signal);
            _exit(0);
        }
        int status = 0;
        ASSERT_EQ(waitpid(child, &status, 0), child);
        EXPECT_TRUE(WIFSIGNALED(status) && WTERMSIG(status) == signal) << signal << ": " << status;
        EXPECT_EQ(names(folder_), std::set<std::string>{"scene.obj"}) << signal;
    }
    EXPECT_EQ(contents(file), "new");
}

// /proc takes no new files: a file there that may be written (this process's name) cannot
// be replaced, and its folder is the cause; a read-only one says so first.
TEST(WholeFile, AFileThatCannotBeReplacedSaysWhy) {
    const WholeFile name("/proc/self/comm");  // nothing is written: the object is never committed
    EXPECT_EQ(name.stream(), nullptr);
    EXPECT_EQ(name.error().rfind("no file can be made beside it to replace it whole (", 0), 0) << name.error();
    EXPECT_EQ(WholeFile("/proc/version").error(), "it is read-only");
    EXPECT_EQ(WholeFile("/proc/no-such-folder/new.txt").error(), "No such file or directory");
}

}  // namespace
}  // namespace kelvaro
