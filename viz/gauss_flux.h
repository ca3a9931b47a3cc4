#pragma once
// Gauss's law on a sphere: the flux of the model's field out through a sphere, beside the
// charge the sphere encloses times 4πk (k, Coulomb's constant, is 1 in model units: a
// charge q at distance r has the potential q / r, so the flux out of a sphere round q
// alone is 4π q), and the sphere in the scene coloured by the field's outward component.
//
// The flux is a product rule on the sphere: Gauss-Legendre in the cosine of the polar angle
// (n nodes) and the trapezoidal rule in the azimuth (2n nodes), which integrates every
// spherical harmonic of degree below 2n exactly, with the field in double precision
// (Model::preciseFieldAt). The normal field of a charge at distance d from the centre of a
// sphere of radius R is a series of Legendre polynomials whose terms of degree l are at
// most (l + 1) ρ^l times the charge over R^2, ρ = d / R inside and R / d outside, so the
// rule's error is at most 4π Σ |q| Σ_{l >= 2n} (l + 1) ρ^l over the charges. n is the
// smallest of 8, 16, ..., 512 for which this bound is at most a millionth of 4π Σ |q|; a
// sphere that passes so near a charge that even 512 do not reach it has no flux told.

#include <string>

#include "common/vector3.h"
#include "model/model.h"
#include "scene/group.h"
#include "viz/worker_threads.h"

namespace kelvaro {

// The rule's error is held below this share of 4π times the sum of the charges' magnitudes.
inline constexpr double fluxTolerance = 1e-6;

struct SphereFlux {
    bool known = false;           // false: a charge lies on the sphere, or too near it
    double flux = 0.0;            // out through the sphere
    double enclosedCharge = 0.0;  // the values of the charges inside the sphere, summed in model order
    double errorBound = 0.0;      // the rule's error is at most this
    int nodes = 0;                // n of the rule (n x 2n points)
    int nearestCharge = -1;       // the charge nearest the sphere (0 = the first), or -1 for none
    Vector3 nearestPosition;      // its place
    double nearestGap = 0.0;      // its distance from the sphere
    double magnitudeSum = 0.0;    // the sum of the charges' magnitudes
};

// The flux of the model's field out through the sphere of `radius` (> 0) round `centre`,
// computed as `options` say (the same bits on the reference path and on any number of
// threads).
SphereFlux fluxThroughSphere(const Model& model, const Vector3& centre, double radius, const BuildOptions& options = {});

// "Flux through the sphere: 12.566 (enclosed charge 1 × 4πk = 12.566)" and a line feed,
// both numbers rounded to five significant digits of 4π Σ |q| (the rule's error lies
// below the last), trailing zeros left off, in every locale alike; when the flux is not
// known, a line that names the charge the sphere passes too near, and how near.
std::string fluxLine(const SphereFlux& flux);

// A known flux with every digit, as kelvaro-batch's flux command prints it after fluxLine:
// "flux: F", "enclosed_charge: Q", "error_bound: B" and "rule: n x 2n" lines.
std::string fluxNumbers(const SphereFlux& flux);

// Why no Gauss sphere can be made with this centre and radius, as a line for the user with
// a line feed (a coordinate or radius that is not a finite number, a radius not above 0);
// empty when it can.
std::string gaussSphereProblem(const Vector3& centre, double radius);

// The sphere in the scene: translucent triangles, each coloured by the field's outward
// component at its middle, red where the field leaves, blue where it enters, white where
// it runs along the sphere (the strength relative to the strongest on the sphere, as its
// square root, in 10 steps each way). A new Group (one reference, the caller's), or none
// when gaussSphereProblem refuses it or memory runs out.
Ref<Group> makeGaussSphere(const Model& model, const Vector3& centre, double radius, const BuildOptions& options = {});

}  // namespace kelvaro
