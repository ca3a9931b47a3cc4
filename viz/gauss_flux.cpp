#include "viz/gauss_flux.h"

#include <algorithm>
#include <cmath>
#include <new>
#include <numbers>
#include <span>
#include <vector>

#include "common/number_text.h"
#include "common/teaching_colours.h"
#include "scene/attribute_set.h"
#include "scene/primitives.h"
#include "viz/point_evaluation.h"

namespace kelvaro {
namespace {

constexpr double pi = std::numbers::pi;
constexpr int smallestRule = 8;
constexpr int largestRule = 512;
constexpr int threadedRule = 64;

// The sphere's mesh: rings of latitude and slices of longitude.
constexpr int meshStacks = 24;
constexpr int meshSlices = 48;
// Steps of colour each way from white to the teaching style's red (outward) and blue
// (inward) at full strength.
constexpr int colorSteps = 10;
constexpr float sphereOpacity = 0.55f;

// cos x for |x| <= 2π by its series, with only the operations that round alike in every
// build (a library's cos may not), so that every build has the same nodes.
double seriesCosine(double x) {
    const double square = x * x;
    double term = 1.0, sum = 1.0;
    for (int k = 1; k <= 30; ++k) {
        term = -term * square / static_cast<double>((2 * k - 1) * (2 * k));
        sum += term;
    }
    return sum;
}

// cos and sin of the angle 2π `index` / `count`.
void unitCircle(int index, int count, double& cosine, double& sine) {
    double angle = 2.0 * pi * index / count;
    if (angle > pi) angle -= 2.0 * pi;
    cosine = seriesCosine(angle);
    sine = seriesCosine(angle - 0.5 * pi);
}

// The Gauss-Legendre rule of n nodes on [-1, 1]: the roots of the Legendre polynomial
// P_n by Newton's steps from the usual first guesses, and their weights.
void gaussLegendre(int n, std::vector<double>& nodes, std::vector<double>& weights) {
    nodes.assign(static_cast<std::size_t>(n), 0.0);
    weights.assign(static_cast<std::size_t>(n), 0.0);
    for (int i = 0; i < n; ++i) {
        double x = seriesCosine(pi * (i + 0.75) / (n + 0.5));
        double derivative = 1.0;
        for (int step = 0; step < 100; ++step) {
            double previous = 1.0, value = x;  // P_0 and P_1
            for (int k = 2; k <= n; ++k) {
                const double next = ((2.0 * k - 1.0) * x * value - (k - 1.0) * previous) / k;
                previous = value;
                value = next;
            }
            derivative = n * (x * value - previous) / (x * x - 1.0);
            const double moved = x - value / derivative;
            const bool settled = std::fabs(moved - x) <= 1e-15;
            x = moved;
            if (settled) break;
        }
        nodes[static_cast<std::size_t>(i)] = x;
        weights[static_cast<std::size_t>(i)] = 2.0 / ((1.0 - x * x) * derivative * derivative);
    }
}

// Σ_{l > degree} (l + 1) ρ^l for 0 <= ρ < 1, where degree + 1 is a power of two (its
// power of ρ by squaring, alike in every build).
double seriesTail(double rho, int degree) {
    double power = rho;
    for (int exponent = 1; exponent < degree + 1; exponent *= 2) power *= power;
    return power * ((degree + 2.0) - (degree + 1.0) * rho) / ((1.0 - rho) * (1.0 - rho));
}

double wide(float value) { return static_cast<double>(value); }

// The sum over the rule's points of one ring of latitude (cosine `u` of the polar angle)
// of the field's outward component.
double ringSum(const Model& model, const Vector3d& centre, double radius, double u, std::span<const double> cosines,
               std::span<const double> sines, bool reference) {
    const double across = std::sqrt(std::max(0.0, 1.0 - u * u));
    std::vector<Vector3d> normals(cosines.size()), points(cosines.size());
    for (std::size_t j = 0; j < cosines.size(); ++j) {
        normals[j] = {across * cosines[j], across * sines[j], u};
        points[j] = {centre.x + radius * normals[j].x, centre.y + radius * normals[j].y, centre.z + radius * normals[j].z};
    }
    std::vector<PreciseField> fields(points.size());
    if (reference) {
        for (std::size_t j = 0; j < points.size(); ++j) fields[j] = model.preciseFieldAt(points[j]);
    } else {
        model.preciseFieldsAt(points, fields.data());
    }
    double sum = 0.0;
    for (std::size_t j = 0; j < points.size(); ++j) {
        const Vector3d& e = fields[j].field;
        sum += e.x * normals[j].x + e.y * normals[j].y + e.z * normals[j].z;
    }
    return sum;
}

// The rule's sum with n nodes in the polar angle.
double ruleFlux(const Model& model, const Vector3d& centre, double radius, int n, const BuildOptions& options) {
    std::vector<double> nodes, weights;
    gaussLegendre(n, nodes, weights);
    const int around = 2 * n;
    std::vector<double> cosines(static_cast<std::size_t>(around)), sines(cosines.size());
    for (int j = 0; j < around; ++j) unitCircle(j, around, cosines[static_cast<std::size_t>(j)], sines[static_cast<std::size_t>(j)]);
    std::vector<double> rings(static_cast<std::size_t>(n));
    const auto ring = [&](int k) {
        rings[static_cast<std::size_t>(k)] =
            ringSum(model, centre, radius, nodes[static_cast<std::size_t>(k)], cosines, sines, options.reference);
    };
    if (options.reference) {
        for (int k = 0; k < n; ++k) ring(k);
    } else {
        // A small rule costs less than starting a thread.
        forEachChunk(n >= threadedRule ? options.threadCount() : 1, n, 1, [&](int begin, int end) {
            for (int k = begin; k < end; ++k) ring(k);
        });
    }
    double flux = 0.0;
    for (int k = 0; k < n; ++k) flux += weights[static_cast<std::size_t>(k)] * rings[static_cast<std::size_t>(k)];
    return flux * (2.0 * pi / around) * radius * radius;
}


// `value` in `digits` significant digits, as "%.*g" writes it in every locale.
std::string number(double value, int digits = 6) { return numberText(value, digits).c_str(); }

// `value` rounded to `decimals` decimals, without trailing zeros and without the sign of a
// value that rounds to zero.
std::string rounded(double value, int decimals) {
    double scale = 1.0;
    for (int i = 0; i < decimals; ++i) scale *= 10.0;
    const double kept = std::round(value * scale) / scale;
    return number(kept == 0.0 ? 0.0 : kept, 15);
}

}  // namespace

SphereFlux fluxThroughSphere(const Model& model, const Vector3& centre, double radius, const BuildOptions& options) {
    SphereFlux result;
    const Vector3d middle{centre.x, centre.y, centre.z};
    std::vector<double> ratios;  // ρ of each charge that is not 0
    std::vector<double> magnitudes;
    for (int i = 0; i < model.chargeCount(); ++i) {
        const Charge& charge = model.charges()[static_cast<std::size_t>(i)];
        const double dx = wide(charge.position.x) - middle.x, dy = wide(charge.position.y) - middle.y,
                     dz = wide(charge.position.z) - middle.z;
        const double distance = std::sqrt(dx * dx + dy * dy + dz * dz);
        if (distance < radius) result.enclosedCharge += charge.value;
        if (charge.value == 0.0) continue;
        const double gap = std::fabs(distance - radius);
        if (result.nearestCharge < 0 || gap < result.nearestGap) {
            result.nearestCharge = i;
            result.nearestPosition = charge.position;
            result.nearestGap = gap;
        }
        ratios.push_back(distance < radius ? distance / radius : radius / distance);
        magnitudes.push_back(std::fabs(charge.value));
        result.magnitudeSum += std::fabs(charge.value);
    }
    if (result.magnitudeSum == 0.0) {
        result.known = true;
        return result;
    }
    const double tolerance = fluxTolerance * 4.0 * pi * result.magnitudeSum;
    for (int n = smallestRule; n <= largestRule; n *= 2) {
        double bound = 0.0;
        for (std::size_t i = 0; i < ratios.size(); ++i) {
            bound += ratios[i] < 1.0 ? magnitudes[i] * seriesTail(ratios[i], 2 * n - 1) : HUGE_VAL;
        }
        bound *= 4.0 * pi;
        if (!(bound <= tolerance)) continue;
        result.known = true;
        result.errorBound = bound;
        result.nodes = n;
        result.flux = ruleFlux(model, middle, radius, n, options);
        return result;
    }
    return result;
}

std::string fluxLine(const SphereFlux& flux) {
    if (!flux.known) {
        const Vector3& at = flux.nearestPosition;
        const std::string charge = "charge " + std::to_string(flux.nearestCharge + 1) + " (at " + number(at.x) + ", " +
                                   number(at.y) + ", " + number(at.z) + ")";
        if (flux.nearestGap == 0.0) return "No flux through the sphere: it passes through " + charge + ".\n";
        return "No flux through the sphere: it passes within " + number(flux.nearestGap, 3) + " of " + charge +
               ", too near for the rule to keep within its error.\n";
    }
    // Five significant digits of 4π Σ |q|, the scale of every flux of the model.
    const double scale = 4.0 * pi * flux.magnitudeSum;
    int decimals = 4;
    for (double power = 10.0; power <= scale && decimals > 0; power *= 10.0) --decimals;
    for (double power = 1.0; scale > 0.0 && power > scale && decimals < 15; power /= 10.0) ++decimals;
    return "Flux through the sphere: " + rounded(flux.flux, decimals) + " (enclosed charge " +
           number(flux.enclosedCharge) + " × 4πk = " + rounded(4.0 * pi * flux.enclosedCharge, decimals) + ")\n";
}

std::string fluxNumbers(const SphereFlux& flux) {
    return "flux: " + number(flux.flux, 17) + "\nenclosed_charge: " + number(flux.enclosedCharge, 17) +
           "\nerror_bound: " + number(flux.errorBound, 3) + "\nrule: " + std::to_string(flux.nodes) + " x " +
           std::to_string(2 * flux.nodes) + "\n";
}

std::string gaussSphereProblem(const Vector3& centre, double radius) {
    if (!std::isfinite(centre.x) || !std::isfinite(centre.y) || !std::isfinite(centre.z)) {
        return "A Gauss sphere needs three finite numbers for its centre.\n";
    }
    if (!std::isfinite(radius) || !(radius > 0.0)) return "A Gauss sphere needs a radius above 0.\n";
    return "";
}

Ref<Group> makeGaussSphere(const Model& model, const Vector3& centre, double radius, const BuildOptions& options) {
    if (!gaussSphereProblem(centre, radius).empty()) return {};
    try {
        Ref<Group> result = create<Group>(20, 20);
        if (!result) return {};
        // The mesh's directions: ring i (0 the north pole) and slice j.
        const auto direction = [](int i, int j) {
            double polarCos, polarSin, azimuthCos, azimuthSin;
            unitCircle(i, 2 * meshStacks, polarCos, polarSin);
            unitCircle(j, meshSlices, azimuthCos, azimuthSin);
            return Vector3d{polarSin * azimuthCos, polarSin * azimuthSin, polarCos};
        };
        const auto onSphere = [&](const Vector3d& d) {
            return Vector3{static_cast<float>(centre.x + radius * d.x), static_cast<float>(centre.y + radius * d.y),
                           static_cast<float>(centre.z + radius * d.z)};
        };
        const auto unit = [](const Vector3d& d) {
            return Vector3{static_cast<float>(d.x), static_cast<float>(d.y), static_cast<float>(d.z)};
        };
        // Each triangle by its corners' (ring, slice); the poles' rings have one per slice.
        struct Corners {
            int i[3], j[3];
        };
        std::vector<Corners> triangles;
        for (int i = 0; i < meshStacks; ++i) {
            for (int j = 0; j < meshSlices; ++j) {
                if (i > 0) triangles.push_back({{i, i + 1, i}, {j, j + 1, j + 1}});
                if (i + 1 < meshStacks) triangles.push_back({{i, i + 1, i + 1}, {j, j, j + 1}});
            }
        }
        // The outward component of the field at each triangle's middle, on the sphere.
        std::vector<Vector3d> middles(triangles.size());
        std::vector<Vector3> points(triangles.size());
        for (std::size_t t = 0; t < triangles.size(); ++t) {
            Vector3d sum;
            for (int c = 0; c < 3; ++c) {
                const Vector3d d = direction(triangles[t].i[c], triangles[t].j[c]);
                sum = {sum.x + d.x, sum.y + d.y, sum.z + d.z};
            }
            const double length = std::sqrt(sum.x * sum.x + sum.y * sum.y + sum.z * sum.z);
            middles[t] = {sum.x / length, sum.y / length, sum.z / length};
            points[t] = onSphere(middles[t]);
        }
        std::vector<Vector3> fields(points.size());
        fieldsOf(model, points, fields.data(), options);
        std::vector<double> outward(points.size());
        double strongest = 0.0;
        for (std::size_t t = 0; t < points.size(); ++t) {
            outward[t] = fields[t].x * middles[t].x + fields[t].y * middles[t].y + fields[t].z * middles[t].z;
            if (std::isfinite(outward[t])) strongest = std::max(strongest, std::fabs(outward[t]));
        }
        // One shared set for each step of colour, from all blue (0) through white to all red.
        std::vector<Ref<AttributeSet>> steps(2 * colorSteps + 1);
        for (int s = -colorSteps; s <= colorSteps; ++s) {
            const float share = static_cast<float>(std::abs(s)) / colorSteps;
            const Vector3& full = s > 0 ? teachingRed : teachingBlue;
            Ref<AttributeSet> set = create<AttributeSet>(
                Vector3{1.0f + (full.x - 1.0f) * share, 1.0f + (full.y - 1.0f) * share, 1.0f + (full.z - 1.0f) * share});
            if (!set) return {};
            set->setMaterial(0.3f, 0.8f, 0.3f, 20.0f);
            set->setAlpha(sphereOpacity);
            steps[static_cast<std::size_t>(s + colorSteps)] = std::move(set);
        }
        for (std::size_t t = 0; t < triangles.size(); ++t) {
            const Corners& c = triangles[t];
            Vector3d d[3];
            for (int k = 0; k < 3; ++k) d[k] = direction(c.i[k], c.j[k]);
            const Ref<Triangle> triangle = create<Triangle>(onSphere(d[0]), onSphere(d[1]), onSphere(d[2]));
            if (!triangle) return {};
            triangle->setNormals(unit(d[0]), unit(d[1]), unit(d[2]));
            const double share = strongest > 0.0 && std::isfinite(outward[t]) ? outward[t] / strongest : 0.0;
            const auto step = static_cast<int>(std::lround(colorSteps * std::sqrt(std::fabs(share))));
            triangle->setAttributes(steps[static_cast<std::size_t>((share < 0.0 ? -step : step) + colorSteps)]);
            result->add(*triangle);
        }
        return result;
    } catch (const std::bad_alloc&) {
        return {};
    }
}

}  // namespace kelvaro
