#include "viz/hedgehog.h"

#include <algorithm>
#include <cmath>
#include <new>
#include <vector>

#include "viz/point_evaluation.h"

namespace kelvaro {
namespace {

Random15 processRandom;

// Generous: a box with any room outside the charges gets a sample long before this.
constexpr long maxDiscardedInARow = 1000000;

// The most samples drawn and tested together.
constexpr int maxBlock = 4096;

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

// Where the sampling stands: accepted samples so far, and discarded ones in a row.
struct SamplingState {
    int accepted = 0;
    long discardedInARow = 0;
    bool gaveUp = false;
};

// Draws the next block of samples ahead on a copy of the generator, stop-tests them
// together and takes them in order as the plain path would, into `taken`, until `count`
// are accepted or the block ends. The generator is left just after the last sample taken,
// as if the rest of the block had never been drawn.
void takeBlock(const Model& model, int count, Random15& generator, const BuildOptions& options,
               SamplingState& state, std::vector<Vector3>& taken) {
    // A few more than are wanted, since some samples may fall within charges.
    const int wanted = count - state.accepted;
    const int block = std::min(maxBlock, wanted + wanted / 4 + 64);
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
// workers compute the fields of one block, this thread makes the lines of the block before.
void addLinesByBlocks(const Model& model, int count, Random15& generator, const BuildOptions& options,
                      Group& result) {
    struct Block {
        std::vector<Vector3> samples;
        std::vector<Vector3> fields;
    };
    Block made, next;
    SamplingState state;
    const auto makeLines = [&] {
        for (std::size_t k = 0; k < made.samples.size(); ++k) {
            const Ref<Line> line = makeHedgehogLine(model, made.samples[k], made.fields[k]);
            if (line) result.add(*line);
        }
    };
    while (true) {
        next.samples.clear();
        const bool sampling = state.accepted < count && !state.gaveUp;
        if (sampling) takeBlock(model, count, generator, options, state, next.samples);
        next.fields.resize(next.samples.size());
        fieldsOf(model, next.samples, next.fields.data(), options, makeLines);
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
    return makeHedgehogLine(model, point, model.fieldAt(point));
}

Ref<Line> makeHedgehogLine(const Model& model, const Vector3& point, Vector3 field) {
    const double strength = normalize(field);
    if (!(strength > 0.0) || std::isinf(strength)) return {};
    const Vector3 end = sum(point, scaled(field, static_cast<float>(model.hedgehogLength())));
    Ref<Line> line = create<Line>(point, end);
    if (line) line->setColor(hedgehogColor);
    return line;
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
