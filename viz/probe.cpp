#include "viz/probe.h"

#include <cmath>
#include <cstdio>
#include <new>

#include "scene/attribute_set.h"
#include "scene/label.h"
#include "scene/primitives.h"

namespace kelvaro {
namespace {

// A cyan that reads on the dark background and, in print colours, on white.
constexpr Vector3 probeColor{0.35f, 0.9f, 1.0f};
// Sizes as fractions of the box's diagonal: the cross's arms, the label's capitals.
constexpr double crossFraction = 0.02;
constexpr double labelFraction = 0.02;

double wide(float value) { return static_cast<double>(value); }

double boxDiagonal(const Model& model) {
    const ABox& box = model.bounds();
    const double dx = wide(box.max.x) - box.min.x, dy = wide(box.max.y) - box.min.y, dz = wide(box.max.z) - box.min.z;
    return std::sqrt(dx * dx + dy * dy + dz * dz);
}

}  // namespace

ProbeReading probeAt(const Model& model, const Vector3& point) {
    ProbeReading reading;
    reading.point = point;
    reading.potential = model.potentialAt(point);
    reading.field = model.fieldAt(point);
    const double x = reading.field.x, y = reading.field.y, z = reading.field.z;
    reading.fieldMagnitude = std::sqrt(x * x + y * y + z * z);
    return reading;
}

std::string probePlaceProblem(const Model& model, const Vector3& point) {
    char text[200];
    if (!std::isfinite(point.x) || !std::isfinite(point.y) || !std::isfinite(point.z)) {
        return "A probe needs three finite numbers for its place.\n";
    }
    if (!model.bounds().contains(point)) {
        std::snprintf(text, sizeof text, "The probe at (%g, %g, %g) would lie outside the box; it was not placed.\n",
                      wide(point.x), wide(point.y), wide(point.z));
        return text;
    }
    for (int i = 0; i < model.chargeCount(); ++i) {
        const Vector3& at = model.charges()[static_cast<std::size_t>(i)].position;
        if (at.x == point.x && at.y == point.y && at.z == point.z) {
            std::snprintf(text, sizeof text,
                          "The probe at (%g, %g, %g) would sit on charge %d, where the field is not defined; it was "
                          "not placed.\n",
                          wide(point.x), wide(point.y), wide(point.z), i + 1);
            return text;
        }
    }
    return "";
}

std::string probeLine(const ProbeReading& reading) {
    char text[256];
    std::snprintf(text, sizeof text, "Probe at (%g, %g, %g): V = %.6g, |E| = %.6g, E = (%.6g, %.6g, %.6g)\n",
                  wide(reading.point.x), wide(reading.point.y), wide(reading.point.z), reading.potential,
                  reading.fieldMagnitude, wide(reading.field.x), wide(reading.field.y), wide(reading.field.z));
    return text;
}

std::string probeNumbers(const ProbeReading& reading) {
    char text[320];
    std::snprintf(text, sizeof text, "point: %.9g %.9g %.9g\npotential: %.17g\nfield: %.9g %.9g %.9g\nfield_magnitude: %.17g\n",
                  wide(reading.point.x), wide(reading.point.y), wide(reading.point.z), reading.potential,
                  wide(reading.field.x), wide(reading.field.y), wide(reading.field.z), reading.fieldMagnitude);
    return text;
}

Ref<Group> makeProbe(const Model& model, const Vector3& point) {
    if (!probePlaceProblem(model, point).empty()) return {};
    try {
        const ProbeReading reading = probeAt(model, point);
        Ref<Group> result = create<Group>(4, 4);
        const Ref<AttributeSet> color = create<AttributeSet>(probeColor);
        if (!result || !color) return {};
        const double diagonal = boxDiagonal(model);
        const auto arm = static_cast<float>(0.5 * crossFraction * diagonal);
        const Vector3 arms[3] = {{arm, 0.0f, 0.0f}, {0.0f, arm, 0.0f}, {0.0f, 0.0f, arm}};
        for (const Vector3& along : arms) {
            const Ref<Line> line = create<Line>(difference(point, along), sum(point, along));
            if (!line) return {};
            line->setAttributes(color);
            result->add(*line);
        }
        char text[160];
        std::snprintf(text, sizeof text, "V = %.6g\n|E| = %.6g\nE = (%.4g, %.4g, %.4g)", reading.potential,
                      reading.fieldMagnitude, wide(reading.field.x), wide(reading.field.y), wide(reading.field.z));
        const Ref<Label> label = create<Label>(point, text, static_cast<float>(labelFraction * diagonal));
        if (!label) return {};
        label->setAttributes(color);
        result->add(*label);
        return result;
    } catch (const std::bad_alloc&) {
        return {};
    }
}

}  // namespace kelvaro
