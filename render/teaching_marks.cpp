#include "render/teaching_marks.h"

#include <algorithm>
#include <cmath>

#include "common/teaching_colours.h"
#include "model/model.h"
#include "model/model_colors.h"
#include "scene/attribute_set.h"
#include "scene/primitives.h"

namespace kelvaro {
namespace {

// Sizes as fractions of the box's diagonal, chosen so that the dipole's charges and arrows
// read at once on a slide while the 99 charges of a cloud still leave room between them.
constexpr double largestBallFraction = 0.02;
constexpr double smallestBallShare = 0.4;
constexpr double arrowSpacingFraction = 0.12;
constexpr double arrowLengthFraction = 0.02;

// A charge of nothing is grey.
constexpr Vector3 neutralColor{0.6f, 0.6f, 0.6f};

double polyLineLength(const PolyLine& line) {
    double length = 0.0;
    for (std::int32_t i = 1; i < line.count(); ++i) {
        const Vector3 d = difference(line.point(i), line.point(i - 1));
        length += std::sqrt(double(d.x) * d.x + double(d.y) * d.y + double(d.z) * d.z);
    }
    return length;
}

// The arrowheads at `places` (increasing distances along `line`), as far as the line reaches.
std::vector<Arrowhead> arrowheadsAt(const Model& model, const PolyLine& line, const std::vector<double>& places) {
    std::vector<Arrowhead> arrows;
    std::size_t next = 0;
    double travelled = 0.0;
    for (std::int32_t i = 1; i < line.count() && next < places.size(); ++i) {
        const Vector3& from = line.point(i - 1);
        const Vector3& to = line.point(i);
        const double dx = double(to.x) - from.x, dy = double(to.y) - from.y, dz = double(to.z) - from.z;
        const double step = std::sqrt(dx * dx + dy * dy + dz * dz);
        for (; next < places.size() && places[next] <= travelled + step; ++next) {
            const double t = step > 0.0 ? (places[next] - travelled) / step : 0.0;
            Arrowhead arrow{{from.x + dx * t, from.y + dy * t, from.z + dz * t}, {0.0, 0.0, 0.0}, i - 1};
            const Vector3 field = model.fieldAt(Vector3{static_cast<float>(arrow.centre[0]),
                                                        static_cast<float>(arrow.centre[1]),
                                                        static_cast<float>(arrow.centre[2])});
            const double sense = dx * field.x + dy * field.y + dz * field.z < 0.0 ? -1.0 : 1.0;
            const double ax = dx * sense, ay = dy * sense, az = dz * sense;
            const double length = std::sqrt(ax * ax + ay * ay + az * az);
            if (length > 0.0 && std::isfinite(length)) {
                arrow.along[0] = ax / length;
                arrow.along[1] = ay / length;
                arrow.along[2] = az / length;
            }
            arrows.push_back(arrow);
        }
        travelled += step;
    }
    return arrows;
}

}  // namespace

double chargeBallRadius(double diagonal, double value, double largest) {
    const double share = largest > 0.0 ? std::cbrt(std::fabs(value) / largest) : 0.0;
    return largestBallFraction * diagonal * std::max(share, smallestBallShare);
}

std::vector<double> arrowPlaces(double length, double spacing, double headLength) {
    std::vector<double> places;
    if (!(spacing > 0.0) || !(length >= 3.0 * headLength)) return places;
    const double middle = 0.5 * length;
    const int reach = length < spacing ? 0 : static_cast<int>(std::floor((middle - 0.5 * spacing) / spacing));
    for (int k = -reach; k <= reach; ++k) places.push_back(middle + k * spacing);
    return places;
}

std::optional<TeachingSizes> teachingSizes(const Model& model) {
    const ABox& box = model.bounds();
    const double dx = double(box.max.x) - box.min.x, dy = double(box.max.y) - box.min.y,
                 dz = double(box.max.z) - box.min.z;
    const double diagonal = std::sqrt(dx * dx + dy * dy + dz * dz);
    if (!(diagonal > 0.0) || !std::isfinite(diagonal)) return std::nullopt;
    return TeachingSizes{diagonal, arrowSpacingFraction * diagonal, arrowLengthFraction * diagonal};
}

std::vector<ChargeBall> chargeBalls(const Model& model, double diagonal) {
    double largest = 0.0;
    for (const Charge& charge : model.charges()) largest = std::max(largest, std::fabs(charge.value));
    std::vector<ChargeBall> balls;
    for (const Charge& charge : model.charges()) {
        const double radius = std::max(chargeBallRadius(diagonal, charge.value, largest), 1.25 * model.chargeRadius());
        balls.push_back({radius, charge.value > 0.0 ? teachingRed : charge.value < 0.0 ? teachingBlue : neutralColor});
    }
    return balls;
}

std::optional<LineArrows> lineArrows(const Model& model, const PolyLine& line, const TeachingSizes& sizes) {
    const double length = polyLineLength(line);
    if (!std::isfinite(length)) return std::nullopt;
    const std::vector<double> places = arrowPlaces(length, sizes.arrowSpacing, sizes.arrowLength);
    if (places.empty()) return std::nullopt;
    const AttributeSet* set = line.attributes();
    return LineArrows{set && set->has(AttributeSet::ColorSet) ? set->color() : fieldLineColor,
                      arrowheadsAt(model, line, places)};
}

}  // namespace kelvaro
