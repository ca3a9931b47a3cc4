#pragma once
// Pictures of what GL has drawn, kept as PNG files.

#include <cstdint>
#include <string>
#include <vector>

namespace kelvaro {

// An 8-bit RGB picture, rows from the bottom up as OpenGL reads them.
struct Picture {
    int width = 0;
    int height = 0;
    std::vector<std::uint8_t> rgb;  // 3 * width * height bytes
};

// Reads the current viewport of the current context's read buffer (the back buffer of a
// double-buffered window: what the last frame drew before it is shown).
Picture readViewport();

// `picture` as the bytes of a PNG file; empty, with the reason in `error`, when it cannot be
// encoded.
std::vector<std::uint8_t> pngBytes(const Picture& picture, std::string& error);

// Writes `picture` to `path` as a PNG file (pngBytes), whole or not at all (see
// WholeFile). Answers an empty text on success, else why it failed.
std::string writePng(const Picture& picture, const std::string& path);

// The first of kelvaro-001.png, kelvaro-002.png, ... that names nothing in the working
// folder (past 999 the numbers grow to four digits and more).
std::string nextPictureName();

}  // namespace kelvaro
