#include "mp3/synthesis_kernels.h"

#include <cstring>

#include "mp3/simd.h"

namespace sonarel::mp3 {

namespace {

constexpr int kRingMask = 511;
constexpr int kSlotSize = kSubbands;
constexpr int kSlots = kSubbandLines;

// Lanes of V: 1 for float, the portable copy.
template <typename V> constexpr int kLanes = sizeof(V) / sizeof(float);

template <typename V> SONAREL_INLINE_INTO_CLONES void Load(const float* p, V& v) {
    std::memcpy(&v, p, sizeof(v));
}

template <typename V> SONAREL_INLINE_INTO_CLONES void Store(float* p, const V& v) {
    std::memcpy(p, &v, sizeof(v));
}

// Columns j = 0..15 of one slot: lo[j] (output j) and hi[j] (output 32 - j, or 16 for
// column 0), a vector of columns at a time, each summed over the taps in order.
template <typename V, int kTaps>
SONAREL_INLINE_INTO_CLONES void WindowColumns(const float* ring, int start,
                                              const FullRateWindow& window, float* lo, float* hi) {
    for (int j = 0; j < 16; j += kLanes<V>) {
        V low{};
        V high{};
        for (int m = 0; m < kTaps; ++m) {
            V a, b, c0, c1, c2, c3;
            Load(ring + ((start + 64 * m + 16) & kRingMask) + j, a);
            Load(ring + ((start + 64 * m + 32) & kRingMask) + j, b);
            Load(window.coeff[m][0] + j, c0);
            Load(window.coeff[m][1] + j, c1);
            Load(window.coeff[m][2] + j, c2);
            Load(window.coeff[m][3] + j, c3);
            low += a * c0 + b * c2;
            high += a * c1 + b * c3;
        }
        Store(lo + j, low);
        Store(hi + j, high);
    }
}

// The 32 sums of the slot whose folded values start at ring position k.
template <typename V, int kTaps>
SONAREL_INLINE_INTO_CLONES void WindowSlot(const float* ring, int k, const FullRateWindow& window,
                                           float* out) {
    const int start = k + window.ring_offset;
    alignas(32) float lo[16];
    alignas(32) float hi[16];
    WindowColumns<V, kTaps>(ring, start, window, lo, hi);
    float centre = 0.0f;
    for (int m = 0; m < kTaps; ++m) {
        centre += ring[(start + 64 * m + 48) & kRingMask] * window.centre[m];
    }
    out[0] = lo[0] + centre;
    out[16] = hi[0];
    for (int j = 1; j < 16; ++j) {
        out[j] = lo[j];
        out[32 - j] = hi[j];
    }
}

template <typename V, int kTaps>
SONAREL_INLINE_INTO_CLONES void WindowSlots(float* ring, int ring_pos,
                                            const float (*folded)[kSlotSize],
                                            const FullRateWindow& window, float* sums) {
    for (int t = 0; t < kSlots; ++t) {
        ring_pos = (ring_pos - kSlotSize) & kRingMask;
        std::memcpy(ring + ring_pos, folded[t], sizeof(folded[t]));
        WindowSlot<V, kTaps>(ring, ring_pos, window, sums + kSlotSize * t);
    }
}

// The standard window has 8 taps, the shortened one 6.
template <typename V>
SONAREL_INLINE_INTO_CLONES void WindowGranule(float* ring, int ring_pos,
                                              const float (*folded)[kSlotSize],
                                              const FullRateWindow& window, float* sums) {
    if (window.taps == 8) {
        WindowSlots<V, 8>(ring, ring_pos, folded, window, sums);
    } else {
        WindowSlots<V, 6>(ring, ring_pos, folded, window, sums);
    }
}

// Adding 1.5 * 2^23 to a value within the clamp leaves no fraction bits, so the addition
// itself rounds, in the default mode (to nearest, ties to even).
template <typename V, typename I>
SONAREL_INLINE_INTO_CLONES void RoundToPcm(const float* sums, int count, int32_t* pcm) {
    const V low = V{} - 32768.0f;
    const V high = V{} + 32767.0f;
    const V shift = V{} + 12582912.0f;
    for (int i = 0; i < count; i += kLanes<V>) {
        V x;
        Load(sums + i, x);
        x = x >= low ? x : low; // also catches a NaN
        x = x <= high ? x : high;
        x = (x + shift) - shift;
        if constexpr (kLanes<V> == 1) {
            pcm[i] = static_cast<int32_t>(x);
        } else {
            const I rounded = __builtin_convertvector(x, I);
            std::memcpy(pcm + i, &rounded, sizeof(rounded));
        }
    }
}

void WindowGranulePortable(float* ring, int ring_pos, const float (*folded)[kSlotSize],
                           const FullRateWindow& window, float* sums) {
    WindowGranule<float>(ring, ring_pos, folded, window, sums);
}

void RoundToPcmPortable(const float* sums, int count, int32_t* pcm) {
    RoundToPcm<float, int32_t>(sums, count, pcm);
}

constexpr SynthesisKernels kPortable = {WindowGranulePortable, RoundToPcmPortable};

#ifdef SONAREL_X86_64
void WindowGranuleSse2(float* ring, int ring_pos, const float (*folded)[kSlotSize],
                       const FullRateWindow& window, float* sums) {
    WindowGranule<Float4>(ring, ring_pos, folded, window, sums);
}

void RoundToPcmSse2(const float* sums, int count, int32_t* pcm) {
    RoundToPcm<Float4, Int4>(sums, count, pcm);
}

SONAREL_TARGET_AVX2
void WindowGranuleAvx2(float* ring, int ring_pos, const float (*folded)[kSlotSize],
                       const FullRateWindow& window, float* sums) {
    WindowGranule<Float8>(ring, ring_pos, folded, window, sums);
}

SONAREL_TARGET_AVX2
void RoundToPcmAvx2(const float* sums, int count, int32_t* pcm) {
    RoundToPcm<Float8, Int8>(sums, count, pcm);
}

constexpr SynthesisKernels kSse2 = {WindowGranuleSse2, RoundToPcmSse2};
constexpr SynthesisKernels kAvx2 = {WindowGranuleAvx2, RoundToPcmAvx2};
#endif

} // namespace

const SynthesisKernels& SynthesisKernelsFor(VectorPath path) {
#ifdef SONAREL_X86_64
    if (path == VectorPath::kAvx2) {
        return kAvx2;
    }
    if (path == VectorPath::kSse2) {
        return kSse2;
    }
#endif
    (void)path;
    return kPortable;
}

} // namespace sonarel::mp3
