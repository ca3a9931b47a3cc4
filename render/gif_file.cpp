#include "render/gif_file.h"

#include <gif_lib.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <memory>

#include "common/whole_file.h"

namespace kelvaro {
namespace {

constexpr int cellBits = 5;
constexpr int cellCount = 1 << (3 * cellBits);
constexpr std::size_t paletteSize = 256;

int cellOf(const std::uint8_t* rgb) {
    constexpr int drop = 8 - cellBits;
    return ((rgb[0] >> drop) << (2 * cellBits)) | ((rgb[1] >> drop) << cellBits) | (rgb[2] >> drop);
}

// The pixels that fell into one cell: how many, and the sums of their channels.
struct Cell {
    int index = 0;
    std::uint64_t count = 0;
    std::uint64_t sum[3] = {0, 0, 0};
    double mean(int channel) const { return static_cast<double>(sum[channel]) / static_cast<double>(count); }
};

// A range of cells (in `cells`) that becomes one palette entry.
struct Box {
    std::size_t begin, end;
    std::uint64_t count;
    int widestChannel;
    double width;  // the range of the widest channel's means
};

Box makeBox(const std::vector<Cell>& cells, std::size_t begin, std::size_t end) {
    Box box{begin, end, 0, 0, 0.0};
    double low[3] = {255, 255, 255}, high[3] = {0, 0, 0};
    for (std::size_t i = begin; i < end; ++i) {
        box.count += cells[i].count;
        for (int c = 0; c < 3; ++c) {
            low[c] = std::min(low[c], cells[i].mean(c));
            high[c] = std::max(high[c], cells[i].mean(c));
        }
    }
    for (int c = 0; c < 3; ++c) {
        if (high[c] - low[c] > box.width) {
            box.width = high[c] - low[c];
            box.widestChannel = c;
        }
    }
    return box;
}

// Splits boxes until there are paletteSize of them or none can be split: always the box
// whose widest channel, weighted by its pixels, spans most, at the median of its pixels.
std::vector<Box> medianCut(std::vector<Cell>& cells) {
    std::vector<Box> boxes{makeBox(cells, 0, cells.size())};
    while (boxes.size() < paletteSize) {
        const auto score = [](const Box& box) {
            return box.end - box.begin < 2 ? -1.0 : box.width * std::sqrt(static_cast<double>(box.count));
        };
        const auto chosen = std::max_element(boxes.begin(), boxes.end(),
                                             [&](const Box& a, const Box& b) { return score(a) < score(b); });
        if (score(*chosen) <= 0.0) break;
        const Box box = *chosen;
        std::sort(cells.begin() + static_cast<std::ptrdiff_t>(box.begin), cells.begin() + static_cast<std::ptrdiff_t>(box.end),
                  [&](const Cell& a, const Cell& b) { return a.mean(box.widestChannel) < b.mean(box.widestChannel); });
        std::uint64_t seen = 0;
        std::size_t split = box.begin + 1;
        for (std::size_t i = box.begin; i < box.end - 1; ++i) {
            seen += cells[i].count;
            split = i + 1;
            if (2 * seen >= box.count) break;
        }
        *chosen = makeBox(cells, box.begin, split);
        boxes.push_back(makeBox(cells, split, box.end));
    }
    return boxes;
}

int writeToStream(GifFileType* gif, const GifByteType* bytes, int length) {
    return static_cast<int>(std::fwrite(bytes, 1, static_cast<std::size_t>(length), static_cast<std::FILE*>(gif->UserData)));
}

// Hundredths of a second for frame `i` of `count` over `total` hundredths, adding up to it.
int frameDelay(int i, int count, long long total) {
    const auto at = [&](int frame) { return std::llround(static_cast<double>(total) * frame / count); };
    return static_cast<int>(at(i + 1) - at(i));
}

struct GifCloser {
    void operator()(GifFileType* gif) const {
        int ignored = 0;
        EGifCloseFile(gif, &ignored);
    }
};

}  // namespace

IndexedPictures indexColours(const std::vector<Picture>& pictures) {
    std::vector<Cell> table(cellCount);
    for (const Picture& picture : pictures) {
        for (std::size_t at = 0; at + 2 < picture.rgb.size(); at += 3) {
            Cell& cell = table[static_cast<std::size_t>(cellOf(&picture.rgb[at]))];
            ++cell.count;
            for (int c = 0; c < 3; ++c) cell.sum[c] += picture.rgb[at + static_cast<std::size_t>(c)];
        }
    }
    std::vector<Cell> cells;
    for (int i = 0; i < cellCount; ++i) {
        if (table[static_cast<std::size_t>(i)].count == 0) continue;
        cells.push_back(table[static_cast<std::size_t>(i)]);
        cells.back().index = i;
    }
    IndexedPictures result;
    if (cells.empty()) return result;
    std::vector<std::uint8_t> entryOfCell(cellCount, 0);
    const std::vector<Box> boxes = medianCut(cells);
    for (const Box& box : boxes) {
        std::uint64_t sum[3] = {0, 0, 0};
        for (std::size_t i = box.begin; i < box.end; ++i) {
            for (int c = 0; c < 3; ++c) sum[c] += cells[i].sum[c];
        }
        std::array<std::uint8_t, 3> colour{};
        for (int c = 0; c < 3; ++c) colour[c] = static_cast<std::uint8_t>((sum[c] + box.count / 2) / box.count);
        result.palette.push_back(colour);
    }
    // Each cell takes the entry nearest to its own mean colour.
    for (const Cell& cell : cells) {
        double best = 1e300;
        for (std::size_t entry = 0; entry < result.palette.size(); ++entry) {
            double distance = 0.0;
            for (int c = 0; c < 3; ++c) {
                const double d = cell.mean(c) - result.palette[entry][static_cast<std::size_t>(c)];
                distance += d * d;
            }
            if (distance < best) {
                best = distance;
                entryOfCell[static_cast<std::size_t>(cell.index)] = static_cast<std::uint8_t>(entry);
            }
        }
    }
    for (const Picture& picture : pictures) {
        std::vector<std::uint8_t> indices(static_cast<std::size_t>(picture.width) * static_cast<std::size_t>(picture.height));
        for (int row = 0; row < picture.height; ++row) {
            const std::size_t from = 3u * static_cast<std::size_t>(picture.height - 1 - row) * static_cast<std::size_t>(picture.width);
            const std::size_t to = static_cast<std::size_t>(row) * static_cast<std::size_t>(picture.width);
            for (int column = 0; column < picture.width; ++column) {
                indices[to + static_cast<std::size_t>(column)] =
                    entryOfCell[static_cast<std::size_t>(cellOf(&picture.rgb[from + 3u * static_cast<std::size_t>(column)]))];
            }
        }
        result.indices.push_back(std::move(indices));
    }
    return result;
}

std::string writeGif(const std::vector<Picture>& frames, double seconds, const std::string& path) {
    if (frames.empty()) return "no frames";
    const IndexedPictures indexed = indexColours(frames);
    WholeFile file(path);
    if (!file.stream()) return file.error();
    int status = 0;
    std::unique_ptr<GifFileType, GifCloser> gif(EGifOpen(file.stream(), writeToStream, &status));
    if (!gif) return GifErrorString(status);
    const auto failed = [&] { return std::string(GifErrorString(gif->Error)); };
    GifColorType colours[paletteSize] = {};
    for (std::size_t i = 0; i < indexed.palette.size(); ++i) {
        colours[i] = {indexed.palette[i][0], indexed.palette[i][1], indexed.palette[i][2]};
    }
    const std::unique_ptr<ColorMapObject, void (*)(ColorMapObject*)> map(
        GifMakeMapObject(static_cast<int>(paletteSize), colours), GifFreeMapObject);
    if (!map) return "out of memory";
    const int width = frames.front().width, height = frames.front().height;
    EGifSetGifVersion(gif.get(), true);
    if (EGifPutScreenDesc(gif.get(), width, height, 8, 0, map.get()) == GIF_ERROR) return failed();
    // The application extension that browsers read as "loop forever".
    const GifByteType application[] = {'N', 'E', 'T', 'S', 'C', 'A', 'P', 'E', '2', '.', '0'};
    const GifByteType loopForever[] = {1, 0, 0};
    if (EGifPutExtensionLeader(gif.get(), APPLICATION_EXT_FUNC_CODE) == GIF_ERROR ||
        EGifPutExtensionBlock(gif.get(), sizeof application, application) == GIF_ERROR ||
        EGifPutExtensionBlock(gif.get(), sizeof loopForever, loopForever) == GIF_ERROR ||
        EGifPutExtensionTrailer(gif.get()) == GIF_ERROR) {
        return failed();
    }
    const long long total = std::llround(seconds * 100.0);
    const int count = static_cast<int>(frames.size());
    for (int i = 0; i < count; ++i) {
        GraphicsControlBlock control{DISPOSAL_UNSPECIFIED, false, frameDelay(i, count, total), NO_TRANSPARENT_COLOR};
        GifByteType extension[4];
        const std::size_t length = EGifGCBToExtension(&control, extension);
        if (EGifPutExtension(gif.get(), GRAPHICS_EXT_FUNC_CODE, static_cast<int>(length), extension) == GIF_ERROR ||
            EGifPutImageDesc(gif.get(), 0, 0, width, height, false, nullptr) == GIF_ERROR) {
            return failed();
        }
        std::vector<GifPixelType> row(static_cast<std::size_t>(width));
        for (int y = 0; y < height; ++y) {
            const auto start = indexed.indices[static_cast<std::size_t>(i)].begin() + static_cast<std::ptrdiff_t>(y) * width;
            std::copy(start, start + width, row.begin());
            if (EGifPutLine(gif.get(), row.data(), width) == GIF_ERROR) return failed();
        }
    }
    int closeStatus = 0;
    if (EGifCloseFile(gif.release(), &closeStatus) == GIF_ERROR) return GifErrorString(closeStatus);
    return file.commit() ? std::string() : file.error();
}

}  // namespace kelvaro
