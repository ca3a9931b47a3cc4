#pragma once
// The batched evaluations of a Model's field: many points at once, each computed with
// exactly the operations, precisions and charge order of the one-point evaluations, so
// every answer has the same bits. SIMD runs across points (lanes), never across the terms
// of one sum: square root, division and the conversions are correctly rounded in every lane.
//
// Not-a-numbers: an answer that is not a number has the one-point bits, sign and payload,
// when every not-a-number in the point is the processor's default one, the one invalid
// operations such as inf - inf make (on x86-64 the negative quiet NaN without payload). Of
// two not-a-numbers with different bits an operation passes on the one its operand order
// picks, and in the one-point code the compiler picks that order: for points that carry
// other not-a-numbers both paths answer a not-a-number, but its bits may differ (the SSE2
// fields do for most mixes of payloads). Models never give such points: the reader makes
// only numbers and infinities, and every not-a-number the builders reach from them comes
// from an invalid operation or is passed on unchanged. (Directions read from a seed file
// may hold any bits; the field-line traces only compare what they get there, and every
// comparison with a not-a-number fails alike, so the lines are the same either way.)
//
// Each kernel set is compiled in a file of its own for its instruction set; this header
// holds only plain data and function pointers, so that no inline code of the project is
// compiled for an instruction set the processor may lack.

#include <cstdint>
#include <vector>

#include "common/vector3.h"
#include "common/vector3d.h"

namespace kelvaro {

// The charges and settings the kernels read, one column per coordinate.
struct ChargeColumns {
    static constexpr int capacity = 100;

    std::int32_t count = 0;
    double x[capacity] = {};  // positions widened to double
    double y[capacity] = {};
    double z[capacity] = {};
    float fx[capacity] = {};  // positions as stored
    float fy[capacity] = {};
    float fz[capacity] = {};
    double value[capacity] = {};
    double radiusSquared = 0.0;
    double potentialScale = 1.0;
    Vector3 boxMin;
    Vector3 boxMax;
};

// The field at a point in double precision, and beside it the sum of the magnitudes of the
// charges' separate fields there: where no charge's field cancels another's, the field's
// own magnitude; where the field is much weaker than that sum, it nearly vanishes.
struct PreciseField {
    Vector3d field;
    double separateSum = 0.0;
};

// One set of kernels. Each fills out[0 .. count - 1] for points[0 .. count - 1].
struct FieldKernels {
    const char* name;
    void (*potentials)(const ChargeColumns& charges, const Vector3* points, int count, double* out);
    void (*fields)(const ChargeColumns& charges, const Vector3* points, int count, Vector3* out);
    // 1 for a stop point, 0 otherwise.
    void (*stopPoints)(const ChargeColumns& charges, const Vector3* points, int count, std::uint8_t* out);
    void (*preciseFields)(const ChargeColumns& charges, const Vector3d* points, int count, PreciseField* out);
};

// The kernels for every x86-64 processor (SSE2); WebAssembly SIMD in the browser edition;
// plain scalar code on other architectures.
const FieldKernels& baselineKernels();
// The AVX2 kernels, or null when the build has none (not x86-64). Wider vectors gain
// nothing: square roots and divisions, which bound the work, take as long per lane.
const FieldKernels* avx2Kernels();
// Every set this processor runs, the baseline first and the fastest last, found once.
const std::vector<const FieldKernels*>& runnableKernels();
// The fastest set this processor runs.
const FieldKernels& bestKernels();

}  // namespace kelvaro
