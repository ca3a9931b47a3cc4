#include "viz/field_lines.h"

#include <algorithm>
#include <cmath>
#include <utility>

#include "model/model_colors.h"
#include "viz/seed_directions.h"

namespace kelvaro {
namespace {

// The turning thresholds of the step control, from the same value of pi as ever.
constexpr double tenDegrees = 10.0 * 3.1415926 / 180.0;
constexpr double oneDegree = 3.1415926 / 180.0;

// A trace whose candidates no longer move (a line that runs into a point where the field
// vanishes) or whose step oscillates records nothing and would never end. A sound line
// needs a few passes per recorded point, at most some tens near a charge, so this bound
// on passes per allowed point is never reached by one.
constexpr long passesPerPoint = 200;

double distance(const Vector3& a, const Vector3& b) {
    const Vector3 d = difference(a, b);
    const double x = d.x;
    const double y = d.y;
    const double z = d.z;
    return std::sqrt(x * x + y * y + z * z);
}

Vector3 fieldDirection(const Model& model, const Vector3& point) {
    Vector3 direction = model.fieldAt(point);
    normalize(direction);
    return direction;
}

}  // namespace

unsigned traceFieldLine(const Model& model, PolyLine& line, double sign, double step, double spacing, int maxPoints) {
    Vector3 current = line.point(0);
    Vector3 direction = fieldDirection(model, current);
    Vector3 recorded = current;
    Vector3 candidate = current;
    double h = sign * step;
    unsigned recordedCount = 0;
    const long maxPasses = passesPerPoint * std::max(maxPoints, 1);

    long pass = 0;
    for (; pass < maxPasses; ++pass) {
        candidate = sum(current, scaled(direction, static_cast<float>(h)));
        const Vector3 next = fieldDirection(model, candidate);
        const float turn = direction.x * next.x + direction.y * next.y + direction.z * next.z;
        bool accepted = true;
        if (turn > 1.0f) {
            h *= 2.0;
        } else {
            // std::max keeps a not-a-number turn, which then neither grows nor shrinks the step.
            const double angle = std::acos(std::max(static_cast<double>(turn), -1.0));
            if (angle > tenDegrees) {
                h *= 0.45;
                accepted = false;
            } else if (angle < oneDegree) {
                h *= 2.0;
            }
        }
        if (accepted) {
            current = candidate;
            direction = next;
            if (distance(candidate, recorded) > spacing) {
                recorded = candidate;
                ++recordedCount;
                line.append(candidate);
            }
        }
        if (model.isStopPoint(candidate) || static_cast<long>(recordedCount) >= maxPoints) break;
    }
    // The line ends on the point where the stop test fired; a trace cut off by the bound
    // keeps only what it recorded.
    if (pass < maxPasses && distance(candidate, recorded) > 0.0) {
        ++recordedCount;
        line.append(candidate);
    }
    return recordedCount;
}

Ref<Group> makeFieldLines(const Model& model, int linesPerCharge) {
    Ref<Group> result = create<Group>(20, 20);
    if (!result) return {};
    const std::unique_ptr<Vector3[]> seeds = readSeedDirections(linesPerCharge);
    if (!seeds) return {};
    const double radius = model.chargeRadius();
    for (int i = 0; i < linesPerCharge; ++i) {
        Vector3& seed = seeds[i];
        seed = {static_cast<float>(seed.x * radius), static_cast<float>(seed.y * radius),
                static_cast<float>(seed.z * radius)};
    }
    const Ref<PolyLine> working = create<PolyLine>(maxFieldLinePoints);
    if (!working) return {};
    working->setColor(fieldLineColor);

    for (const Charge& charge : model.charges()) {
        const double sign = charge.value > 0.0 ? 1.0 : -1.0;
        for (int i = 0; i < linesPerCharge; ++i) {
            working->clear();
            working->append(sum(charge.position, seeds[i]));
            if (traceFieldLine(model, *working, sign, model.traceStep(), model.pointSpacing(), maxFieldLinePoints) > 1) {
                // The copy holds its points in exactly-sized storage and shares the working set.
                const Ref<PolyLine> copy = create<PolyLine>(std::as_const(*working));
                if (copy) result->add(*copy);
            }
        }
    }
    return result;
}

}  // namespace kelvaro
