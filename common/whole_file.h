#pragma once
// Files written whole or not at all: a failed or interrupted write leaves no partial file
// under the asked name (but for a file that can only be written in place), and a file that
// is replaced keeps what its users gave it.

#include <cstddef>
#include <cstdio>
#include <initializer_list>
#include <string>

namespace kelvaro {

// Writes to the file that `path` names once its symbolic links are followed (a link to a
// missing file makes that file).
//
// A regular file, or a new one, is written whole. The content goes to a temporary file with
// a short name (".kelvaro-" and eight letters or digits) in the file's folder, or, when that
// folder takes no new file, to memory. commit() puts it in place, deciding as careful
// editors do, with the file as it is at that moment:
// - a new file, and a file that a rename keeps as it was, is replaced by renaming the
//   temporary file over it. A rename keeps a file as it was when the file has one link and
//   the temporary file can take its owner and group; it takes the file's permissions too,
//   also those of a chmod made while the content was written;
// - any other file (a second hard link, another owner or group that cannot be given, a
//   folder that takes no new file) is written in place, once the whole content is in
//   memory: it keeps its inode, and with it its owner, group, permissions and links; a
//   failure midway (a full disk) leaves it partly written.
// A new file gets the permissions that the umask (or the folder's default ACL) leaves of
// 0666, as any program's new file does.
//
// A file that the user cannot write is refused, with error() "it is read-only", and left
// as it is. A file whose permissions let nobody write it (0444) counts as read-only also
// for a user whom the system lets write anything (root), as editors treat it.
//
// The temporary file is removed when the object goes away uncommitted, and when a signal
// ends the process in a program that asked for that (removeTemporaryFilesOnSignals).
// A FIFO, a device or any other file that is not a regular file is written straight into:
// it cannot be replaced, and what was written stays written. A folder is refused.
class WholeFile {
public:
    // Follows the links and creates the temporary file (or opens the special file, which
    // for a FIFO waits for a reader). On failure stream() is null and error() says why
    // ("it is read-only", or the system's words: "No such file or directory" and the like;
    // for a regular file whose folder takes no file beside it, words that say so, with the
    // system's).
    explicit WholeFile(std::string path);
    ~WholeFile();
    WholeFile(const WholeFile&) = delete;
    WholeFile& operator=(const WholeFile&) = delete;

    // Where to write; null when the file could not be made, and after commit().
    std::FILE* stream() const { return stream_; }
    const std::string& error() const { return error_; }
    // Writes everything out and puts the content in the file's place. Answers whether that
    // worked; when not, error() says why and the temporary file is gone.
    bool commit();

private:
    friend WholeFile* commitTogether(std::initializer_list<WholeFile*> files);

    // Writes everything out (to the disk, for a temporary file); closes a special file.
    bool finish();
    // Puts the finished content in the target's place (nothing for a special file).
    bool replace();
    bool renameOverTarget();
    bool writeInPlace();
    // Keeps the reason that errno gives and discards everything; answers false.
    bool fail();
    bool refuse(std::string reason);
    // Closes the stream, frees the content in memory and removes the temporary file.
    void discard();
    void removeTemporary();

    std::string target_;         // the path with its links followed
    std::string temporaryPath_;  // empty when there is none (a special file, or gone)
    int temporarySlot_ = -1;     // where the signal handlers find the temporary path
    bool special_ = false;       // a FIFO or device, written straight into
    std::FILE* stream_ = nullptr;
    char* memory_ = nullptr;  // the content, when it is kept in memory (open_memstream)
    std::size_t memorySize_ = 0;
    std::string error_;
};

// Commits several files as one: every file is finished (written out and flushed to the
// disk) before any takes its place, so that a failure in writing any of them leaves every
// path as it was (files that are not regular aside: they were written as they went). Then
// each file takes its place in order; a refusal stops there. Answers null when all were
// committed, else the first that failed (its error() says why); the temporary files are
// gone either way.
WholeFile* commitTogether(std::initializer_list<WholeFile*> files);

// For a program's main: from now on SIGINT, SIGTERM, SIGHUP and SIGQUIT, when they end the
// process, first remove the temporary files of the WholeFiles that exist at that moment,
// and the process then ends as the signal would have ended it. A signal that the process
// ignores (SIGINT in the background) or handles already keeps its way. The library never
// installs these handlers by itself: a host such as a Python interpreter keeps its own.
void removeTemporaryFilesOnSignals();

}  // namespace kelvaro
