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
// most of its time: it sums in single precision, with a copy per vector path
// (synthesis_kernels.h); the downsampled ones sum in double precision.
#include "mp3/synthesis_filterbank.h"

#include "mp3/fast_dct32.h"
#include "mp3/pcm_output.h"
#include "mp3/simd.h"
#include "mp3/synthesis_kernels.h"
#include "mp3/synthesis_window_table.h"

#include <algorithm>
#include <cstring>

namespace sonarel::mp3 {

namespace {

constexpr int kRingSize = 512;
constexpr int kRingMask = kRingSize - 1;
constexpr int kSlotSize = 32;
constexpr int kSlots = kSubbandLines;  // time slots per granule
constexpr int kReducedRingOffset = 64; // the shortened window skips the newest tap

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
        window.coeff[m][1][0] = 0.0f;
        window.coeff[m][2][0] = 0.0f;
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

// The window geometry of a downsampled slot: n outputs, ring and row stride `step`.
struct DownsampledWindow {
    const float* rows;
    int row_length;
    int taps;
    int ring_offset;
};

// Products of two floats are exact in double precision; only the sums round.
double Tap(const float* ring, int position, float coefficient) {
    return double{ring[position & kRingMask]} * coefficient;
}

void WindowDownsampled(const float* ring, int k, int n, int step, const DownsampledWindow& window,
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

template <int N> void Dct(const Float4* in, Float4* out) {
    if constexpr (N == 16) {
        FastDct16(in, out);
    } else {
        FastDct8(in, out);
    }
}

// Ring position p holds DCT output FoldedOutput(p): X[0], X[N/2 - 1] .. X[1], X[N/2] ..
template <int N> constexpr int FoldedOutput(int p) {
    return p == 0 || p >= N / 2 ? p : N / 2 - p;
}

// DCTs of the lowest N subbands of slots first .. first + count - 1 (count 4, or 2 for
// the last two of the 18) of one channel, whose samples come subband by subband
// (lines[18s + t]), in the folded order: folded[t][p]. The slots go through the DCT
// at once, one per lane: neighbouring samples of a subband are one vector. A 4 x 4
// transpose moves the results out of the lanes.
template <int N, int kCount>
void TransformSlotGroup(const float* lines, int first, float (*folded)[kSlotSize]) {
    Float4 in[N];
    for (int s = 0; s < N; ++s) {
        const float* x = lines + kSubbandLines * s + first;
        in[s] = kCount == 4 ? LoadFloat4(x) : Float4{x[0], x[1], 0.0f, 0.0f};
    }
    Float4 x[N];
    Dct<N>(in, x);
    for (int p = 0; p < N; p += 4) {
        Float4 rows[4] = {x[FoldedOutput<N>(p)], x[FoldedOutput<N>(p + 1)],
                          x[FoldedOutput<N>(p + 2)], x[FoldedOutput<N>(p + 3)]};
        Transpose4(rows[0], rows[1], rows[2], rows[3]);
        for (int l = 0; l < kCount; ++l) {
            StoreFloat4(folded[first + l] + p, rows[l]);
        }
    }
}

template <int N> void TransformSlots(const float* lines, float (*folded)[kSlotSize]) {
    static_assert(kSlots == 4 * 4 + 2);
    for (int first = 0; first < 16; first += 4) {
        TransformSlotGroup<N, 4>(lines, first, folded);
    }
    TransformSlotGroup<N, 2>(lines, 16, folded);
}

// The downsampled DCTs (the full-rate one is a kernel).
void TransformSlots(const float* lines, int n, float (*folded)[kSlotSize]) {
    if (n == 16) {
        TransformSlots<16>(lines, folded);
    } else {
        TransformSlots<8>(lines, folded);
    }
}

} // namespace

SynthesisFilterbank::SynthesisFilterbank(const FrameParams& params, const DecoderOptions& options)
    : params_(params), options_(options),
      kernels_(SynthesisKernelsFor(ResolveVectorPath(options.vectors))), v_{} {
    Reset();
}

void SynthesisFilterbank::Reset() {
    std::fill(&v_[0][0], &v_[0][0] + kMaxChannels * 2 * kRingSize, 0.0f);
    ring_pos_ = kSlotSize;
}

uint8_t* SynthesisFilterbank::Run(const float (*lines)[kGranuleLines], uint8_t* out) {
    const int n = kSubbands >> options_.downsample_shift;
    const int channels = options_.mono ? 1 : params_.channels;
    for (int c = 0; c < channels; ++c) {
        if (n == kSubbands) {
            kernels_.transform_slots(lines[c], folded_[c]);
        } else {
            TransformSlots(lines[c], n, folded_[c]);
        }
    }
    if (options_.downsample_shift == 0) {
        return WindowFullRate(channels, out);
    }
    int32_t pcm[kMaxChannels][kGranuleLines];
    WindowDownsampledSlots(channels, pcm);
    return WritePcm(pcm, channels, n * kSlots, options_.eight_bit, out);
}

// The folded slots of each channel enter the ring one by one, each followed by its sums.
uint8_t* SynthesisFilterbank::WindowFullRate(int channels, uint8_t* out) {
    // The mono downmix of a two-channel stream uses the shortened window.
    const bool reduced = options_.mono && params_.channels == 2;
    const FullRateWindow& window = reduced ? ReducedWindow() : StandardWindow();
    for (int c = 0; c < channels; ++c) {
        kernels_.window_granule(v_[c], ring_pos_, folded_[c], window, sums_[c]);
    }
    ring_pos_ = (ring_pos_ - kSlots * kSlotSize) & kRingMask;
    if (!options_.eight_bit) {
        return kernels_.write_pcm16(sums_, channels, out);
    }
    int32_t pcm[kMaxChannels][kGranuleLines];
    for (int c = 0; c < channels; ++c) {
        kernels_.round_to_pcm(sums_[c], kGranuleLines, pcm[c]);
    }
    return WritePcm(pcm, channels, kGranuleLines, true, out);
}

// Downsampled slots sum in double precision, slot by slot for both channels.
void SynthesisFilterbank::WindowDownsampledSlots(int channels, int32_t (*pcm)[kGranuleLines]) {
    const bool reduced = options_.mono && params_.channels == 2;
    const int shift = options_.downsample_shift;
    const int n = kSubbands >> shift;
    const int step = 1 << shift;
    const DownsampledWindow window =
        reduced ? DownsampledWindow{&SynthWindow12[0][0], 24, 6, kReducedRingOffset}
                : DownsampledWindow{&SynthWindow16[0][0], 32, 8, 0};
    double sums[kMaxChannels][kGranuleLines / 2];
    for (int t = 0; t < kSlots; ++t) {
        ring_pos_ = (ring_pos_ - kSlotSize) & kRingMask;
        for (int c = 0; c < channels; ++c) {
            for (int p = 0; p < n; ++p) {
                v_[c][ring_pos_ + p * step] = folded_[c][t][p];
            }
            WindowDownsampled(v_[c], ring_pos_, n, step, window, sums[c] + n * t);
        }
    }
    for (int c = 0; c < channels; ++c) {
        RoundToPcm(sums[c], n * kSlots, pcm[c]);
    }
}

} // namespace sonarel::mp3
