#pragma once
// Animated GIF files of a sequence of pictures, with one palette for them all so that
// colours do not flicker from frame to frame.

#include <array>
#include <cstdint>
#include <string>
#include <vector>

#include "render/picture_file.h"

namespace kelvaro {

// One palette of at most 256 colours for a set of pictures, and every picture's pixels as
// indices into it, rows from the top down as GIF stores them.
struct IndexedPictures {
    std::vector<std::array<std::uint8_t, 3>> palette;
    std::vector<std::vector<std::uint8_t>> indices;
};

// Chooses the palette by median cut over the colours of all the pictures (each colour
// counted at 5 bits a channel, so that 256 colours go where the pixels are) and maps every
// pixel to its nearest entry. Colours of pictures that hold at most 256 of them, each
// alone in its 5-bit cell, stay exact.
IndexedPictures indexColours(const std::vector<Picture>& pictures);

// Writes `frames` (all of one size) to `path` as a GIF animation that loops forever and
// shows them over `seconds` in all (in hundredths of a second, spread evenly), whole or
// not at all (see WholeFile). Answers an empty text on success, else why it failed.
std::string writeGif(const std::vector<Picture>& frames, double seconds, const std::string& path);

}  // namespace kelvaro
