#pragma once
// Points spread evenly over the unit sphere: the arrangements of lowest Coulomb energy
// (sum over pairs of 1 / distance), found by local minimisation from random starts.

#include <cstdint>
#include <vector>

namespace kelvaro::seeds {

struct Direction {
    double x = 0.0;
    double y = 0.0;
    double z = 0.0;
};

// Sum over all pairs of 1 / distance; points need not be unit vectors.
double coulombEnergy(const std::vector<Direction>& points);

struct SpreadOptions {
    // Every count gets at least this many random starts...
    int minStarts = 100;
    // ...and stops once its lowest energy has been reached by this many starts...
    int confirmations = 10;
    // ...or after this many starts, whichever comes first.
    int maxStarts = 3000;
    // Seed of the random starts; the same seed gives the same result on every run.
    std::uint64_t seed = 1;
};

struct SpreadResult {
    std::vector<Direction> points;  // unit vectors
    double energy = 0.0;
    int starts = 0;  // random starts made
};

// The lowest-energy arrangement of `count` unit vectors that the starts reach.
// A count of 1 answers (0, 0, 1); a count below 1 answers no point.
SpreadResult spreadOnSphere(int count, const SpreadOptions& options);

}  // namespace kelvaro::seeds
