// Polyphase synthesis in its folded form. Each time slot's 32 subband samples go
// through a 32-point DCT; because the standard's 64 matrixed values are that DCT's
// outputs with signs and mirror images, the ring keeps only 32 values per slot, in the
// order p = 0: X[0]; p = 1..15: X[16 - p]; p = 16..31: X[p]. The window rows
// (synthesis_window_table) pair each stored value with the coefficients of the two
// outputs j and 32 - j that read it. With a downsampling shift the same runs on the
// lowest 16 or 8 subbands, every second or fourth ring position and window row.
#include "mp3/synthesis_filterbank.h"

#include <algorithm>

#include "mp3/fast_dct32.h"
#include "mp3/synthesis_window_table.h"

namespace sonarel::mp3 {

namespace {

constexpr int kRingSize = 512;
constexpr int kRingMask = kRingSize - 1;
constexpr int kSlotSize = 32;
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

// Window of one full-rate slot: 32 output sums from the ring whose newest slot starts
// at k. Products of two floats are exact in double precision; only the sums round.
void WindowFullRate(const float* ring, int k, const FullRateWindow& window, double* out) {
    double lo[16] = {};
    double hi[16] = {};
    double centre = 0.0;
    const int start = k + window.ring_offset;
    for (int m = 0; m < window.taps; ++m) {
        const float* a = ring + ((start + 64 * m + 16) & kRingMask);
        const float* b = ring + ((start + 64 * m + 32) & kRingMask);
        const double(*c)[16] = window.coeff[m];
        for (int j = 0; j < 16; ++j) {
            const double aj = a[j];
            const double bj = b[j];
            lo[j] += aj * c[0][j] + bj * c[2][j];
            hi[j] += aj * c[1][j] + bj * c[3][j];
        }
        centre += static_cast<double>(b[16]) * window.centre[m];
    }
    out[0] = lo[0] + centre;
    out[16] = hi[0];
    for (int j = 1; j < 16; ++j) {
        out[j] = lo[j];
        out[32 - j] = hi[j];
    }
}

// The window geometry of a downsampled slot: n outputs, ring and row stride `step`.
struct DownsampledWindow {
    const float* rows;
    int row_length;
    int taps;
    int ring_offset;
};

double Tap(const float* ring, int position, float coefficient) {
    return static_cast<double>(ring[position & kRingMask]) * coefficient;
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

// DCT of the lowest n subbands of one slot, stored folded at ring[k + p * step].
void StoreSlot(const float* subbands, int n, float* ring, int k, int step) {
    float x[kSlotSize];
    if (n == 32) {
        FastDct32(subbands, x);
    } else if (n == 16) {
        FastDct16(subbands, x);
    } else {
        FastDct8(subbands, x);
    }
    const int half = n / 2;
    ring[k] = x[0];
    for (int p = 1; p < half; ++p) {
        ring[k + p * step] = x[half - p];
    }
    for (int p = half; p < n; ++p) {
        ring[k + p * step] = x[p];
    }
}

// Nearest integer with ties to even, clamped to 16 bits. Adding 1.5 * 2^52 leaves no
// fraction bits, so the addition rounds in the default mode, without a library call.
int ToPcm(double sum) {
    constexpr double kRoundingShift = 6755399441055744.0;
    const double clamped = std::clamp(sum, -32768.0, 32767.0);
    return static_cast<int>((clamped + kRoundingShift) - kRoundingShift);
}

uint8_t* WriteSamples(const double (*sums)[kSlotSize], int channels, int n, bool eight_bit,
                      uint8_t* out) {
    for (int i = 0; i < n; ++i) {
        for (int c = 0; c < channels; ++c) {
            const int sample = ToPcm(sums[c][i]);
            if (eight_bit) {
                *out++ = static_cast<uint8_t>((sample + 32768) >> 8);
            } else {
                *out++ = static_cast<uint8_t>(sample & 0xff);
                *out++ = static_cast<uint8_t>((sample >> 8) & 0xff);
            }
        }
    }
    return out;
}

} // namespace

SynthesisFilterbank::SynthesisFilterbank(const FrameParams& params, const DecoderOptions& options)
    : params_(params), options_(options), v_{} {
    Reset();
}

void SynthesisFilterbank::Reset() {
    std::fill(&v_[0][0], &v_[0][0] + kMaxChannels * kRingSize, 0.0f);
    ring_pos_ = kSlotSize;
}

uint8_t* SynthesisFilterbank::Run(const float (*synth_in)[kGranuleLines], uint8_t* out) {
    const int shift = options_.downsample_shift;
    const int n = kSubbands >> shift;
    const int step = 1 << shift;
    const int channels = options_.mono ? 1 : params_.channels;
    const bool reduced = options_.mono && params_.channels == 2;
    const FullRateWindow& full = reduced ? ReducedWindow() : StandardWindow();
    const DownsampledWindow downsampled =
        reduced ? DownsampledWindow{&SynthWindow12[0][0], 24, 6, kReducedRingOffset}
                : DownsampledWindow{&SynthWindow16[0][0], 32, 8, 0};

    double sums[kMaxChannels][kSlotSize];
    for (int t = 0; t < kSubbandLines; ++t) {
        ring_pos_ = (ring_pos_ - kSlotSize) & kRingMask;
        for (int c = 0; c < channels; ++c) {
            StoreSlot(synth_in[c] + kSlotSize * t, n, v_[c], ring_pos_, step);
            if (shift == 0) {
                WindowFullRate(v_[c], ring_pos_, full, sums[c]);
            } else {
                WindowDownsampled(v_[c], ring_pos_, n, step, downsampled, sums[c]);
            }
        }
        out = WriteSamples(sums, channels, n, options_.eight_bit, out);
    }
    return out;
}

} // namespace sonarel::mp3
