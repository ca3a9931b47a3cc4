#include "app/whole_file.h"

#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <utility>

namespace kelvaro {

WholeFile::WholeFile(std::string path) : path_(std::move(path)), temporaryPath_(path_ + ".XXXXXX") {
    const int descriptor = mkstemp(temporaryPath_.data());
    if (descriptor < 0) {
        temporaryPath_.clear();
        fail();
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
    // mkstemp makes the file private; give it the permissions a new file would have.
    const mode_t mask = umask(0);
    umask(mask);
    if (fchmod(descriptor, 0666 & ~mask) != 0) fail();
}

WholeFile::~WholeFile() {
    if (stream_) std::fclose(stream_);
    if (!temporaryPath_.empty()) std::remove(temporaryPath_.c_str());
}

bool WholeFile::fail() {
    error_ = std::strerror(errno);
    if (stream_) std::fclose(std::exchange(stream_, nullptr));
    if (!temporaryPath_.empty()) std::remove(std::exchange(temporaryPath_, {}).c_str());
    return false;
}

bool WholeFile::commit() {
    if (stream_ == nullptr) return false;
    if (std::fflush(stream_) != 0 || fsync(fileno(stream_)) != 0) return fail();
    if (std::fclose(std::exchange(stream_, nullptr)) != 0) return fail();
    if (std::rename(temporaryPath_.c_str(), path_.c_str()) != 0) return fail();
    temporaryPath_.clear();
    return true;
}

}  // namespace kelvaro
