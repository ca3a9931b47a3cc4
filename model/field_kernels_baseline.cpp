// The kernels every x86-64 processor runs (SSE2, two points at a time), WebAssembly SIMD
// (two points at a time) in the browser edition, plain scalar code elsewhere, and the
// one-time choice of the fastest set.

#include "model/field_kernels.h"

#if defined(__x86_64__)
#include <emmintrin.h>
#elif defined(__wasm_simd128__)
#include <wasm_simd128.h>
#endif

namespace kelvaro {
namespace {

#if defined(__x86_64__)
// Single-precision work uses the first two of four lanes.
constexpr int lanes = 2;
using Doubles = __m128d;
using Floats = __m128;
Doubles squareRoot(Doubles v) { return _mm_sqrt_pd(v); }
Doubles widened(Floats v) { return _mm_cvtps_pd(v); }
Floats narrowed(Doubles v) { return _mm_cvtpd_ps(v); }
#elif defined(__wasm_simd128__)
// As on x86-64: single-precision work uses the first two of four lanes. WebAssembly's
// square root, promotion and demotion are correctly rounded, lane by lane.
constexpr int lanes = 2;
using Doubles = double __attribute__((vector_size(16)));
using Floats = float __attribute__((vector_size(16)));
Doubles squareRoot(Doubles v) { return Doubles(wasm_f64x2_sqrt(v128_t(v))); }
Doubles widened(Floats v) { return Doubles(wasm_f64x2_promote_low_f32x4(v128_t(v))); }
Floats narrowed(Doubles v) { return Floats(wasm_f32x4_demote_f64x2_zero(v128_t(v))); }
#else
constexpr int lanes = 1;
using Doubles = double __attribute__((vector_size(8)));
using Floats = float __attribute__((vector_size(4)));
Doubles squareRoot(Doubles v) { return Doubles{__builtin_sqrt(v[0])}; }
Doubles widened(Floats v) { return Doubles{v[0]}; }
Floats narrowed(Doubles v) { return Floats{static_cast<float>(v[0])}; }
#endif
using LaneMask = decltype(Doubles{} < Doubles{});

#include "model/field_kernels.inc"

const FieldKernels baseline{"baseline", potentials, fields, stopPoints, preciseFields};

}  // namespace

const FieldKernels& baselineKernels() { return baseline; }

const std::vector<const FieldKernels*>& runnableKernels() {
    static const std::vector<const FieldKernels*> sets = [] {
        std::vector<const FieldKernels*> found{&baseline};
#if defined(__x86_64__)
        if (__builtin_cpu_supports("avx2")) found.push_back(avx2Kernels());
#endif
        return found;
    }();
    return sets;
}

const FieldKernels& bestKernels() {
    static const FieldKernels& chosen = *runnableKernels().back();
    return chosen;
}

#if !defined(__x86_64__)
const FieldKernels* avx2Kernels() { return nullptr; }
#endif

}  // namespace kelvaro
