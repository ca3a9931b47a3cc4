#include "viz/hedgehog.h"

#include <algorithm>
#include <cmath>
#include <limits>
#include <new>
#include <optional>
#include <span>
#include <vector>

#include "scene/attribute_set.h"
#include "viz/point_evaluation.h"
#include "viz/scene_arena.h"

namespace kelvaro {
namespace {

Random15 processRandom;

// Generous: a box with any room outside the charges gets a sample long before this.
constexpr long maxDiscardedInARow = 1000000;

// Samples a block of the fast path takes: a few per line wanted, for short requests, and
// never so many that the making of lines waits long for the first block.
int samplesPerBlock(int count) { return std::clamp(count / 8, 256, 4096); }

// A new Line (one reference, the caller's) with a plain attribute set of hedgehogColor,
// both made in `arena` (from the heap without one). Raises std::bad_alloc when either
// cannot be made: a hedgehog is made whole or not at all, never with lines left out.
Ref<Line> coloredLine(const Vector3& start, const Vector3& end, SceneArena* arena = nullptr) {
    Ref<Line> line = arena != nullptr ? arena->make<Line>(start, end) : create<Line>(start, end);
    if (line && arena != nullptr) {
        line->setAttributes(arena->make<AttributeSet>(hedgehogColor));
    } else if (line) {
        line->setColor(hedgehogColor);
    }
    if (!line || line->attributes() == nullptr) throw std::bad_alloc();
    return line;
}

Vector3 sampleIn(const ABox& box, Random15& generator) {
    Vector3 sample;
    sample.x = randomBetween(generator, box.min.x, box.max.x);
    sample.y = randomBetween(generator, box.min.y, box.max.y);
    sample.z = randomBetween(generator, box.min.z, box.max.z);
    return sample;
}

// The plain path: each sample tested, and its line made, before the next is drawn.
void addLinesOneByOne(const Model& model, int count, Random15& generator, Group& result) {
    int accepted = 0;
    long discardedInARow = 0;
    while (accepted < count) {
        const Vector3 sample = sampleIn(model.bounds(), generator);
        if (model.isStopPoint(sample)) {
            if (++discardedInARow >= maxDiscardedInARow) break;
            continue;
        }
        discardedInARow = 0;
        const std::optional<Vector3> end = hedgehogLineEnd(model, sample, model.fieldAt(sample));
        if (end) result.add(*coloredLine(sample, *end));
        ++accepted;
    }
}

// A block of consecutive samples of the sequence, drawn and stop-tested together, with the
// line ends of those that are not stop points (computed together too).
struct SampleBlock {
    std::vector<Vector3> samples;
    std::vector<std::uint8_t> stops;
    std::vector<Vector3> kept;  // the samples that are not stop points, in order
    std::vector<std::optional<Vector3>> ends;  // of the kept samples

    // Draws the samples [first, first + size) of the sequence that `start` begins: the
    // generator skipped to the first of them (three draws a sample), so that blocks drawn
    // on any threads in any order hold what one pass in order draws.
    void fill(const Model& model, const Random15& start, std::uint64_t first, int size) {
        Random15 generator = start.skipped(3u * first);
        samples.resize(static_cast<std::size_t>(size));
        stops.resize(samples.size());
        for (Vector3& sample : samples) sample = sampleIn(model.bounds(), generator);
        model.stopPointsAt(samples, stops.data());
        kept.clear();
        for (std::size_t b = 0; b < samples.size(); ++b) {
            if (!stops[b]) kept.push_back(samples[b]);
        }
        std::vector<Vector3> fields(kept.size());
        model.fieldsAt(kept, fields.data());
        ends.resize(kept.size());
        for (std::size_t k = 0; k < kept.size(); ++k) ends[k] = hedgehogLineEnd(model, kept[k], fields[k]);
    }
};

// The same lines in the same order as the plain path, and the generator left where it
// leaves it. The sequence of samples from the generator's state is cut into blocks, which
// the threads draw, test and compute ahead; the calling thread takes each block's samples
// in order as the plain path does, making the lines, until `count` are accepted (or it
// gives up), and moves the generator just past the last sample taken: the samples drawn
// past it were never drawn by the plain path, so the next request starts from there.
void addLinesByBlocks(const Model& model, int count, Random15& generator, const BuildOptions& options,
                      Group& result) {
    if (count <= 0) return;
    const Random15 start = generator;
    const int blockSize = samplesPerBlock(count);
    const int threads = options.threadCount();
    // A block is drawn only once the one `threads` + 1 before it has been taken: so many buffers.
    std::vector<SampleBlock> blocks(static_cast<std::size_t>(threads) + 1);
    const auto blockOf = [&](int k) -> SampleBlock& { return blocks[static_cast<std::size_t>(k) % blocks.size()]; };
    SceneArena arena(static_cast<std::size_t>(count) *
                     (SceneArena::objectBytes<Line>() + SceneArena::objectBytes<AttributeSet>()));
    int accepted = 0;
    long discardedInARow = 0;
    produceAndConsumeInOrder(
        threads, std::numeric_limits<int>::max(), [&](int k) { return k - threads; },
        [&](int k) { blockOf(k).fill(model, start, static_cast<std::uint64_t>(k) * blockSize, blockSize); },
        [&](int k) {
            const SampleBlock& block = blockOf(k);
            std::size_t keptIndex = 0;
            for (std::size_t b = 0; b < block.samples.size(); ++b) {
                bool done = false;
                if (block.stops[b]) {
                    done = ++discardedInARow >= maxDiscardedInARow;
                } else {
                    discardedInARow = 0;
                    const std::optional<Vector3>& end = block.ends[keptIndex++];
                    if (end) result.add(*coloredLine(block.samples[b], *end, &arena));
                    done = ++accepted == count;
                }
                if (done) {
                    generator = start.skipped(3u * (static_cast<std::uint64_t>(k) * blockSize + b + 1));
                    return false;
                }
            }
            return true;
        });
}

}  // namespace

const Random15& hedgehogRandom() { return processRandom; }

Random15 Random15::skipped(std::uint64_t draws) const {
    // `step` is the recurrence s -> multiplier * s + increment applied 2^i times, for
    // the bit i of `draws` in turn; `total` gathers the steps of the bits that are set.
    std::uint32_t stepMultiplier = 214013u, stepIncrement = 2531011u;
    std::uint32_t totalMultiplier = 1u, totalIncrement = 0u;
    for (; draws != 0; draws >>= 1) {
        if (draws & 1u) {
            totalMultiplier *= stepMultiplier;
            totalIncrement = totalIncrement * stepMultiplier + stepIncrement;
        }
        stepIncrement *= stepMultiplier + 1u;
        stepMultiplier *= stepMultiplier;
    }
    return Random15(totalMultiplier * state_ + totalIncrement);
}

float randomBetween(Random15& generator, double low, double high) {
    constexpr double step = 1.0 / 32767.0;
    const int r = generator.next();
    return static_cast<float>(low + r * ((high - low) * step));
}

float randomBetween(double low, double high) { return randomBetween(processRandom, low, high); }

Ref<Line> makeHedgehogLine(const Model& model, const Vector3& point) {
    const std::optional<Vector3> end = hedgehogLineEnd(model, point, model.fieldAt(point));
    try {
        return end ? coloredLine(point, *end) : Ref<Line>{};
    } catch (const std::bad_alloc&) {
        return {};
    }
}

std::optional<Vector3> hedgehogLineEnd(const Model& model, const Vector3& point, Vector3 field) {
    const double strength = normalize(field);
    if (!(strength > 0.0) || std::isinf(strength)) return std::nullopt;
    return sum(point, scaled(field, static_cast<float>(model.hedgehogLength())));
}

Ref<Group> makeHedgehog(const Model& model, int count, const BuildOptions& options) {
    return makeHedgehog(model, count, processRandom, options);
}

Ref<Group> makeHedgehog(const Model& model, int count, Random15& generator, const BuildOptions& options) {
    try {
        Ref<Group> result = create<Group>(20, 20);
        if (!result) return {};
        if (options.reference) {
            addLinesOneByOne(model, count, generator, *result);
        } else {
            addLinesByBlocks(model, count, generator, options, *result);
        }
        return result;
    } catch (const std::bad_alloc&) {
        return {};
    }
}

}  // namespace kelvaro
