#pragma once
// Streams for testing text forms: one that collects what is written, and one that
// accepts a fixed number of bytes and then refuses every write.

#include <cstdio>
#include <string>

namespace kelvaro::testing {

// An unbuffered stream whose writes are collected in text(); a limit, when given, is the
// number of bytes it takes in all, like a full device: writes beyond it fail.
class TextStream {
public:
    explicit TextStream(long limit = -1);
    ~TextStream();
    TextStream(const TextStream&) = delete;
    TextStream& operator=(const TextStream&) = delete;

    std::FILE* file() const { return file_; }
    const std::string& text() const { return text_; }

private:
    static ssize_t write(void* cookie, const char* data, size_t size);

    std::string text_;
    long limit_;
    std::FILE* file_;
};

}  // namespace kelvaro::testing
