#include "tests/scene/text_stream.h"

#include <algorithm>
#include <cerrno>

namespace kelvaro::testing {

TextStream::TextStream(long limit) : limit_(limit) {
    cookie_io_functions_t functions{};
    functions.write = &TextStream::write;
    file_ = fopencookie(this, "w", functions);
    std::setvbuf(file_, nullptr, _IONBF, 0);
}

TextStream::~TextStream() { std::fclose(file_); }

ssize_t TextStream::write(void* cookie, const char* data, size_t size) {
    auto* stream = static_cast<TextStream*>(cookie);
    size_t taken = size;
    if (stream->limit_ >= 0) taken = std::min(size, static_cast<size_t>(stream->limit_) - stream->text_.size());
    if (taken == 0 && size > 0) {
        errno = ENOSPC;
        return -1;
    }
    stream->text_.append(data, taken);
    return static_cast<ssize_t>(taken);
}

}  // namespace kelvaro::testing
