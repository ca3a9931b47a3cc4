#include "common/whole_file.h"

#include <fcntl.h>
#include <signal.h>
#include <sys/stat.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <climits>
#include <csignal>
#include <cstring>
#include <mutex>
#include <utility>

namespace kelvaro {
namespace {

// ---- the temporary files that SIGINT and SIGTERM remove

// The paths of the temporary files that exist now. Slots are claimed and read without
// locks, as a signal handler must; a file that finds no free slot is still written whole,
// only a signal would leave it behind.
constexpr int temporarySlots = 32;
std::atomic<const char*> temporaries[temporarySlots];
static_assert(std::atomic<const char*>::is_always_lock_free);

void removeTemporariesAndEnd(int signal) {
    for (std::atomic<const char*>& slot : temporaries) {
        if (const char* path = slot.load()) unlink(path);
    }
    // The handler was installed with SA_RESETHAND: the signal, raised again, ends the
    // process as it would have without this handler, once the handler returns.
    raise(signal);
}

// Only where the signal's action is still the default one: a process that ignores
// SIGINT (started in the background) or handles it itself keeps its own way.
void installSignalHandlers() {
    for (const int signal : {SIGINT, SIGTERM}) {
        struct sigaction current {};
        if (sigaction(signal, nullptr, &current) != 0) continue;
        if ((current.sa_flags & SA_SIGINFO) != 0 || current.sa_handler != SIG_DFL) continue;
        struct sigaction action {};
        action.sa_handler = removeTemporariesAndEnd;
        sigemptyset(&action.sa_mask);
        action.sa_flags = SA_RESETHAND;
        sigaction(signal, &action, nullptr);
    }
}

// Blocks SIGINT and SIGTERM on this thread while it lives: a temporary file is made and
// noted, or its note dropped, before a signal can look.
class SignalsHeld {
public:
    SignalsHeld() {
        sigset_t held;
        sigemptyset(&held);
        sigaddset(&held, SIGINT);
        sigaddset(&held, SIGTERM);
        pthread_sigmask(SIG_BLOCK, &held, &previous_);
    }
    ~SignalsHeld() { pthread_sigmask(SIG_SETMASK, &previous_, nullptr); }
    SignalsHeld(const SignalsHeld&) = delete;
    SignalsHeld& operator=(const SignalsHeld&) = delete;

private:
    sigset_t previous_;
};

int noteTemporary(const char* path) {
    static std::once_flag installed;
    std::call_once(installed, installSignalHandlers);
    for (int slot = 0; slot < temporarySlots; ++slot) {
        const char* empty = nullptr;
        if (temporaries[slot].compare_exchange_strong(empty, path)) return slot;
    }
    return -1;
}

void forgetTemporary(int slot) {
    if (slot >= 0) temporaries[slot].store(nullptr);
}

// ---- paths

// `path` with its symbolic links followed, as far as they lead (the last may name a file
// that does not exist yet); empty, with errno set, for a loop of links.
std::string followLinks(std::string path) {
    for (int hops = 0; hops < 40; ++hops) {
        struct stat status {};
        if (lstat(path.c_str(), &status) != 0 || !S_ISLNK(status.st_mode)) return path;
        std::string link(static_cast<std::size_t>(PATH_MAX), '\0');
        const ssize_t length = readlink(path.c_str(), link.data(), link.size());
        if (length < 0) return path;
        link.resize(static_cast<std::size_t>(length));
        // A relative link is relative to the folder that holds it.
        const std::size_t slash = path.rfind('/');
        const bool absolute = !link.empty() && link.front() == '/';
        path = absolute || slash == std::string::npos ? link : path.substr(0, slash + 1) + link;
    }
    errno = ELOOP;
    return {};
}

}  // namespace

WholeFile::WholeFile(std::string path) {
    // The system follows the links to a special file itself, also those that name no
    // path (/dev/stdout on a pipe).
    struct stat status {};
    const bool exists = stat(path.c_str(), &status) == 0;
    if (exists && S_ISDIR(status.st_mode)) {
        errno = EISDIR;
        fail();
        return;
    }
    if (exists && !S_ISREG(status.st_mode)) {
        target_ = std::move(path);
        const int descriptor = open(target_.c_str(), O_WRONLY | O_NOCTTY | O_CLOEXEC);
        stream_ = descriptor >= 0 ? fdopen(descriptor, "wb") : nullptr;
        if (stream_ == nullptr) {
            const int cause = errno;
            if (descriptor >= 0) close(descriptor);
            errno = cause;
            fail();
        }
        return;
    }

    target_ = followLinks(std::move(path));
    if (target_.empty()) {
        fail();  // a loop of links
        return;
    }
    temporaryPath_ = target_ + ".XXXXXX";
    int descriptor = -1;
    {
        const SignalsHeld held;
        descriptor = mkstemp(temporaryPath_.data());
        if (descriptor >= 0) temporarySlot_ = noteTemporary(temporaryPath_.c_str());
    }
    if (descriptor < 0) {
        temporaryPath_.clear();
        fail();
        // The file is there, and may well be writable: say that its folder is the cause
        // (/proc, for one, takes no new files and answers "No such file or directory").
        if (exists) error_ = "no file can be made beside it to replace it whole (" + error_ + ")";
        return;
    }
    stream_ = fdopen(descriptor, "wb");
    if (stream_ == nullptr) {
        const int cause = errno;
        close(descriptor);
        errno = cause;
        fail();
        return;
    }
    // mkstemp makes the file private; give it the permissions of the file it replaces, or
    // those a new file would have.
    const mode_t mask = umask(0);
    umask(mask);
    const mode_t mode = exists ? status.st_mode & 07777 : 0666 & ~mask;
    if (fchmod(descriptor, mode) != 0) fail();
}

WholeFile::~WholeFile() {
    if (stream_) std::fclose(stream_);
    removeTemporary();
}

void WholeFile::removeTemporary() {
    if (temporaryPath_.empty()) return;
    std::remove(temporaryPath_.c_str());
    forgetTemporary(std::exchange(temporarySlot_, -1));
    temporaryPath_.clear();
}

bool WholeFile::fail() {
    error_ = std::strerror(errno);
    if (stream_) std::fclose(std::exchange(stream_, nullptr));
    removeTemporary();
    return false;
}

bool WholeFile::finish() {
    if (stream_ == nullptr) return false;
    if (std::fflush(stream_) != 0) return fail();
    // A FIFO or a device has no disk to wait for.
    if (!temporaryPath_.empty() && fsync(fileno(stream_)) != 0) return fail();
    if (std::fclose(std::exchange(stream_, nullptr)) != 0) return fail();
    return true;
}

bool WholeFile::replace() {
    if (temporaryPath_.empty()) return true;
    if (std::rename(temporaryPath_.c_str(), target_.c_str()) != 0) return fail();
    // A signal that comes before the note is dropped finds no file under that name.
    forgetTemporary(std::exchange(temporarySlot_, -1));
    temporaryPath_.clear();
    return true;
}

bool WholeFile::commit() { return finish() && replace(); }

WholeFile* commitTogether(std::initializer_list<WholeFile*> files) {
    WholeFile* failed = nullptr;
    for (WholeFile* file : files) {
        if (!file->finish()) {
            failed = file;
            break;
        }
    }
    for (WholeFile* file : files) {
        if (!failed && !file->replace()) failed = file;
    }
    for (WholeFile* file : files) file->removeTemporary();
    return failed;
}

}  // namespace kelvaro
