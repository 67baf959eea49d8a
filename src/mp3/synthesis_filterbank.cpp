// Polyphase synthesis in its folded form. Each time slot's 32 subband samples go
// through a 32-point DCT; because the standard's 64 matrixed values are that DCT's
// outputs with signs and mirror images, the ring keeps only 32 values per slot, in the
// order p = 0: X[0]; p = 1..15: X[16 - p]; p = 16..31: X[p]. The window rows
// (synthesis_window_table) pair each stored value with the coefficients of the two
// outputs j and 32 - j that read it. With a downsampling shift the same runs on the
// lowest 16 or 8 subbands, every second or fourth ring position and window row.
//
// The DCTs of a granule's 18 slots run first, four slots at a time in SIMD lanes; the
// window then walks the slots in order. The full-rate window is where the decoder spends
// most of its time: it works on four doubles at once and has an AVX2 copy (simd.h).
#include "mp3/synthesis_filterbank.h"

#include <algorithm>
#include <cstring>

#include "mp3/fast_dct32.h"
#include "mp3/pcm_output.h"
#include "mp3/simd.h"
#include "mp3/synthesis_window_table.h"

namespace sonarel::mp3 {

namespace {

constexpr int kRingSize = 512;
constexpr int kRingMask = kRingSize - 1;
constexpr int kSlotSize = 32;
constexpr int kSlots = kSubbandLines;  // time slots per granule
constexpr int kReducedRingOffset = 64; // the shortened window skips the newest tap

// A window laid out for the full-rate loop, which produces outputs 1..15 and their
// mirrors 31..17 side by side: coeff[m][q][j] is row j's entry 4m + q. Column 0 serves
// outputs 0 and 16, which read different ring values: out[16] takes entry 3 of row 0,
// out[0] takes entry 0 and, from 16 values further on, entry 2 (kept in `centre`).
struct FullRateWindow {
    int taps;
    int ring_offset;
    double coeff[8][4][16];
    double centre[8];
};

FullRateWindow Transpose(const float* rows, int row_length, int taps, int ring_offset) {
    FullRateWindow window{};
    window.taps = taps;
    window.ring_offset = ring_offset;
    for (int m = 0; m < taps; ++m) {
        for (int j = 0; j < 16; ++j) {
            for (int q = 0; q < 4; ++q) {
                window.coeff[m][q][j] = rows[j * row_length + 4 * m + q];
            }
        }
        window.coeff[m][1][0] = 0.0;
        window.coeff[m][2][0] = 0.0;
        window.centre[m] = rows[4 * m + 2];
    }
    return window;
}

const FullRateWindow& StandardWindow() {
    static const FullRateWindow window = Transpose(&SynthWindow16[0][0], 32, 8, 0);
    return window;
}

const FullRateWindow& ReducedWindow() {
    static const FullRateWindow window = Transpose(&SynthWindow12[0][0], 24, 6, kReducedRingOffset);
    return window;
}

// Eight of the columns j = 0..15: lo[j] (output j) and hi[j] (output 32 - j, or 16 for
// column 0) for j = kFirst .. kFirst + 7. Products of two floats are exact in double
// precision; only the sums round.
template <int kFirst>
SONAREL_INLINE_INTO_CLONES void WindowColumns(const double* ring, int start,
                                              const FullRateWindow& window, double* lo_out,
                                              double* hi_out) {
    // Four-double vectors are never passed to or returned from a function here: their
    // calling convention differs between the two copies.
    Double4 lo0 = {}, lo1 = {}, hi0 = {}, hi1 = {};
    for (int m = 0; m < window.taps; ++m) {
        const double* a = ring + ((start + 64 * m + 16) & kRingMask) + kFirst;
        const double* b = ring + ((start + 64 * m + 32) & kRingMask) + kFirst;
        const double(*c)[16] = window.coeff[m];
        Double4 a0, a1, b0, b1, c0, c1, c2, c3;
        std::memcpy(&a0, a, sizeof(a0));
        std::memcpy(&a1, a + 4, sizeof(a1));
        std::memcpy(&b0, b, sizeof(b0));
        std::memcpy(&b1, b + 4, sizeof(b1));
        std::memcpy(&c0, c[0] + kFirst, sizeof(c0));
        std::memcpy(&c2, c[2] + kFirst, sizeof(c2));
        lo0 += a0 * c0 + b0 * c2;
        std::memcpy(&c1, c[1] + kFirst, sizeof(c1));
        std::memcpy(&c3, c[3] + kFirst, sizeof(c3));
        hi0 += a0 * c1 + b0 * c3;
        std::memcpy(&c0, c[0] + kFirst + 4, sizeof(c0));
        std::memcpy(&c2, c[2] + kFirst + 4, sizeof(c2));
        lo1 += a1 * c0 + b1 * c2;
        std::memcpy(&c1, c[1] + kFirst + 4, sizeof(c1));
        std::memcpy(&c3, c[3] + kFirst + 4, sizeof(c3));
        hi1 += a1 * c1 + b1 * c3;
    }
    std::memcpy(lo_out + kFirst, &lo0, sizeof(lo0));
    std::memcpy(lo_out + kFirst + 4, &lo1, sizeof(lo1));
    std::memcpy(hi_out + kFirst, &hi0, sizeof(hi0));
    std::memcpy(hi_out + kFirst + 4, &hi1, sizeof(hi1));
}

// Window of one full-rate slot: the 32 output sums from the ring whose newest slot
// starts at k.
SONAREL_INLINE_INTO_CLONES void WindowSlot(const double* ring, int k, const FullRateWindow& window,
                                           double* out) {
    const int start = k + window.ring_offset;
    double lo[16];
    double hi[16];
    WindowColumns<0>(ring, start, window, lo, hi);
    WindowColumns<8>(ring, start, window, lo, hi);
    double centre = 0.0;
    for (int m = 0; m < window.taps; ++m) {
        centre += ring[(start + 64 * m + 48) & kRingMask] * window.centre[m];
    }
    out[0] = lo[0] + centre;
    out[16] = hi[0];
    for (int j = 1; j < 16; ++j) {
        out[j] = lo[j];
        out[32 - j] = hi[j];
    }
}

// The 18 slots of one channel at full rate: each slot's folded DCT enters the ring at
// the next position down from ring_pos, then the window makes its 32 sums.
SONAREL_WITH_AVX2_CLONE
void WindowGranule(double* ring, int ring_pos, const double (*folded)[kSlotSize],
                   const FullRateWindow& window, double* sums) {
    for (int t = 0; t < kSlots; ++t) {
        ring_pos = (ring_pos - kSlotSize) & kRingMask;
        for (int p = 0; p < kSlotSize; ++p) {
            ring[ring_pos + p] = folded[t][p];
        }
        WindowSlot(ring, ring_pos, window, sums + kSlotSize * t);
    }
}

// The window geometry of a downsampled slot: n outputs, ring and row stride `step`.
struct DownsampledWindow {
    const float* rows;
    int row_length;
    int taps;
    int ring_offset;
};

double Tap(const double* ring, int position, float coefficient) {
    return ring[position & kRingMask] * coefficient;
}

void WindowDownsampled(const double* ring, int k, int n, int step, const DownsampledWindow& window,
                       double* out) {
    const int base = k + window.ring_offset;
    const float* row0 = window.rows;
    double first = 0.0;
    double middle = 0.0;
    for (int m = 0; m < window.taps; ++m) {
        first += Tap(ring, base + 64 * m + 16, row0[4 * m]) +
                 Tap(ring, base + 64 * m + 48, row0[4 * m + 2]);
        middle += Tap(ring, base + 64 * m + 32, row0[4 * m + 3]);
    }
    out[0] = first;
    out[n / 2] = middle;
    for (int j = 1; j < n / 2; ++j) {
        const int kj = base + j * step;
        const float* row = window.rows + j * step * window.row_length;
        double low = 0.0;
        double high = 0.0;
        for (int m = 0; m < window.taps; ++m) {
            low += Tap(ring, kj + 64 * m + 16, row[4 * m]) +
                   Tap(ring, kj + 64 * m + 32, row[4 * m + 2]);
            high += Tap(ring, kj + 64 * m + 16, row[4 * m + 1]) +
                    Tap(ring, kj + 64 * m + 32, row[4 * m + 3]);
        }
        out[j] = low;
        out[n - j] = high;
    }
}

void Dct(int n, const Float4* in, Float4* out) {
    if (n == 32) {
        FastDct32(in, out);
    } else if (n == 16) {
        FastDct16(in, out);
    } else {
        FastDct8(in, out);
    }
}

// DCTs of the lowest n subbands of all 18 slots of one channel (slots[32t + s]), in
// the folded order: folded[t][p]. Four slots go through the DCT at once, one per lane;
// 4 x 4 transposes move them into and out of the lanes.
void TransformSlots(const float* slots, int n, double (*folded)[kSlotSize]) {
    const int half = n / 2;
    for (int first = 0; first < kSlots; first += 4) {
        const int count = std::min(4, kSlots - first);
        Float4 in[kSlotSize];
        for (int s = 0; s < n; s += 4) {
            Float4 rows[4] = {};
            for (int l = 0; l < count; ++l) {
                rows[l] = LoadFloat4(slots + kSlotSize * (first + l) + s);
            }
            Transpose4(rows[0], rows[1], rows[2], rows[3]);
            std::copy(rows, rows + 4, in + s);
        }
        Float4 x[kSlotSize];
        Dct(n, in, x);
        for (int p = 0; p < n; p += 4) {
            Float4 rows[4];
            for (int i = 0; i < 4; ++i) {
                const int q = p + i;
                rows[i] = x[q == 0 || q >= half ? q : half - q];
            }
            Transpose4(rows[0], rows[1], rows[2], rows[3]);
            for (int l = 0; l < count; ++l) {
                const Double4 wide = __builtin_convertvector(rows[l], Double4);
                std::memcpy(folded[first + l] + p, &wide, sizeof(wide));
            }
        }
    }
}

} // namespace

SynthesisFilterbank::SynthesisFilterbank(const FrameParams& params, const DecoderOptions& options)
    : params_(params), options_(options), v_{} {
    Reset();
}

void SynthesisFilterbank::Reset() {
    std::fill(&v_[0][0], &v_[0][0] + kMaxChannels * kRingSize, 0.0);
    ring_pos_ = kSlotSize;
}

uint8_t* SynthesisFilterbank::Run(const float (*synth_in)[kGranuleLines], uint8_t* out) {
    const int n = kSubbands >> options_.downsample_shift;
    const int channels = options_.mono ? 1 : params_.channels;
    for (int c = 0; c < channels; ++c) {
        TransformSlots(synth_in[c], n, folded_[c]);
    }
    WindowSlots(channels);
    const int count = n * kSlots;
    int32_t pcm[kMaxChannels][kGranuleLines];
    for (int c = 0; c < channels; ++c) {
        RoundToPcm(sums_[c], count, pcm[c]);
    }
    return WritePcm(pcm, channels, count, options_.eight_bit, out);
}

// The folded slots enter the ring one by one, each followed by its window sums.
void SynthesisFilterbank::WindowSlots(int channels) {
    // The mono downmix of a two-channel stream uses the shortened window.
    const bool reduced = options_.mono && params_.channels == 2;
    const int shift = options_.downsample_shift;
    if (shift == 0) {
        const FullRateWindow& window = reduced ? ReducedWindow() : StandardWindow();
        for (int c = 0; c < channels; ++c) {
            WindowGranule(v_[c], ring_pos_, folded_[c], window, sums_[c]);
        }
        ring_pos_ = (ring_pos_ - kSlots * kSlotSize) & kRingMask;
        return;
    }
    const int n = kSubbands >> shift;
    const int step = 1 << shift;
    const DownsampledWindow window =
        reduced ? DownsampledWindow{&SynthWindow12[0][0], 24, 6, kReducedRingOffset}
                : DownsampledWindow{&SynthWindow16[0][0], 32, 8, 0};
    for (int t = 0; t < kSlots; ++t) {
        ring_pos_ = (ring_pos_ - kSlotSize) & kRingMask;
        for (int c = 0; c < channels; ++c) {
            for (int p = 0; p < n; ++p) {
                v_[c][ring_pos_ + p * step] = folded_[c][t][p];
            }
            WindowDownsampled(v_[c], ring_pos_, n, step, window, sums_[c] + n * t);
        }
    }
}

} // namespace sonarel::mp3
