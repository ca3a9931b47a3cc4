#pragma once
// The colours of the plane and of colour by strength: a diverging map for the potential
// (negative blue, white at zero, positive red) on a symmetric-logarithmic scale, and the
// perceptual map viridis for log10 |E|. Both scales are the model's own, not the data's,
// so that every request on one model shares them and a colour bar can state their
// values. They depend on the box and the charges' values alone: moving a charge changes
// the colours only where the field changes.

#include <vector>

#include "common/vector3.h"
#include "model/model.h"

namespace kelvaro {

// The magnitude of the model's largest charge, and the length of its box's diagonal (in
// double precision from the single-precision corners): the measures of both scales.
double largestChargeMagnitude(const Model& model);
double boxDiagonal(const Model& model);

// Where a potential lies on the diverging map: from -1 (blue) through 0 (white) to 1
// (red). position(V) = sign(V) log10(1 + |V| / linear) / log10(1 + largest / linear):
// close to linear in V for |V| below `linear`, logarithmic above, so that the region
// near the charges and the region far from them both show.
class PotentialScale {
public:
    // `linear`: where the scale turns from linear to logarithmic; `largest`: the potential
    // at position 1 (and its negative at -1).
    PotentialScale(double linear, double largest);

    double linear() const { return linear_; }
    double largest() const { return largest_; }
    // False for a model whose scale is empty (no charge, no size): every potential then
    // sits at 0 and no level is spread over it.
    bool usable() const;
    // Clamped to [-1, 1]; an infinite potential sits at its end, a not-a-number at 0.
    double position(double potential) const;
    // The potential at `position` (-1 to 1), the inverse of position().
    double potential(double position) const;
    // `count` levels spread evenly over the scale's positions, symmetric about zero and
    // short of its ends: (2k - count + 1) / (count + 1) for k = 0 .. count - 1 (an odd
    // count includes the level 0). None for an unusable scale.
    std::vector<double> spreadLevels(int count) const;

private:
    double linear_;
    double largest_;
    double logRange_;  // log1p(largest / linear), the logarithm at position 1
};

// The scale of `model`: `largest` is the potential of its largest charge (in magnitude)
// at the charge radius, `linear` the potential of a charge of the sum of all their
// magnitudes at four times the box's diagonal.
PotentialScale potentialScaleOf(const Model& model);

// Where a field strength lies on viridis: log10 |E| from `low` (position 0) to `high`
// (position 1), clamped.
struct StrengthScale {
    double low = 0.0;
    double high = 1.0;

    // 0 for a field of 0, 1 for an infinite one or a not-a-number.
    double position(double strength) const;
};

// The scale of `model`: from the field of its largest charge at the distance of the box's
// diagonal up to the field of that charge at a twentieth of it (2.6 decades), so that a
// line's colour changes along its whole run but near the charges.
StrengthScale strengthScaleOf(const Model& model);

// The diverging map at `position` (-1 to 1, clamped): ColorBrewer's RdBu in 11 classes,
// reversed so that positive is red, with pure white at 0, interpolated linearly.
Vector3 divergingColour(double position);

// Viridis at `position` (0 to 1, clamped): its published 256 entries, interpolated linearly.
Vector3 viridisColour(double position);

// The strength colour of a field: viridis at scale.position(|field|), |field| taken in
// double precision from the single-precision components.
Vector3 strengthColour(const StrengthScale& scale, const Vector3& field);

}  // namespace kelvaro
