// Hybrid filterbank: per subband a 36-point IMDCT (or three 12-point ones for short
// blocks), windowing, overlap-add with the previous granule and frequency inversion.
// The transforms leave out their output factors; the window rows carry them.
//
// The transforms are written once for a generic lane type: four neighbouring subbands
// of the same block type go through them together as Float4 lanes, any other subband
// alone as a float, with the same operations in the same order.
#include "mp3/hybrid_filterbank.h"

#include "mp3/imdct_window_table.h"

#include <algorithm>

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
constexpr int kSilent = -1; // no spectrum: only the overlap comes out

// y[k] = sum over j of x[j] * cos(pi (2k + 1) j / 18), k = 0..8.
template <typename T> void Dct9(const T* in, T* out) {
    const T x0 = in[0], x1 = in[1], x2 = in[2], x3 = in[3], x4 = in[4];
    const T x5 = in[5], x6 = in[6], x7 = in[7], x8 = in[8];

    out[4] = x0 - x2 + x4 - x6 + x8;

    const T p = kC3 * (x1 - x5 - x7);
    const T q = x0 - x6 + kC6 * (x2 - x4 - x8);
    out[1] = q + p;
    out[7] = q - p;

    const T k = kC3 * x3 + kC7 * x7 + kC1 * x1 + kC5 * x5;
    const T m = x0 + kC8 * x8 + kC6 * x6 + kC2 * x2 + kC4 * x4;
    out[0] = m + k;
    out[8] = m - k;

    const T a = kC5 * x1 - kC3 * x3 - kC7 * x5 + kC1 * x7;
    const T b = x0 - kC8 * x2 - kC2 * x4 + kC6 * x6 + kC4 * x8;
    out[2] = b + a;
    out[6] = b - a;

    const T c = kC7 * x1 - kC3 * x3 + kC1 * x5 - kC5 * x7;
    const T d = x0 - kC4 * x2 + kC8 * x4 + kC6 * x6 - kC2 * x8;
    out[3] = d + c;
    out[5] = d - c;
}

// 36-point IMDCT of x[0..17] in place, windowed with row w, overlap-added.
template <typename T> void Imdct36(T* x, T* overlap, const float* w) {
    for (int k = 16; k >= 0; --k) {
        x[k] -= x[k + 1];
    }
    for (int k = 15; k >= 1; k -= 2) {
        x[k] -= x[k + 2];
    }
    x[0] *= 0.5f;
    x[1] *= 0.5f;

    T even_in[9];
    T odd_in[9];
    for (int j = 0; j < 9; ++j) {
        even_in[j] = x[2 * j];
        odd_in[j] = x[2 * j + 1];
    }
    T even[9];
    T odd[9];
    Dct9(even_in, even);
    Dct9(odd_in, odd);
    for (int i = 0; i < 9; ++i) {
        odd[i] *= kOddFactor[i];
    }

    for (int k = 0; k < 9; ++k) {
        const T a = even[8 - k] - odd[8 - k];
        const T b = even[8 - k] + odd[8 - k];
        x[k] = a * w[k] + overlap[k];
        x[17 - k] = a * w[17 - k] + overlap[17 - k];
        overlap[k] = b * w[18 + k];
        overlap[17 - k] = b * w[35 - k];
    }
}

// 12-point IMDCT of the coefficients c[0..5], windowed with w and added into f[0..11].
template <typename T> void Imdct12(const T* c, T* f, const float* w) {
    const T y4 = c[4] - c[5];
    const T y3_partial = c[3] - y4;
    const T y2 = c[2] - y3_partial;
    const T y3 = y3_partial - c[5];
    const T y1_partial = c[1] - y2;
    const T y1 = y1_partial - y3;
    const T y0 = c[0] - y1_partial;

    const T p = y4 + kSqrt3 * y2 + y0;
    const T q = y0 - 2.0f * y4;
    const T r = y4 + y0 - kSqrt3 * y2;
    const T u = kTwoCos15 * (c[5] + kSqrt3 * y3 + y1);
    const T v = kSqrt2 * (y1 - 2.0f * c[5]);
    const T t = kTwoCos75 * (c[5] + y1 - kSqrt3 * y3);

    // Each half of the 12 outputs is symmetric about its middle.
    const T first_half[3] = {r - t, q - v, p - u};
    const T second_half[3] = {r + t, q + v, p + u};
    for (int i = 0; i < 3; ++i) {
        f[i] += w[i] * first_half[i];
        f[5 - i] += w[5 - i] * first_half[i];
        f[6 + i] += w[6 + i] * second_half[i];
        f[11 - i] += w[11 - i] * second_half[i];
    }
}

// Three short windows, their coefficients interleaved as ReorderShortBlocks left them.
template <typename T> void ShortBlock(T* x, T* overlap, const float* w) {
    T frame[36] = {};
    for (int j = 0; j < 3; ++j) {
        const T coefficients[6] = {x[j], x[3 + j], x[6 + j], x[9 + j], x[12 + j], x[15 + j]};
        Imdct12(coefficients, frame + 6 + 6 * j, w);
    }
    for (int i = 0; i < kSubbandLines; ++i) {
        x[i] = overlap[i] + frame[i];
        overlap[i] = frame[kSubbandLines + i];
    }
}

template <typename T> void Transform(int type, T* x, T* overlap) {
    const ImdctWindow& window = ImdctWindowTable();
    if (type == kSilent) {
        std::copy(overlap, overlap + kSubbandLines, x);
        std::fill(overlap, overlap + kSubbandLines, T{});
    } else if (type == kShortType) {
        ShortBlock(x, overlap, window.rows[kShortType]);
    } else {
        Imdct36(x, overlap, window.rows[type]);
    }
}

// MPEG-2.5 at 8 kHz has wider low bands: the long part of a mixed block covers four
// subbands there, two everywhere else.
int MixedLongSubbands(const FrameParams& params) {
    return params.table_group == 2 && params.sample_rate_index == 2 ? 4 : 2;
}

// Subbands first .. first + 3 of xr as 18 vectors of four lanes, one lane per subband.
void LoadGroup(const float* xr, Float4* x) {
    for (int k = 0; k < 16; k += 4) {
        Float4 r0 = LoadFloat4(xr + k);
        Float4 r1 = LoadFloat4(xr + kSubbandLines + k);
        Float4 r2 = LoadFloat4(xr + 2 * kSubbandLines + k);
        Float4 r3 = LoadFloat4(xr + 3 * kSubbandLines + k);
        Transpose4(r0, r1, r2, r3);
        x[k] = r0;
        x[k + 1] = r1;
        x[k + 2] = r2;
        x[k + 3] = r3;
    }
    for (int k = 16; k < kSubbandLines; ++k) {
        x[k] = Float4{xr[k], xr[kSubbandLines + k], xr[2 * kSubbandLines + k],
                      xr[3 * kSubbandLines + k]};
    }
}

void StoreGroup(const Float4* x, float* xr) {
    for (int k = 0; k < 16; k += 4) {
        Float4 r0 = x[k];
        Float4 r1 = x[k + 1];
        Float4 r2 = x[k + 2];
        Float4 r3 = x[k + 3];
        Transpose4(r0, r1, r2, r3);
        StoreFloat4(xr + k, r0);
        StoreFloat4(xr + kSubbandLines + k, r1);
        StoreFloat4(xr + 2 * kSubbandLines + k, r2);
        StoreFloat4(xr + 3 * kSubbandLines + k, r3);
    }
    for (int k = 16; k < kSubbandLines; ++k) {
        for (int l = 0; l < 4; ++l) {
            xr[l * kSubbandLines + k] = x[k][l];
        }
    }
}

} // namespace

HybridFilterbank::HybridFilterbank(const FrameParams& params, int downsample_shift)
    : params_(params), downsample_shift_(downsample_shift) {
    Reset();
}

void HybridFilterbank::Reset() {
    for (auto& channel : overlap_) {
        for (auto& group : channel) {
            std::fill(group, group + kSubbandLines, Float4{});
        }
    }
}

void HybridFilterbank::Run(int ch, const GranuleInfo& gi, float* xr) {
    const int subbands = kSubbands >> downsample_shift_;
    const int transformed = std::min(subbands, gi.subband_count + 1);
    const bool mixed = gi.window_switching_flag != 0 && gi.mixed_block_flag != 0;
    const int long_part = mixed ? MixedLongSubbands(params_) : 0;
    const int block_type = gi.window_switching_flag != 0 ? (gi.block_type & 3) : 0;
    auto type_of = [&](int s) {
        if (s >= transformed) {
            return kSilent;
        }
        return s < long_part ? 0 : block_type;
    };

    for (int group = 0; group < subbands / 4; ++group) {
        const int first = 4 * group;
        const int type = type_of(first);
        if (type == type_of(first + 3) && (first >= long_part || first + 4 <= long_part)) {
            RunGroup(group, type, overlap_[ch][group], xr);
        } else {
            for (int s = first; s < first + 4; ++s) {
                RunSubband(s, type_of(s), overlap_[ch][group], xr);
            }
        }
    }
}

// Four subbands of one block type at once. The odd subbands (lanes 1 and 3) have every
// odd sample negated: frequency inversion.
void HybridFilterbank::RunGroup(int group, int type, Float4* overlap, float* xr) const {
    float* lines = xr + 4 * kSubbandLines * group;
    Float4 x[kSubbandLines];
    LoadGroup(lines, x);
    Transform(type, x, overlap);
    const Float4 inversion = {1.0f, -1.0f, 1.0f, -1.0f};
    for (int k = 1; k < kSubbandLines; k += 2) {
        x[k] *= inversion;
    }
    StoreGroup(x, lines);
}

void HybridFilterbank::RunSubband(int s, int type, Float4* overlap, float* xr) const {
    const int lane = s % 4;
    float* x = xr + kSubbandLines * s;
    float tail[kSubbandLines];
    for (int k = 0; k < kSubbandLines; ++k) {
        tail[k] = overlap[k][lane];
    }
    Transform(type, x, tail);
    for (int k = 0; k < kSubbandLines; ++k) {
        overlap[k][lane] = tail[k];
    }
    if ((s & 1) != 0) {
        for (int k = 1; k < kSubbandLines; k += 2) {
            x[k] = -x[k];
        }
    }
}

} // namespace sonarel::mp3
