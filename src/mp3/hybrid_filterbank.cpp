// Hybrid filterbank: per subband a 36-point IMDCT (or three 12-point ones for short
// blocks), windowing, overlap-add with the previous granule and frequency inversion.
// The transforms leave out their output factors; the window rows carry them.
#include "mp3/hybrid_filterbank.h"

#include <algorithm>

#include "mp3/imdct_window_table.h"

namespace sonarel::mp3 {

namespace {

// cos(10 degrees * m), m = 1..8.
constexpr float kC1 = 0.98480773f;
constexpr float kC2 = 0.939692616f;
constexpr float kC3 = 0.866025388f;
constexpr float kC4 = 0.766044438f;
constexpr float kC5 = 0.642787635f;
constexpr float kC6 = 0.5f;
constexpr float kC7 = 0.342020154f;
constexpr float kC8 = 0.173648179f;

// 2cos((2i + 1) * 5 degrees): the odd half of the 36-point transform.
constexpr float kOddFactor[9] = {1.99238944f, 1.93185163f, 1.81261563f,  1.63830411f, 1.41421354f,
                                 1.1471529f,  0.84523654f, 0.517638087f, 0.174311489f};

// Constants of the 12-point kernel.
constexpr float kSqrt3 = 1.73205078f;
constexpr float kTwoCos15 = 1.93185163f;
constexpr float kSqrt2 = 1.41421354f;
constexpr float kTwoCos75 = 0.517638087f;

constexpr int kShortType = 2;

// MPEG-2.5 at 8 kHz has wider low bands: the long part of a mixed block covers four
// subbands there, two everywhere else.
int MixedLongSubbands(const FrameParams& params) {
    return params.table_group == 2 && params.sample_rate_index == 2 ? 4 : 2;
}

void InvertOddSamples(float* x) {
    for (int i = 1; i < kSubbandLines; i += 2) {
        x[i] = -x[i];
    }
}

} // namespace

HybridFilterbank::HybridFilterbank(const FrameParams& params, int downsample_shift)
    : params_(params), downsample_shift_(downsample_shift), frame_{}, even_{}, odd_{} {
    Reset();
}

void HybridFilterbank::Reset() {
    std::fill(&overlap_[0][0][0], &overlap_[0][0][0] + sizeof(overlap_) / sizeof(float), 0.0f);
}

void HybridFilterbank::Run(int ch, const GranuleInfo& gi, float* xr) {
    const ImdctWindow& window = ImdctWindowTable();
    const int subbands = kSubbands >> downsample_shift_;
    const int transformed = std::min(subbands, gi.subband_count + 1);
    const bool mixed = gi.window_switching_flag != 0 && gi.mixed_block_flag != 0;
    const int long_part = mixed ? MixedLongSubbands(params_) : 0;
    const int block_type = gi.window_switching_flag != 0 ? (gi.block_type & 3) : 0;

    for (int s = 0; s < subbands; ++s) {
        float* x = xr + kSubbandLines * s;
        float* overlap = overlap_[ch][s];
        const int type = s < long_part ? 0 : block_type;
        if (s >= transformed) {
            // No spectrum here: only the tail of the previous granule comes out.
            std::copy(overlap, overlap + kSubbandLines, x);
            std::fill(overlap, overlap + kSubbandLines, 0.0f);
        } else if (type == kShortType) {
            ShortBlock(x, overlap);
        } else {
            Imdct36(x, overlap, window.rows[type]);
        }
        if ((s & 1) != 0) {
            InvertOddSamples(x);
        }
    }
}

void HybridFilterbank::Imdct36(float* x, float* overlap, const float* window) {
    for (int k = 16; k >= 0; --k) {
        x[k] -= x[k + 1];
    }
    for (int k = 15; k >= 1; k -= 2) {
        x[k] -= x[k + 2];
    }
    x[0] *= 0.5f;
    x[1] *= 0.5f;

    float even_in[9];
    float odd_in[9];
    for (int j = 0; j < 9; ++j) {
        even_in[j] = x[2 * j];
        odd_in[j] = x[2 * j + 1];
    }
    Dct9(even_in, even_);
    Dct9(odd_in, odd_);
    for (int i = 0; i < 9; ++i) {
        odd_[i] *= kOddFactor[i];
    }

    for (int k = 0; k < 9; ++k) {
        const float a = even_[8 - k] - odd_[8 - k];
        const float b = even_[8 - k] + odd_[8 - k];
        x[k] = a * window[k] + overlap[k];
        x[17 - k] = a * window[17 - k] + overlap[17 - k];
        overlap[k] = b * window[18 + k];
        overlap[17 - k] = b * window[35 - k];
    }
}

void HybridFilterbank::ShortBlock(float* x, float* overlap) {
    std::fill(frame_, frame_ + 36, 0.0f);
    for (int j = 0; j < 3; ++j) {
        const float coefficients[6] = {x[j], x[3 + j], x[6 + j], x[9 + j], x[12 + j], x[15 + j]};
        Imdct12(coefficients, 6 + 6 * j);
    }
    for (int i = 0; i < kSubbandLines; ++i) {
        x[i] = overlap[i] + frame_[i];
        overlap[i] = frame_[kSubbandLines + i];
    }
}

void HybridFilterbank::Imdct12(const float* c, int base) {
    const float* w = ImdctWindowTable().rows[kShortType];
    const float y4 = c[4] - c[5];
    const float y3_partial = c[3] - y4;
    const float y2 = c[2] - y3_partial;
    const float y3 = y3_partial - c[5];
    const float y1_partial = c[1] - y2;
    const float y1 = y1_partial - y3;
    const float y0 = c[0] - y1_partial;

    const float p = y4 + kSqrt3 * y2 + y0;
    const float q = y0 - 2.0f * y4;
    const float r = y4 + y0 - kSqrt3 * y2;
    const float u = kTwoCos15 * (c[5] + kSqrt3 * y3 + y1);
    const float v = kSqrt2 * (y1 - 2.0f * c[5]);
    const float t = kTwoCos75 * (c[5] + y1 - kSqrt3 * y3);

    // Each half of the 12 outputs is symmetric about its middle.
    const float first_half[3] = {r - t, q - v, p - u};
    const float second_half[3] = {r + t, q + v, p + u};
    float* f = frame_ + base;
    for (int i = 0; i < 3; ++i) {
        f[i] += w[i] * first_half[i];
        f[5 - i] += w[5 - i] * first_half[i];
        f[6 + i] += w[6 + i] * second_half[i];
        f[11 - i] += w[11 - i] * second_half[i];
    }
}

void HybridFilterbank::Dct9(const float* in, float* out) {
    const float x0 = in[0], x1 = in[1], x2 = in[2], x3 = in[3], x4 = in[4];
    const float x5 = in[5], x6 = in[6], x7 = in[7], x8 = in[8];

    out[4] = x0 - x2 + x4 - x6 + x8;

    const float p = kC3 * (x1 - x5 - x7);
    const float q = x0 - x6 + kC6 * (x2 - x4 - x8);
    out[1] = q + p;
    out[7] = q - p;

    const float k = kC3 * x3 + kC7 * x7 + kC1 * x1 + kC5 * x5;
    const float m = x0 + kC8 * x8 + kC6 * x6 + kC2 * x2 + kC4 * x4;
    out[0] = m + k;
    out[8] = m - k;

    const float a = kC5 * x1 - kC3 * x3 - kC7 * x5 + kC1 * x7;
    const float b = x0 - kC8 * x2 - kC2 * x4 + kC6 * x6 + kC4 * x8;
    out[2] = b + a;
    out[6] = b - a;

    const float c = kC7 * x1 - kC3 * x3 + kC1 * x5 - kC5 * x7;
    const float d = x0 - kC4 * x2 + kC8 * x4 + kC6 * x6 - kC2 * x8;
    out[3] = d + c;
    out[5] = d - c;
}

} // namespace sonarel::mp3
