// The AVX2 kernels, four points at a time. This file alone is compiled with -mavx2 (never
// with FMA); it includes nothing of the project but plain data, so no shared inline code
// is built for AVX2 here. bestKernels() runs it only on processors that have AVX2.

#include "model/field_kernels.h"

#if defined(__x86_64__)
#include <immintrin.h>

namespace kelvaro {
namespace {

constexpr int lanes = 4;
using Doubles = __m256d;
using Floats = __m128;
Doubles squareRoot(Doubles v) { return _mm256_sqrt_pd(v); }
Doubles widened(Floats v) { return _mm256_cvtps_pd(v); }
Floats narrowed(Doubles v) { return _mm256_cvtpd_ps(v); }
using LaneMask = decltype(Doubles{} < Doubles{});

#include "model/field_kernels.inc"

const FieldKernels avx2{"avx2", potentials, fields, stopPoints, preciseFields};

}  // namespace

const FieldKernels* avx2Kernels() { return &avx2; }

}  // namespace kelvaro
#endif
