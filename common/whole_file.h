#pragma once
// Files written whole or not at all: a failed or interrupted write never leaves a partial
// file under the asked name, nor any file behind.

#include <cstdio>
#include <initializer_list>
#include <string>

namespace kelvaro {

// Writes to the file that `path` names once its symbolic links are followed (a link to a
// missing file makes that file). A regular file, or a new one, is written as a temporary
// file beside it (in the same folder, so that the final rename stays within one file
// system), which replaces the file only when commit() succeeds; until then, when the
// object goes away uncommitted, and when SIGINT or SIGTERM ends the process meanwhile (the
// process then ends as the signal would have ended it), the temporary file is removed. A
// FIFO, a device or any other file that is not a regular file is written straight into:
// it cannot be replaced, and what was written stays written. A folder is refused.
class WholeFile {
public:
    // Follows the links and creates the temporary file (or opens the special file, which
    // for a FIFO waits for a reader). On failure stream() is null and error() says why
    // (the system's words, "No such file or directory" and the like; for a regular file
    // whose folder takes no temporary file beside it, words that say so, with the system's).
    explicit WholeFile(std::string path);
    ~WholeFile();
    WholeFile(const WholeFile&) = delete;
    WholeFile& operator=(const WholeFile&) = delete;

    // Where to write; null when the file could not be made, and after commit().
    std::FILE* stream() const { return stream_; }
    const std::string& error() const { return error_; }
    // Flushes and closes the file, then renames the temporary file to the path. Answers
    // whether that worked; when not, error() says why and the temporary file is gone.
    bool commit();

private:
    friend WholeFile* commitTogether(std::initializer_list<WholeFile*> files);

    // Writes everything out (to the disk, for a temporary file) and closes the stream.
    bool finish();
    // Puts the finished temporary file in the target's place (nothing for a special file).
    bool replace();
    // Keeps the reason that errno gives, closes and removes the temporary file; answers false.
    bool fail();
    void removeTemporary();

    std::string target_;         // the path with its links followed
    std::string temporaryPath_;  // empty when there is none (a special file, or gone)
    int temporarySlot_ = -1;     // where the signal handlers find the temporary path
    std::FILE* stream_ = nullptr;
    std::string error_;
};

// Commits several files as one: every file is finished (written out and flushed to the
// disk) before any takes its place, so that a failure in writing any of them leaves every
// path as it was (files that are not regular aside: they were written as they went). Then
// the temporary files are renamed in order; a refused rename stops there. Answers null
// when all were committed, else the first that failed (its error() says why); the
// temporary files are gone either way.
WholeFile* commitTogether(std::initializer_list<WholeFile*> files);

}  // namespace kelvaro
