#include "common/whole_file.h"

#include <fcntl.h>
#include <signal.h>
#include <sys/stat.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <climits>
#include <cstdlib>
#include <cstring>
#include <utility>

namespace kelvaro {
namespace {

// ---- the temporary files that a signal removes

// The signals that end a process by default and that a user sends to end a program: Ctrl+C,
// kill, a closed terminal, Ctrl+\.
constexpr int endingSignals[] = {SIGINT, SIGTERM, SIGHUP, SIGQUIT};

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

// Blocks the ending signals on this thread while it lives: a temporary file is made and
// noted, or its note dropped, before a signal can look, and a file written in place is
// written to its end unless another thread takes the signal.
class SignalsHeld {
public:
    SignalsHeld() {
        sigset_t held;
        sigemptyset(&held);
        for (const int signal : endingSignals) sigaddset(&held, signal);
        pthread_sigmask(SIG_BLOCK, &held, &previous_);
    }
    ~SignalsHeld() { pthread_sigmask(SIG_SETMASK, &previous_, nullptr); }
    SignalsHeld(const SignalsHeld&) = delete;
    SignalsHeld& operator=(const SignalsHeld&) = delete;

private:
    sigset_t previous_;
};

int noteTemporary(const char* path) {
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

// Creates a file of a new short name in the folder of `target`, so that a target name of
// the longest length the file system allows still leaves room. Mode 0666 lets the umask
// (or the folder's default ACL) give it the permissions of any new file. Answers its
// descriptor, or -1 with errno set.
int createTemporary(const std::string& target, std::string& path) {
    const std::size_t slash = target.rfind('/');
    const std::string folder = slash == std::string::npos ? std::string() : target.substr(0, slash + 1);
    for (int attempt = 0; attempt < 100; ++attempt) {
        unsigned char random[8];
        if (getentropy(random, sizeof random) != 0) return -1;
        path = folder + ".kelvaro-";
        for (const unsigned char byte : random) path += "abcdefghijklmnopqrstuvwxyz0123456789"[byte % 36];
        const int descriptor = open(path.c_str(), O_RDWR | O_CREAT | O_EXCL | O_NOCTTY | O_CLOEXEC, 0666);
        if (descriptor >= 0 || errno != EEXIST) return descriptor;
    }
    return -1;  // errno is EEXIST
}

// ---- deciding how a file is replaced

const char* const readOnly = "it is read-only";

// Why the user may not write the existing regular file `path` (of `status`); empty when
// they may.
std::string writeRefusal(const std::string& path, const struct stat& status) {
    if ((status.st_mode & (S_IWUSR | S_IWGRP | S_IWOTH)) == 0) return readOnly;
    if (faccessat(AT_FDCWD, path.c_str(), W_OK, AT_EACCESS) == 0) return {};
    return errno == EACCES ? readOnly : std::strerror(errno);
}

// Whether the file open at `temporary`, renamed over the existing target (of `target`),
// leaves the target as its users know it: one name, the same owner and group, the same
// permissions (given to the temporary file here).
bool takesTargetsPlace(int temporary, const struct stat& target) {
    if (target.st_nlink != 1) return false;
    struct stat own {};
    if (fstat(temporary, &own) != 0) return false;
    const bool sameOwners = own.st_uid == target.st_uid && own.st_gid == target.st_gid;
    if (!sameOwners && fchown(temporary, target.st_uid, target.st_gid) != 0) return false;
    return fchmod(temporary, target.st_mode & 07777) == 0;
}

// The whole content of the file open at `descriptor`.
bool readAll(int descriptor, std::string& content) {
    struct stat status {};
    if (fstat(descriptor, &status) != 0) return false;
    content.resize(static_cast<std::size_t>(status.st_size));
    for (std::size_t done = 0; done < content.size();) {
        const ssize_t got = pread(descriptor, content.data() + done, content.size() - done, static_cast<off_t>(done));
        if (got < 0 && errno == EINTR) continue;
        if (got <= 0) {
            if (got == 0) errno = EIO;  // the file shrank meanwhile
            return false;
        }
        done += static_cast<std::size_t>(got);
    }
    return true;
}

bool writeAll(int descriptor, const char* data, std::size_t size) {
    while (size > 0) {
        const ssize_t put = write(descriptor, data, size);
        if (put < 0 && errno == EINTR) continue;
        if (put < 0) return false;
        data += put;
        size -= static_cast<std::size_t>(put);
    }
    return true;
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
        special_ = true;
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
    if (exists) {
        if (std::string refusal = writeRefusal(target_, status); !refusal.empty()) {
            refuse(std::move(refusal));
            return;
        }
    }
    int descriptor = -1;
    {
        const SignalsHeld held;
        descriptor = createTemporary(target_, temporaryPath_);
        if (descriptor >= 0) temporarySlot_ = noteTemporary(temporaryPath_.c_str());
    }
    if (descriptor < 0) {
        temporaryPath_.clear();
        // A folder that takes no new file: the file there can still be written in place.
        const bool folderClosed = errno == EACCES || errno == EPERM;
        if (exists && folderClosed) stream_ = open_memstream(&memory_, &memorySize_);
        if (stream_ == nullptr) {
            fail();
            // The file is there, and may well be writable: say that its folder is the cause
            // (/proc, for one, takes no new files and answers "No such file or directory").
            if (exists) error_ = "no file can be made beside it to replace it whole (" + error_ + ")";
        }
        return;
    }
    stream_ = fdopen(descriptor, "w+b");
    if (stream_ == nullptr) {
        const int cause = errno;
        close(descriptor);
        errno = cause;
        fail();
    }
}

WholeFile::~WholeFile() { discard(); }

void WholeFile::discard() {
    if (stream_) std::fclose(std::exchange(stream_, nullptr));
    std::free(std::exchange(memory_, nullptr));
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
    discard();
    return false;
}

bool WholeFile::refuse(std::string reason) {
    error_ = std::move(reason);
    discard();
    return false;
}

bool WholeFile::finish() {
    if (stream_ == nullptr) return false;
    if (std::fflush(stream_) != 0) return fail();
    // A FIFO or a device has no disk to wait for, and its reader waits for the end.
    if (special_) return std::fclose(std::exchange(stream_, nullptr)) == 0 || fail();
    if (!temporaryPath_.empty() && fsync(fileno(stream_)) != 0) return fail();
    return true;
}

bool WholeFile::replace() {
    if (special_) return true;
    // The target as it is now: a chmod, a link or a read-only flag of the last minutes counts.
    struct stat status {};
    const bool exists = stat(target_.c_str(), &status) == 0;
    if (exists && S_ISDIR(status.st_mode)) {
        errno = EISDIR;
        return fail();
    }
    if (exists) {
        if (std::string refusal = writeRefusal(target_, status); !refusal.empty()) return refuse(std::move(refusal));
    }
    const bool renamed = !temporaryPath_.empty() && (!exists || takesTargetsPlace(fileno(stream_), status));
    return renamed ? renameOverTarget() : writeInPlace();
}

bool WholeFile::renameOverTarget() {
    if (std::fclose(std::exchange(stream_, nullptr)) != 0) return fail();
    if (std::rename(temporaryPath_.c_str(), target_.c_str()) != 0) return fail();
    // A signal that comes before the note is dropped finds no file under that name.
    forgetTemporary(std::exchange(temporarySlot_, -1));
    temporaryPath_.clear();
    return true;
}

// The file keeps its inode. A failure midway (a full disk, the process killed) leaves it
// partly written, which is why this way is taken only where a rename would change the file.
bool WholeFile::writeInPlace() {
    std::string fromTemporary;
    if (!temporaryPath_.empty() && !readAll(fileno(stream_), fromTemporary)) return fail();
    const char* content = temporaryPath_.empty() ? memory_ : fromTemporary.data();
    const std::size_t size = temporaryPath_.empty() ? memorySize_ : fromTemporary.size();
    const SignalsHeld held;
    const int descriptor = open(target_.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_NOCTTY | O_CLOEXEC, 0666);
    if (descriptor < 0) return fail();
    const bool written = writeAll(descriptor, content, size) && fsync(descriptor) == 0;
    const int cause = errno;
    if (close(descriptor) != 0 && written) return fail();
    if (!written) {
        errno = cause;
        return fail();
    }
    discard();
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

void removeTemporaryFilesOnSignals() {
    for (const int signal : endingSignals) {
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

}  // namespace kelvaro
