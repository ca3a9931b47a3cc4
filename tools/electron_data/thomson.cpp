#include "tools/electron_data/thomson.h"

#include <algorithm>
#include <cmath>
#include <deque>
#include <numbers>
#include <random>

namespace kelvaro::seeds {
namespace {

// The minimiser works on free vectors x_i and evaluates the energy of x_i / |x_i|, so
// the search space has no constraint; the gradient is projected onto each tangent plane.
using Vectors = std::vector<double>;  // 3 numbers per point

double dot(const Vectors& a, const Vectors& b) {
    double total = 0.0;
    for (std::size_t i = 0; i < a.size(); ++i) total += a[i] * b[i];
    return total;
}

// Energy of the normalised points; `gradient` receives dE/dx for the free vectors.
double energyAndGradient(const Vectors& free, Vectors& gradient) {
    const std::size_t count = free.size() / 3;
    Vectors unit(free.size());
    std::vector<double> lengths(count);
    for (std::size_t i = 0; i < count; ++i) {
        const double* x = &free[3 * i];
        lengths[i] = std::sqrt(x[0] * x[0] + x[1] * x[1] + x[2] * x[2]);
        for (int c = 0; c < 3; ++c) unit[3 * i + c] = x[c] / lengths[i];
    }
    std::fill(gradient.begin(), gradient.end(), 0.0);
    double energy = 0.0;
    for (std::size_t i = 0; i < count; ++i) {
        for (std::size_t j = i + 1; j < count; ++j) {
            const double dx = unit[3 * i] - unit[3 * j];
            const double dy = unit[3 * i + 1] - unit[3 * j + 1];
            const double dz = unit[3 * i + 2] - unit[3 * j + 2];
            const double inverse = 1.0 / std::sqrt(dx * dx + dy * dy + dz * dz);
            energy += inverse;
            const double cube = inverse * inverse * inverse;
            gradient[3 * i] -= dx * cube;
            gradient[3 * i + 1] -= dy * cube;
            gradient[3 * i + 2] -= dz * cube;
            gradient[3 * j] += dx * cube;
            gradient[3 * j + 1] += dy * cube;
            gradient[3 * j + 2] += dz * cube;
        }
    }
    for (std::size_t i = 0; i < count; ++i) {
        double* g = &gradient[3 * i];
        const double* u = &unit[3 * i];
        const double radial = g[0] * u[0] + g[1] * u[1] + g[2] * u[2];
        for (int c = 0; c < 3; ++c) g[c] = (g[c] - radial * u[c]) / lengths[i];
    }
    return energy;
}

// Limited-memory BFGS with a backtracking (Armijo) line search, run to a gradient so
// small that the energy is settled to the last digits of a double.
void minimise(Vectors& free) {
    constexpr std::size_t memory = 8;
    constexpr int maxIterations = 20000;
    // Relative to the energy: well above the rounding noise of the gradient sum, and
    // small enough that the energy is settled to about 1e-14 of its value.
    constexpr double gradientTolerance = 1e-10;
    constexpr int maxStalls = 5;
    int stalls = 0;

    struct Pair {
        Vectors s, y;
        double rho;
    };
    std::deque<Pair> history;
    Vectors gradient(free.size()), trial(free.size()), trialGradient(free.size()), direction(free.size());
    double energy = energyAndGradient(free, gradient);
    std::vector<double> alphas(memory);

    for (int iteration = 0; iteration < maxIterations; ++iteration) {
        if (std::sqrt(dot(gradient, gradient)) < gradientTolerance * energy) return;
        // Two-loop recursion: direction = -H * gradient.
        direction = gradient;
        for (std::size_t m = history.size(); m-- > 0;) {
            alphas[m] = history[m].rho * dot(history[m].s, direction);
            for (std::size_t i = 0; i < direction.size(); ++i) direction[i] -= alphas[m] * history[m].y[i];
        }
        double scale = 0.1 / std::max(std::sqrt(dot(gradient, gradient)), 1e-300);
        if (!history.empty()) scale = dot(history.back().s, history.back().y) / dot(history.back().y, history.back().y);
        for (double& value : direction) value *= scale;
        for (std::size_t m = 0; m < history.size(); ++m) {
            const double beta = history[m].rho * dot(history[m].y, direction);
            for (std::size_t i = 0; i < direction.size(); ++i) direction[i] += (alphas[m] - beta) * history[m].s[i];
        }
        for (double& value : direction) value = -value;
        double slope = dot(gradient, direction);
        if (!(slope < 0.0)) {  // not a descent direction: start afresh from steepest descent
            history.clear();
            for (std::size_t i = 0; i < direction.size(); ++i) direction[i] = -gradient[i] * 0.1;
            slope = dot(gradient, direction);
        }
        double step = 1.0;
        double trialEnergy = 0.0;
        bool accepted = false;
        for (int attempt = 0; attempt < 60; ++attempt) {
            for (std::size_t i = 0; i < free.size(); ++i) trial[i] = free[i] + step * direction[i];
            trialEnergy = energyAndGradient(trial, trialGradient);
            if (trialEnergy <= energy + 1e-4 * step * slope) {
                accepted = true;
                break;
            }
            step *= 0.5;
        }
        if (!accepted) return;  // no further progress is possible in double precision
        // Rounding noise can keep the gradient above the tolerance at a settled minimum.
        stalls = trialEnergy < energy ? 0 : stalls + 1;
        if (stalls >= maxStalls) return;
        Pair pair{Vectors(free.size()), Vectors(free.size()), 0.0};
        for (std::size_t i = 0; i < free.size(); ++i) {
            pair.s[i] = trial[i] - free[i];
            pair.y[i] = trialGradient[i] - gradient[i];
        }
        const double curvature = dot(pair.s, pair.y);
        free.swap(trial);
        gradient.swap(trialGradient);
        energy = trialEnergy;
        if (curvature > 1e-300) {
            pair.rho = 1.0 / curvature;
            history.push_back(std::move(pair));
            if (history.size() > memory) history.pop_front();
        }
    }
}

// A uniform double in [0, 1) from 53 random bits, the same on every platform.
double uniform(std::mt19937_64& engine) { return static_cast<double>(engine() >> 11) * 0x1.0p-53; }

// A point uniformly distributed on the unit sphere.
Direction randomDirection(std::mt19937_64& engine) {
    const double z = 2.0 * uniform(engine) - 1.0;
    const double angle = 2.0 * std::numbers::pi * uniform(engine);
    const double ring = std::sqrt(std::max(0.0, 1.0 - z * z));
    return {ring * std::cos(angle), ring * std::sin(angle), z};
}

std::vector<Direction> normalised(const Vectors& free) {
    std::vector<Direction> points(free.size() / 3);
    for (std::size_t i = 0; i < points.size(); ++i) {
        const double* x = &free[3 * i];
        const double length = std::sqrt(x[0] * x[0] + x[1] * x[1] + x[2] * x[2]);
        points[i] = {x[0] / length, x[1] / length, x[2] / length};
    }
    return points;
}

}  // namespace

double coulombEnergy(const std::vector<Direction>& points) {
    double energy = 0.0;
    for (std::size_t i = 0; i < points.size(); ++i) {
        for (std::size_t j = i + 1; j < points.size(); ++j) {
            const double dx = points[i].x - points[j].x;
            const double dy = points[i].y - points[j].y;
            const double dz = points[i].z - points[j].z;
            energy += 1.0 / std::sqrt(dx * dx + dy * dy + dz * dz);
        }
    }
    return energy;
}

SpreadResult spreadOnSphere(int count, const SpreadOptions& options) {
    SpreadResult best;
    if (count < 1) return best;
    if (count == 1) {
        best.points = {{0.0, 0.0, 1.0}};
        best.starts = 1;
        return best;
    }
    // Each count has its own stream, so a count's result does not depend on the others.
    std::mt19937_64 engine(options.seed * 1000003u + static_cast<std::uint64_t>(count));
    int confirmed = 0;
    while (best.starts < options.maxStarts && (best.starts < options.minStarts || confirmed < options.confirmations)) {
        Vectors free(3 * static_cast<std::size_t>(count));
        for (int i = 0; i < count; ++i) {
            const Direction d = randomDirection(engine);
            free[3 * i] = d.x;
            free[3 * i + 1] = d.y;
            free[3 * i + 2] = d.z;
        }
        minimise(free);
        std::vector<Direction> points = normalised(free);
        const double energy = coulombEnergy(points);
        ++best.starts;
        // Different local minima of these counts differ far more than this tolerance.
        const double sameMinimum = 1e-9 * energy;
        if (best.points.empty() || energy < best.energy - sameMinimum) {
            best.points = std::move(points);
            best.energy = energy;
            confirmed = 1;
        } else if (std::abs(energy - best.energy) <= sameMinimum) {
            ++confirmed;
        }
    }
    return best;
}

}  // namespace kelvaro::seeds
