#include "viz/probe.h"

#include <cmath>
#include <new>

#include "common/number_text.h"
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

// `value` in `digits` significant digits, as "%.*g" writes it in every locale.
std::string number(double value, int digits = 6) { return numberText(value, digits).c_str(); }

// "x, y, z" of a point, each in `digits` significant digits.
std::string numbers(const Vector3& p, int digits = 6, const char* between = ", ") {
    return number(p.x, digits) + between + number(p.y, digits) + between + number(p.z, digits);
}

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
    if (!std::isfinite(point.x) || !std::isfinite(point.y) || !std::isfinite(point.z)) {
        return "A probe needs three finite numbers for its place.\n";
    }
    if (!model.bounds().contains(point)) {
        return "The probe at (" + numbers(point) + ") would lie outside the box; it was not placed.\n";
    }
    for (int i = 0; i < model.chargeCount(); ++i) {
        const Vector3& at = model.charges()[static_cast<std::size_t>(i)].position;
        if (at.x == point.x && at.y == point.y && at.z == point.z) {
            return "The probe at (" + numbers(point) + ") would sit on charge " + std::to_string(i + 1) +
                   ", where the field is not defined; it was not placed.\n";
        }
    }
    return "";
}

std::string probeLine(const ProbeReading& reading) {
    return "Probe at (" + numbers(reading.point) + "): V = " + number(reading.potential) +
           ", |E| = " + number(reading.fieldMagnitude) + ", E = (" + numbers(reading.field) + ")\n";
}

std::string probeNumbers(const ProbeReading& reading) {
    return "point: " + numbers(reading.point, 9, " ") + "\npotential: " + number(reading.potential, 17) +
           "\nfield: " + numbers(reading.field, 9, " ") + "\nfield_magnitude: " + number(reading.fieldMagnitude, 17) +
           "\n";
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
        const std::string text = "V = " + number(reading.potential) + "\n|E| = " + number(reading.fieldMagnitude) +
                                 "\nE = (" + numbers(reading.field, 4) + ")";
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
