// Small fixed-width vectors of the compiler (GCC and Clang vector extensions): the
// compiler maps them onto the processor's SIMD registers, and plain C++ arithmetic on
// them works lane by lane.
#pragma once

#include <cstdint>
#include <cstring>

namespace sonarel::mp3 {

using Float4 = float __attribute__((vector_size(16)));

// One AVX register, or a pair of SSE2 registers. Never passed to or returned from a
// function that is not inlined: the calling convention differs between the copies that
// vector_path.h selects.
using Float8 = float __attribute__((vector_size(32)));
using Double4 = double __attribute__((vector_size(32)));

using Int4 = int32_t __attribute__((vector_size(16)));
using Int8 = int32_t __attribute__((vector_size(32)));

// Hot loops are compiled once per vector path (vector_path.h), from one template whose
// helpers are forced inline, so that each copy gets its own; the copies do the same
// operations in the same order, lane by lane, so their results are identical.
#if defined(__GNUC__) && defined(__x86_64__)
#define SONAREL_X86_64 1
#define SONAREL_TARGET_AVX2 __attribute__((target("avx2")))
#endif
#define SONAREL_INLINE_INTO_CLONES __attribute__((always_inline)) inline

inline Float4 LoadFloat4(const float* p) {
    Float4 v;
    std::memcpy(&v, p, sizeof(v));
    return v;
}

inline void StoreFloat4(float* p, Float4 v) {
    std::memcpy(p, &v, sizeof(v));
}

// Turns four rows of four lanes into four columns: afterwards r_i holds lane i of the
// original rows.
inline void Transpose4(Float4& r0, Float4& r1, Float4& r2, Float4& r3) {
    const Float4 t0 = __builtin_shufflevector(r0, r1, 0, 4, 1, 5);
    const Float4 t1 = __builtin_shufflevector(r0, r1, 2, 6, 3, 7);
    const Float4 t2 = __builtin_shufflevector(r2, r3, 0, 4, 1, 5);
    const Float4 t3 = __builtin_shufflevector(r2, r3, 2, 6, 3, 7);
    r0 = __builtin_shufflevector(t0, t2, 0, 1, 4, 5);
    r1 = __builtin_shufflevector(t0, t2, 2, 3, 6, 7);
    r2 = __builtin_shufflevector(t1, t3, 0, 1, 4, 5);
    r3 = __builtin_shufflevector(t1, t3, 2, 3, 6, 7);
}

} // namespace sonarel::mp3
