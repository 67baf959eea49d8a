#include "mp3/synthesis_kernels.h"

#include "mp3/fast_dct32.h"
#include "mp3/simd.h"

#include <cstring>

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

// Ring position p holds DCT output FoldedOutput(p): X[0], X[15] .. X[1], X[16] .. X[31].
constexpr int FoldedOutput(int p) {
    return p == 0 || p >= 16 ? p : 16 - p;
}

// DCT outputs of slots first .. first + kCount - 1 (one per lane of x) into folded[t][p],
// four outputs at a time through a 4 x 4 transpose.
template <int kCount>
SONAREL_INLINE_INTO_CLONES void StoreFolded(const Float4* x, int first,
                                            float (*folded)[kSlotSize]) {
    for (int p = 0; p < kSlotSize; p += 4) {
        Float4 rows[4] = {x[FoldedOutput(p)], x[FoldedOutput(p + 1)], x[FoldedOutput(p + 2)],
                          x[FoldedOutput(p + 3)]};
        Transpose4(rows[0], rows[1], rows[2], rows[3]);
        for (int l = 0; l < kCount; ++l) {
            StoreFloat4(folded[first + l] + p, rows[l]);
        }
    }
}

// Slots first .. first + kCount - 1 (kCount 4, or 2 for the last two of the 18) through
// one DCT, a slot per lane: neighbouring samples of a subband are one vector.
template <int kCount>
SONAREL_INLINE_INTO_CLONES void TransformFourSlots(const float* lines, int first,
                                                   float (*folded)[kSlotSize]) {
    Float4 in[kSubbands];
    for (int s = 0; s < kSubbands; ++s) {
        const float* x = lines + kSubbandLines * s + first;
        in[s] = kCount == 4 ? LoadFloat4(x) : Float4{x[0], x[1], 0.0f, 0.0f};
    }
    Float4 out[kSubbands];
    LeeDct<kSubbands>(in, out);
    StoreFolded<kCount>(out, first, folded);
}

SONAREL_INLINE_INTO_CLONES void TransformEightSlots(const float* lines, int first,
                                                    float (*folded)[kSlotSize]) {
    Float8 in[kSubbands];
    for (int s = 0; s < kSubbands; ++s) {
        Load(lines + kSubbandLines * s + first, in[s]);
    }
    Float8 out[kSubbands];
    LeeDct<kSubbands>(in, out);
    Float4 low[kSubbands];
    Float4 high[kSubbands];
    for (int p = 0; p < kSubbands; ++p) {
        low[p] = __builtin_shufflevector(out[p], out[p], 0, 1, 2, 3);
        high[p] = __builtin_shufflevector(out[p], out[p], 4, 5, 6, 7);
    }
    StoreFolded<4>(low, first, folded);
    StoreFolded<4>(high, first + 4, folded);
}

template <typename V> SONAREL_INLINE_INTO_CLONES void Reverse(V& v) {
    if constexpr (kLanes<V> == 4) {
        v = __builtin_shufflevector(v, v, 3, 2, 1, 0);
    } else if constexpr (kLanes<V> == 8) {
        v = __builtin_shufflevector(v, v, 7, 6, 5, 4, 3, 2, 1, 0);
    }
}

template <typename V> SONAREL_INLINE_INTO_CLONES float FirstLane(const V& v) {
    if constexpr (kLanes<V> == 1) {
        return v;
    } else {
        return v[0];
    }
}

// The 32 sums of one slot, whose taps start at ring + start (the ring is mirrored, so
// no tap wraps). Columns j = 0..15 are summed over the taps in order, a vector of columns
// at a time: low[j] is output j; high[j] is output 32 - j, or 16 for column 0, and goes
// out reversed. Output 32, written with column 0, belongs to the next slot: out has
// room for it, and the next slot writes over it.
template <typename V, int kTaps>
SONAREL_INLINE_INTO_CLONES void WindowSlot(const float* ring, int start,
                                           const FullRateWindow& window, float* out) {
    const float* taps = ring + start;
    float high_of_column0 = 0.0f;
    for (int j = 0; j < 16; j += kLanes<V>) {
        V low{};
        V high{};
        for (int m = 0; m < kTaps; ++m) {
            V a, b, c0, c1, c2, c3;
            Load(taps + 64 * m + 16 + j, a);
            Load(taps + 64 * m + 32 + j, b);
            Load(window.coeff[m][0] + j, c0);
            Load(window.coeff[m][1] + j, c1);
            Load(window.coeff[m][2] + j, c2);
            Load(window.coeff[m][3] + j, c3);
            low += a * c0 + b * c2;
            high += a * c1 + b * c3;
        }
        Store(out + j, low);
        if (j == 0) {
            high_of_column0 = FirstLane(high);
        }
        Reverse(high);
        Store(out + 33 - j - kLanes<V>, high);
    }
    float centre = 0.0f;
    for (int m = 0; m < kTaps; ++m) {
        centre += taps[64 * m + 48] * window.centre[m];
    }
    out[0] = out[0] + centre;
    out[16] = high_of_column0;
}

template <typename V, int kTaps>
SONAREL_INLINE_INTO_CLONES void WindowSlots(float* ring, int ring_pos,
                                            const float (*folded)[kSlotSize],
                                            const FullRateWindow& window, float* sums) {
    float last[kSlotSize + 1]; // the last slot's sums, with room for output 32
    for (int t = 0; t < kSlots; ++t) {
        ring_pos = (ring_pos - kSlotSize) & kRingMask;
        std::memcpy(ring + ring_pos, folded[t], sizeof(folded[t]));
        std::memcpy(ring + kRingMask + 1 + ring_pos, folded[t], sizeof(folded[t]));
        float* out = t + 1 < kSlots ? sums + kSlotSize * t : last;
        WindowSlot<V, kTaps>(ring, ring_pos + window.ring_offset, window, out);
    }
    std::memcpy(sums + kSlotSize * (kSlots - 1), last, sizeof(float) * kSlotSize);
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
// itself rounds, in the default mode (to nearest, ties to even). The result is integral.
template <typename V> SONAREL_INLINE_INTO_CLONES void RoundClamped(V& x) {
    const V low = V{} - 32768.0f;
    const V high = V{} + 32767.0f;
    const V shift = V{} + 12582912.0f;
    x = x >= low ? x : low; // also catches a NaN
    x = x <= high ? x : high;
    x = (x + shift) - shift;
}

template <typename V, typename I>
SONAREL_INLINE_INTO_CLONES void RoundToPcm(const float* sums, int count, int32_t* pcm) {
    for (int i = 0; i < count; i += kLanes<V>) {
        V x;
        Load(sums + i, x);
        RoundClamped(x);
        if constexpr (kLanes<V> == 1) {
            pcm[i] = static_cast<int32_t>(x);
        } else {
            const I rounded = __builtin_convertvector(x, I);
            std::memcpy(pcm + i, &rounded, sizeof(rounded));
        }
    }
}

SONAREL_INLINE_INTO_CLONES uint8_t* PutSample(uint8_t* out, float integral) {
    const auto value = static_cast<uint16_t>(static_cast<int32_t>(integral));
    out[0] = static_cast<uint8_t>(value & 0xff);
    out[1] = static_cast<uint8_t>(value >> 8);
    return out + 2;
}

// Vectors of 16-bit samples, half and full width of V (x86-64 is little-endian).
using Short4 = int16_t __attribute__((vector_size(8)));
using Short8 = int16_t __attribute__((vector_size(16)));
using Short16 = int16_t __attribute__((vector_size(32)));

template <typename V> SONAREL_INLINE_INTO_CLONES void LoadRounded(const float* sums, V& x) {
    Load(sums, x);
    RoundClamped(x);
}

template <typename V, typename I, typename Half>
SONAREL_INLINE_INTO_CLONES Half NarrowRounded(const float* sums) {
    V x;
    LoadRounded(sums, x);
    return __builtin_convertvector(__builtin_convertvector(x, I), Half);
}

template <typename V, typename I, typename Half>
SONAREL_INLINE_INTO_CLONES uint8_t* WritePcm16(const float (*sums)[kGranuleLines], int channels,
                                               uint8_t* out) {
    for (int i = 0; i < kGranuleLines; i += kLanes<V>) {
        if constexpr (kLanes<V> == 1) {
            for (int c = 0; c < channels; ++c) {
                float x;
                LoadRounded(sums[c] + i, x);
                out = PutSample(out, x);
            }
        } else if (channels == 1) {
            const Half mono = NarrowRounded<V, I, Half>(sums[0] + i);
            std::memcpy(out, &mono, sizeof(mono));
            out += sizeof(mono);
        } else {
            const Half left = NarrowRounded<V, I, Half>(sums[0] + i);
            const Half right = NarrowRounded<V, I, Half>(sums[1] + i);
            if constexpr (kLanes<V> == 4) {
                const Short8 pairs = __builtin_shufflevector(left, right, 0, 4, 1, 5, 2, 6, 3, 7);
                std::memcpy(out, &pairs, sizeof(pairs));
                out += sizeof(pairs);
            } else {
                const Short16 pairs = __builtin_shufflevector(left, right, 0, 8, 1, 9, 2, 10, 3, 11,
                                                              4, 12, 5, 13, 6, 14, 7, 15);
                std::memcpy(out, &pairs, sizeof(pairs));
                out += sizeof(pairs);
            }
        }
    }
    return out;
}

static_assert(kSlots == 4 * 4 + 2 && kSlots == 2 * 8 + 2);

void TransformSlotsFourLanes(const float* lines, float (*folded)[kSlotSize]) {
    for (int first = 0; first < 16; first += 4) {
        TransformFourSlots<4>(lines, first, folded);
    }
    TransformFourSlots<2>(lines, 16, folded);
}

void WindowGranulePortable(float* ring, int ring_pos, const float (*folded)[kSlotSize],
                           const FullRateWindow& window, float* sums) {
    WindowGranule<float>(ring, ring_pos, folded, window, sums);
}

void RoundToPcmPortable(const float* sums, int count, int32_t* pcm) {
    RoundToPcm<float, int32_t>(sums, count, pcm);
}

uint8_t* WritePcm16Portable(const float (*sums)[kGranuleLines], int channels, uint8_t* out) {
    return WritePcm16<float, int32_t, int16_t>(sums, channels, out);
}

constexpr SynthesisKernels kPortable = {TransformSlotsFourLanes, WindowGranulePortable,
                                        RoundToPcmPortable, WritePcm16Portable};

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

uint8_t* WritePcm16Sse2(const float (*sums)[kGranuleLines], int channels, uint8_t* out) {
    return WritePcm16<Float4, Int4, Short4>(sums, channels, out);
}

SONAREL_TARGET_AVX2
uint8_t* WritePcm16Avx2(const float (*sums)[kGranuleLines], int channels, uint8_t* out) {
    return WritePcm16<Float8, Int8, Short8>(sums, channels, out);
}

SONAREL_TARGET_AVX2
void TransformSlotsAvx2(const float* lines, float (*folded)[kSlotSize]) {
    TransformEightSlots(lines, 0, folded);
    TransformEightSlots(lines, 8, folded);
    TransformFourSlots<2>(lines, 16, folded);
}

constexpr SynthesisKernels kSse2 = {TransformSlotsFourLanes, WindowGranuleSse2, RoundToPcmSse2,
                                    WritePcm16Sse2};
constexpr SynthesisKernels kAvx2 = {TransformSlotsAvx2, WindowGranuleAvx2, RoundToPcmAvx2,
                                    WritePcm16Avx2};
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
