#pragma once
// Files written whole or not at all: a failed or interrupted write never leaves a partial
// file under the asked name, nor any file behind.

#include <cstdio>
#include <string>

namespace kelvaro {

// Writes go to a temporary file beside `path` (in the same folder, so that the final
// rename stays within one file system), which replaces whatever `path` named only when
// commit() succeeds. Until then, and when the object goes away uncommitted, the temporary
// file is removed.
class WholeFile {
public:
    // Creates the temporary file. On failure stream() is null and error() says why (the
    // system's words, "No such file or directory" and the like).
    explicit WholeFile(std::string path);
    ~WholeFile();
    WholeFile(const WholeFile&) = delete;
    WholeFile& operator=(const WholeFile&) = delete;

    // Where to write; null when the file could not be made, and after commit().
    std::FILE* stream() const { return stream_; }
    const std::string& error() const { return error_; }
    // Closes the temporary file and renames it to the path. Answers whether that worked;
    // when not, error() says why and the temporary file is gone.
    bool commit();

private:
    // Keeps the reason that errno gives, closes and removes the temporary file; answers false.
    bool fail();

    std::string path_;
    std::string temporaryPath_;
    std::FILE* stream_ = nullptr;
    std::string error_;
};

}  // namespace kelvaro
