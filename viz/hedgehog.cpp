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

// Samples drawn and tested together: the first block is small, so that the making of
// lines soon runs beside the computing of fields, and blocks then grow to keep the number
// of parallel steps (each starts and joins its threads) small.
constexpr int firstBlock = 2048;
constexpr int maxBlock = 8192;

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

// Draws the next block of samples ahead on a copy of the generator, stop-tests them
// together and takes them in order as the plain path would, into `taken`, until `count`
// are accepted or the block ends. The generator is left just after the last sample taken,
// as if the rest of the block had never been drawn.
void takeBlock(const Model& model, int count, Random15& generator, const BuildOptions& options,
               SamplingState& state, std::vector<Vector3>& taken) {
    // A few more than are wanted, since some samples may fall within charges.
    const int wanted = count - state.accepted;
    const int block = std::min(state.blockSize, wanted + wanted / 4 + 64);
    state.blockSize = std::min(2 * state.blockSize, maxBlock);
    std::vector<Vector3> samples(static_cast<std::size_t>(block));
    std::vector<Random15> drawnAfter(samples.size());
    Random15 ahead = generator;
    for (int b = 0; b < block; ++b) {
        samples[b] = sampleIn(model.bounds(), ahead);
        drawnAfter[b] = ahead;
    }
    std::vector<std::uint8_t> stops(samples.size());
    stopPointsOf(model, samples, stops.data(), options);

    taken.clear();
    int used = 0;
    while (used < block && state.accepted < count) {
        const int b = used++;
        if (stops[b]) {
            state.gaveUp = ++state.discardedInARow >= maxDiscardedInARow;
            if (state.gaveUp) break;
            continue;
        }
        state.discardedInARow = 0;
        taken.push_back(samples[b]);
        ++state.accepted;
    }
    generator = drawnAfter[used - 1];
}

// The same lines in the same order as the plain path, by blocks of samples: while the
// workers compute the line ends of one block, this thread makes the lines of the block before.
void addLinesByBlocks(const Model& model, int count, Random15& generator, const BuildOptions& options,
                      Group& result) {
    struct Block {
        std::vector<Vector3> samples;
        std::vector<std::optional<Vector3>> ends;
    };
    Block made, next;
    SamplingState state;
    const auto makeLines = [&] {
        for (std::size_t k = 0; k < made.samples.size(); ++k) {
            if (!made.ends[k]) continue;
            const Ref<Line> line = coloredLine(made.samples[k], *made.ends[k]);
            if (line) result.add(*line);
        }
    };
    constexpr int samplesPerTask = 1024;
    while (true) {
        next.samples.clear();
        const bool sampling = state.accepted < count && !state.gaveUp;
        if (sampling) takeBlock(model, count, generator, options, state, next.samples);
        next.ends.resize(next.samples.size());
        forEachChunk(
            options.threadCount(), static_cast<int>(next.samples.size()), samplesPerTask,
            [&](int begin, int end) {
                Vector3 fields[samplesPerTask];
                model.fieldsAt(std::span(next.samples).subspan(static_cast<std::size_t>(begin),
                                                               static_cast<std::size_t>(end - begin)),
                               fields);
                for (int k = begin; k < end; ++k) next.ends[k] = hedgehogLineEnd(model, next.samples[k], fields[k - begin]);
            },
            makeLines);
        if (!sampling) break;
        std::swap(made, next);
    }
}

}  // namespace

const Random15& hedgehogRandom() { return processRandom; }

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
