#include "viz/hedgehog.h"

#include <cmath>

namespace kelvaro {
namespace {

Random15 processRandom;

// Generous: a box with any room outside the charges gets a sample long before this.
constexpr long maxDiscardedInARow = 1000000;

}  // namespace

const Random15& hedgehogRandom() { return processRandom; }

float randomBetween(Random15& generator, double low, double high) {
    constexpr double step = 1.0 / 32767.0;
    const int r = generator.next();
    return static_cast<float>(low + r * ((high - low) * step));
}

float randomBetween(double low, double high) { return randomBetween(processRandom, low, high); }

Ref<Line> makeHedgehogLine(const Model& model, const Vector3& point) {
    Vector3 direction = model.fieldAt(point);
    const double strength = normalize(direction);
    if (!(strength > 0.0) || std::isinf(strength)) return {};
    const Vector3 end = sum(point, scaled(direction, static_cast<float>(model.hedgehogLength())));
    Ref<Line> line = create<Line>(point, end);
    if (line) line->setColor(hedgehogColor);
    return line;
}

Ref<Group> makeHedgehog(const Model& model, int count) {
    Ref<Group> result = create<Group>(20, 20);
    if (!result) return {};
    const ABox& box = model.bounds();
    int accepted = 0;
    long discardedInARow = 0;
    while (accepted < count) {
        Vector3 sample;
        sample.x = randomBetween(box.min.x, box.max.x);
        sample.y = randomBetween(box.min.y, box.max.y);
        sample.z = randomBetween(box.min.z, box.max.z);
        if (model.isStopPoint(sample)) {
            if (++discardedInARow >= maxDiscardedInARow) break;
            continue;
        }
        discardedInARow = 0;
        const Ref<Line> line = makeHedgehogLine(model, sample);
        if (line) result->add(*line);
        ++accepted;
    }
    return result;
}

}  // namespace kelvaro
