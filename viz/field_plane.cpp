#include "viz/field_plane.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdio>
#include <new>
#include <numbers>

#include "common/number_text.h"
#include "scene/attribute_set.h"
#include "scene/primitives.h"
#include "scene/shaded_primitives.h"
#include "viz/colour_maps.h"
#include "viz/point_evaluation.h"
#include "viz/root_finding.h"
#include "viz/strength_colours.h"

namespace kelvaro {
namespace {

// Nodes per task when the colours of the samples are worked out on the threads.
constexpr int coloursPerTask = 4096;

float coordinate(const Vector3& p, int axis) { return axis == 0 ? p.x : axis == 1 ? p.y : p.z; }

bool finiteBox(const ABox& box) {
    for (float value : {box.min.x, box.min.y, box.min.z, box.max.x, box.max.y, box.max.z}) {
        if (!std::isfinite(value)) return false;
    }
    return true;
}

// `count` values from `low` to `high`, evenly spaced in double precision, rounded to single;
// the ends are exactly `low` and `high`.
std::vector<float> evenlySpaced(float low, float high, int count) {
    std::vector<float> values(static_cast<std::size_t>(count));
    for (int i = 0; i < count; ++i) {
        values[static_cast<std::size_t>(i)] =
            static_cast<float>(low + (double(high) - double(low)) * double(i) / double(count - 1));
    }
    values.front() = low;
    values.back() = high;
    return values;
}

// The grid's edges: first those along u, (i, j) to (i + 1, j), numbered i + (n - 1) j; then
// those along v, (i, j) to (i, j + 1), numbered after them as i + n j.
struct EdgeGrid {
    int n;  // nodes along each side
    int alongU(int i, int j) const { return i + (n - 1) * j; }
    int alongV(int i, int j) const { return (n - 1) * n + i + n * j; }
    int count() const { return 2 * (n - 1) * n; }
    // The two nodes of edge e, as node indices i + n j.
    std::pair<int, int> ends(int e) const {
        if (e < (n - 1) * n) return {e % (n - 1) + n * (e / (n - 1)), e % (n - 1) + 1 + n * (e / (n - 1))};
        const int k = e - (n - 1) * n;
        return {k, k + n};
    }
};

// The segments of one level through the cells: pairs of crossed edges, cell by cell.
std::vector<std::pair<int, int>> cellSegments(const EdgeGrid& grid, const std::vector<double>& potentials, double level) {
    const int n = grid.n;
    std::vector<std::pair<int, int>> segments;
    const auto above = [&](int i, int j) { return potentials[static_cast<std::size_t>(i + n * j)] > level; };
    for (int j = 0; j + 1 < n; ++j) {
        for (int i = 0; i + 1 < n; ++i) {
            // Corners counter-clockwise from (i, j); edge k runs from corner k to corner k + 1.
            const bool corner[4] = {above(i, j), above(i + 1, j), above(i + 1, j + 1), above(i, j + 1)};
            const int edges[4] = {grid.alongU(i, j), grid.alongV(i + 1, j), grid.alongU(i, j + 1), grid.alongV(i, j)};
            int crossed[4];
            int count = 0;
            for (int k = 0; k < 4; ++k) {
                if (corner[k] != corner[(k + 1) % 4]) crossed[count++] = k;
            }
            if (count == 2) {
                segments.push_back({edges[crossed[0]], edges[crossed[1]]});
            } else if (count == 4) {
                // A saddle: the corners on the side of the mean of the four stay joined, and
                // the lines cut off the other two, each crossing the two edges at its corner.
                const std::size_t at = static_cast<std::size_t>(i + n * j);
                const double mean = (potentials[at] + potentials[at + 1] + potentials[at + 1 + static_cast<std::size_t>(n)] +
                                     potentials[at + static_cast<std::size_t>(n)]) / 4.0;
                const bool centreAbove = mean > level;
                for (int k = 0; k < 4; ++k) {
                    if (corner[k] != centreAbove) segments.push_back({edges[(k + 3) % 4], edges[k]});
                }
            }
        }
    }
    return segments;
}

// The points of a line to draw: the first, each farther than `spacing` from the last one
// kept (as a field line records its points), and the last. Every one lies on the line.
std::vector<Vector3> thinned(const std::vector<Vector3>& points, double spacing) {
    std::vector<Vector3> kept;
    for (std::size_t i = 0; i < points.size(); ++i) {
        const bool last = i + 1 == points.size();
        if (kept.empty() || last) {
            kept.push_back(points[i]);
            continue;
        }
        const Vector3 d = difference(points[i], kept.back());
        if (std::sqrt(double(d.x) * d.x + double(d.y) * d.y + double(d.z) * d.z) > spacing) kept.push_back(points[i]);
    }
    return kept;
}

// Whether `p` ends a line on a positive charge: the accurate tracer sets a line's end on the
// charge's stop distance (the charge radius), which single precision may put a hair outside.
bool onPositiveCharge(const Model& model, const Vector3& p) {
    const double reach = 1.001 * model.chargeRadius();
    for (const Charge& charge : model.charges()) {
        const double dx = double(p.x) - charge.position.x, dy = double(p.y) - charge.position.y,
                     dz = double(p.z) - charge.position.z;
        if (charge.value > 0.0 && dx * dx + dy * dy + dz * dz < reach * reach) return true;
    }
    return false;
}

// The lines of `traced` (traced from `starts`, in their order) but those traced against
// the field that end on a positive charge.
Ref<Group> withoutReturningLines(const Model& model, std::span<const LineStart> starts, const Group& traced) {
    Ref<Group> kept = create<Group>(20, 20);
    if (!kept) return {};
    std::size_t start = 0;
    for (std::int32_t i = 0; i < traced.count(); ++i) {
        auto& line = static_cast<PolyLine&>(traced.child(i));
        // Each line begins on its start point; starts whose lines were not kept are skipped.
        const Vector3& first = line.point(0);
        while (start < starts.size() && !(starts[start].point.x == first.x && starts[start].point.y == first.y &&
                                          starts[start].point.z == first.z)) {
            ++start;
        }
        const bool returning = start < starts.size() && starts[start].sign < 0.0 &&
                               onPositiveCharge(model, line.point(line.count() - 1));
        if (!returning) kept->add(line);
        ++start;
    }
    return kept;
}

}  // namespace

Vector3 PlaneSamples::node(int i, int j) const {
    return pointInPlane(axis, level, us[static_cast<std::size_t>(i)], vs[static_cast<std::size_t>(j)]);
}

std::string planeProblem(const Model& model, const FieldPlane& plane) {
    if (plane.axis < 0 || plane.axis > 2) return "A plane is normal to x, y or z.";
    const ABox& box = model.bounds();
    if (!finiteBox(box)) return "A plane needs a box whose corners are finite numbers.";
    const char name = "xyz"[plane.axis];
    const float low = coordinate(box.min, plane.axis), high = coordinate(box.max, plane.axis);
    const float at = planeLevel(model, plane);
    char text[200];
    if (!(at >= low && at <= high)) {
        std::snprintf(text, sizeof text, "The plane %c = %s lies outside the box (%c from %s to %s).", name,
                      numberText(at).c_str(), name, numberText(low).c_str(), numberText(high).c_str());
        return text;
    }
    for (float level : plane.levels) {
        if (!std::isfinite(level)) return "Every level of a plane must be a finite number.";
    }
    if (plane.levels.size() > static_cast<std::size_t>(maxPlaneLevels) || plane.levelCount < 0 ||
        plane.levelCount > maxPlaneLevels) {
        std::snprintf(text, sizeof text, "A plane shows at most %d levels.", maxPlaneLevels);
        return text;
    }
    if (plane.linesPerCharge < 0 || plane.linesPerCharge > maxPlaneLinesPerCharge) {
        std::snprintf(text, sizeof text, "A plane starts 0 to %d field lines round each charge.", maxPlaneLinesPerCharge);
        return text;
    }
    return {};
}

float planeLevel(const Model& model, const FieldPlane& plane) {
    if (plane.offset) return *plane.offset;
    const ABox& box = model.bounds();
    const int axis = std::clamp(plane.axis, 0, 2);
    return static_cast<float>(0.5 * (double(coordinate(box.min, axis)) + double(coordinate(box.max, axis))));
}

std::vector<double> planeLevels(const Model& model, const FieldPlane& plane) {
    if (!plane.levels.empty()) return {plane.levels.begin(), plane.levels.end()};
    return potentialScaleOf(model).spreadLevels(plane.levelCount);
}

PlaneSamples samplePlane(const Model& model, const FieldPlane& plane, const BuildOptions& options) {
    PlaneSamples samples;
    samples.axis = plane.axis;
    samples.level = planeLevel(model, plane);
    const ABox& box = model.bounds();
    const int u = (plane.axis + 1) % 3, v = (plane.axis + 2) % 3;
    samples.us = evenlySpaced(coordinate(box.min, u), coordinate(box.max, u), planeSamples);
    samples.vs = evenlySpaced(coordinate(box.min, v), coordinate(box.max, v), planeSamples);
    std::vector<Vector3> nodes;
    nodes.reserve(static_cast<std::size_t>(planeSamples) * planeSamples);
    for (int j = 0; j < planeSamples; ++j) {
        for (int i = 0; i < planeSamples; ++i) nodes.push_back(samples.node(i, j));
    }
    samples.potentials.resize(nodes.size());
    potentialsOf(model, nodes, samples.potentials.data(), options);
    return samples;
}

std::vector<Equipotential> traceEquipotentials(const Model& model, const PlaneSamples& samples, double level,
                                               const BuildOptions& options) {
    const EdgeGrid grid{static_cast<int>(samples.us.size())};
    if (grid.n < 2 || samples.vs.size() != samples.us.size()) return {};
    const std::vector<std::pair<int, int>> segments = cellSegments(grid, samples.potentials, level);
    if (segments.empty()) return {};

    // Every crossed edge once, in edge order, with the (at most two) segments that end on it.
    std::vector<int> crossedIndex(static_cast<std::size_t>(grid.count()), -1);
    for (const auto& [a, b] : segments) crossedIndex[static_cast<std::size_t>(a)] = crossedIndex[static_cast<std::size_t>(b)] = 0;
    std::vector<int> crossedEdges;
    for (int e = 0; e < grid.count(); ++e) {
        if (crossedIndex[static_cast<std::size_t>(e)] < 0) continue;
        crossedIndex[static_cast<std::size_t>(e)] = static_cast<int>(crossedEdges.size());
        crossedEdges.push_back(e);
    }
    std::vector<std::array<int, 2>> segmentsAt(crossedEdges.size(), {-1, -1});
    for (std::size_t s = 0; s < segments.size(); ++s) {
        for (int edge : {segments[s].first, segments[s].second}) {
            std::array<int, 2>& slots = segmentsAt[static_cast<std::size_t>(crossedIndex[static_cast<std::size_t>(edge)])];
            slots[slots[0] < 0 ? 0 : 1] = static_cast<int>(s);
        }
    }

    // Where the level crosses each edge, found by the surfaces' root finder.
    std::vector<Segment> edges(crossedEdges.size());
    for (std::size_t k = 0; k < crossedEdges.size(); ++k) {
        const auto [a, b] = grid.ends(crossedEdges[k]);
        const std::size_t ia = static_cast<std::size_t>(a), ib = static_cast<std::size_t>(b);
        edges[k] = {samples.node(a % grid.n, a / grid.n), samples.node(b % grid.n, b / grid.n), true,
                    samples.potentials[ia], samples.potentials[ib]};
    }
    std::vector<std::optional<Vector3>> found(edges.size());
    findCrossings(model, edges, level, options, found.data());
    std::vector<Vector3> crossings(edges.size());
    for (std::size_t k = 0; k < edges.size(); ++k) {
        const bool nearerA = std::fabs(edges[k].atA - level) <= std::fabs(edges[k].atB - level);
        crossings[k] = found[k] ? *found[k] : nearerA ? edges[k].a : edges[k].b;
    }

    // Joined into lines: from each edge with one segment (on the border) first, then round loops.
    std::vector<std::uint8_t> used(segments.size(), 0);
    std::vector<Equipotential> lines;
    const auto follow = [&](std::size_t first) {
        Equipotential line{level, {crossings[first]}};
        std::size_t at = first;
        while (true) {
            const std::array<int, 2>& slots = segmentsAt[at];
            const int s = slots[0] >= 0 && !used[static_cast<std::size_t>(slots[0])] ? slots[0]
                          : slots[1] >= 0 && !used[static_cast<std::size_t>(slots[1])] ? slots[1]
                                                                                       : -1;
            if (s < 0) break;
            used[static_cast<std::size_t>(s)] = 1;
            const auto [a, b] = segments[static_cast<std::size_t>(s)];
            const int other = crossedEdges[at] == a ? b : a;
            at = static_cast<std::size_t>(crossedIndex[static_cast<std::size_t>(other)]);
            line.points.push_back(crossings[at]);
        }
        lines.push_back(std::move(line));
    };
    for (std::size_t k = 0; k < crossedEdges.size(); ++k) {
        if (segmentsAt[k][1] < 0 && !used[static_cast<std::size_t>(segmentsAt[k][0])]) follow(k);
    }
    for (std::size_t k = 0; k < crossedEdges.size(); ++k) {
        if (!used[static_cast<std::size_t>(segmentsAt[k][0])]) follow(k);
    }
    return lines;
}

std::vector<LineStart> planeLineStarts(const Model& model, const FieldPlane& plane) {
    std::vector<LineStart> starts;
    if (plane.linesPerCharge <= 0) return starts;
    const float at = planeLevel(model, plane);
    std::vector<Vector3> circle(static_cast<std::size_t>(plane.linesPerCharge));
    for (int k = 0; k < plane.linesPerCharge; ++k) {
        const double angle = 2.0 * std::numbers::pi * k / plane.linesPerCharge;
        circle[static_cast<std::size_t>(k)] =
            pointInPlane(plane.axis, 0.0f, static_cast<float>(std::cos(angle)), static_cast<float>(std::sin(angle)));
    }
    for (int charge = 0; charge < model.chargeCount(); ++charge) {
        const Vector3& position = model.charges()[static_cast<std::size_t>(charge)].position;
        if (std::fabs(double(coordinate(position, plane.axis)) - at) <= model.chargeRadius()) {
            appendChargeStarts(model, charge, circle, starts);
        }
    }
    return starts;
}

Ref<Group> tracePlaneFieldLines(const Model& model, std::span<const LineStart> starts, const BuildOptions& options) {
    return traceFieldLines(model, starts, FieldLineMethod::Accurate, options);
}

Ref<Group> planeFieldLines(const Model& model, const FieldPlane& plane, const BuildOptions& options) {
    try {
        const std::vector<LineStart> starts = planeLineStarts(model, plane);
        const Ref<Group> traced = tracePlaneFieldLines(model, starts, options);
        return traced ? withoutReturningLines(model, starts, *traced) : Ref<Group>();
    } catch (const std::bad_alloc&) {
        return {};
    }
}

Ref<Group> makeFieldPlane(const Model& model, const FieldPlane& plane, bool strengthColours, const BuildOptions& options) {
    if (!planeProblem(model, plane).empty()) return {};
    try {
        Ref<Group> result = create<Group>(20, 20);
        if (!result) return {};
        const PlaneSamples samples = samplePlane(model, plane, options);

        const PotentialScale scale = potentialScaleOf(model);
        std::vector<Vector3> colours(samples.potentials.size());
        const auto colourSome = [&](int begin, int end) {
            for (int k = begin; k < end; ++k) {
                colours[static_cast<std::size_t>(k)] = divergingColour(scale.position(samples.potentials[static_cast<std::size_t>(k)]));
            }
        };
        if (options.reference) {
            colourSome(0, static_cast<int>(colours.size()));
        } else {
            forEachChunk(options.threadCount(), static_cast<int>(colours.size()), coloursPerTask, colourSome);
        }
        const Ref<ShadedGrid> map = create<ShadedGrid>(samples.axis, samples.level, samples.us, samples.vs, std::move(colours));
        if (!map) return {};
        map->setColor({1.0f, 1.0f, 1.0f});
        result->add(*map);

        const Ref<Group> equipotentials = create<Group>(20, 20);
        const Ref<AttributeSet> lineSet = create<AttributeSet>(equipotentialColor);
        if (!equipotentials || !lineSet) return {};
        for (double level : planeLevels(model, plane)) {
            for (const Equipotential& line : traceEquipotentials(model, samples, level, options)) {
                const std::vector<Vector3> drawn = thinned(line.points, model.pointSpacing());
                auto points = std::make_unique<Vector3[]>(drawn.size());
                std::copy(drawn.begin(), drawn.end(), points.get());
                const Ref<LevelLine> polyLine = create<LevelLine>(std::move(points), static_cast<std::int32_t>(drawn.size()));
                if (!polyLine) return {};
                polyLine->setAttributes(lineSet);
                equipotentials->add(*polyLine);
            }
        }
        result->add(*equipotentials);

        if (plane.linesPerCharge > 0) {
            Ref<Group> lines = planeFieldLines(model, plane, options);
            if (lines && strengthColours) lines = shadedByStrength(model, *lines, options);
            if (!lines) return {};
            result->add(*lines);
        }
        return result;
    } catch (const std::bad_alloc&) {
        return {};
    }
}

}  // namespace kelvaro
