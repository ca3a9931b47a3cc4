#include "viz/hedgehog.h"

#include <algorithm>
#include <cmath>
#include <new>
#include <optional>
#include <span>
#include <vector>

#include "viz/point_evaluation.h"

namespace kelvaro {
namespace {

Random15 processRandom;

// Generous: a box with any room outside the charges gets a sample long before this.
constexpr long maxDiscardedInARow = 1000000;

// Samples per block: the first is small, so that the making of lines soon runs beside the
// computing, and blocks then grow to keep the number of parallel steps (each starts and
// joins its threads) small.
constexpr int firstBlock = 2048;
constexpr int maxBlock = 8192;
// Samples per task of a parallel step.
constexpr int samplesPerTask = 1024;

// A new Line (one reference, the caller's) with a plain attribute set of hedgehogColor;
// none when it cannot be created.
Ref<Line> coloredLine(const Vector3& start, const Vector3& end) {
    Ref<Line> line = create<Line>(start, end);
    if (line) line->setColor(hedgehogColor);
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
        const Ref<Line> line = makeHedgehogLine(model, sample);
        if (line) result.add(*line);
        ++accepted;
    }
}

// Where the sampling stands: accepted samples so far, discarded ones in a row, and the
// size of the next block.
struct SamplingState {
    int accepted = 0;
    long discardedInARow = 0;
    bool gaveUp = false;
    int blockSize = firstBlock;
};

// A block of samples drawn ahead from `start`, the generator where the previous block's
// last taken sample left it, each with its stop test.
struct SampleBlock {
    Random15 start;
    std::vector<Vector3> samples;
    std::vector<std::uint8_t> stops;

    // Makes room for the block that follows the samples taken so far.
    void prepare(const Random15& generator, int count, SamplingState& state) {
        const int wanted = count - state.accepted;
        // A few more than are wanted, since some samples may fall within charges.
        const int size = std::min(state.blockSize, wanted + wanted / 4 + 64);
        state.blockSize = std::min(2 * state.blockSize, maxBlock);
        start = generator;
        samples.resize(static_cast<std::size_t>(size));
        stops.resize(samples.size());
    }
    // Draws and tests the samples [begin, end), from the generator skipped to the first of them
    // (three draws a sample), so that tasks on any threads draw what one pass in order would.
    void fill(const Model& model, int begin, int end) {
        Random15 generator = start.skipped(3u * static_cast<std::uint64_t>(begin));
        for (int b = begin; b < end; ++b) samples[b] = sampleIn(model.bounds(), generator);
        const std::size_t from = static_cast<std::size_t>(begin), length = static_cast<std::size_t>(end - begin);
        model.stopPointsAt(std::span(samples).subspan(from, length), stops.data() + from);
    }
    // Takes the samples in order as the plain path would, into `taken`, until `count` are
    // accepted or the block ends, and leaves `generator` just after the last one taken: the
    // samples drawn past it were never drawn by the plain path, so the next block, and the
    // next request, start from there.
    void take(int count, SamplingState& state, Random15& generator, std::vector<Vector3>& taken) const {
        taken.clear();
        std::size_t used = 0;
        while (used < samples.size() && state.accepted < count) {
            const std::size_t b = used++;
            if (stops[b]) {
                state.gaveUp = ++state.discardedInARow >= maxDiscardedInARow;
                if (state.gaveUp) break;
                continue;
            }
            state.discardedInARow = 0;
            taken.push_back(samples[b]);
            ++state.accepted;
        }
        generator = start.skipped(3u * used);
    }
};

// The same lines in the same order as the plain path, by blocks of samples. Block k of the
// pipeline computes the line ends of the samples taken from sample block k - 1 and draws and
// tests sample block k; this thread makes the lines of block k - 1 meanwhile. Between the
// steps it takes the samples of the block just drawn, which decides where the next begins.
void addLinesByBlocks(const Model& model, int count, Random15& generator, const BuildOptions& options,
                      Group& result) {
    struct Lines {
        std::vector<Vector3> starts;
        std::vector<std::optional<Vector3>> ends;
    };
    Lines lines[2];  // block k's in lines[k % 2]
    SamplingState state;
    SampleBlock block;
    bool drawn = false;  // `block` holds samples drawn and tested by the last step
    int endTasks = 0;
    const auto taskCount = [](std::size_t samples) { return static_cast<int>((samples + samplesPerTask - 1) / samplesPerTask); };
    consumeWhileProducingNext(
        options.threadCount(),
        [&](int k) {
            Lines& taken = lines[k % 2];
            taken.starts.clear();
            if (drawn) block.take(count, state, generator, taken.starts);
            taken.ends.resize(taken.starts.size());
            drawn = state.accepted < count && !state.gaveUp;
            if (drawn) block.prepare(generator, count, state);
            if (!drawn && taken.starts.empty()) return -1;
            endTasks = taskCount(taken.starts.size());
            return endTasks + (drawn ? taskCount(block.samples.size()) : 0);
        },
        [&](int k, int task) {
            if (task >= endTasks) {
                const int first = (task - endTasks) * samplesPerTask;
                block.fill(model, first, std::min(first + samplesPerTask, static_cast<int>(block.samples.size())));
                return;
            }
            Lines& taken = lines[k % 2];
            const int first = task * samplesPerTask;
            const int last = std::min(first + samplesPerTask, static_cast<int>(taken.starts.size()));
            Vector3 fields[samplesPerTask];
            model.fieldsAt(std::span(taken.starts).subspan(static_cast<std::size_t>(first),
                                                           static_cast<std::size_t>(last - first)),
                           fields);
            for (int s = first; s < last; ++s) taken.ends[s] = hedgehogLineEnd(model, taken.starts[s], fields[s - first]);
        },
        [&](int k) {
            const Lines& made = lines[k % 2];
            for (std::size_t s = 0; s < made.starts.size(); ++s) {
                if (!made.ends[s]) continue;
                const Ref<Line> line = coloredLine(made.starts[s], *made.ends[s]);
                if (line) result.add(*line);
            }
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
    return end ? coloredLine(point, *end) : Ref<Line>{};
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
