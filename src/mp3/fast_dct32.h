// Fast unnormalised DCT-II by Lee's recursive split, one transform per lane side by side:
// lane l of out[i] = sum over n of (lane l of in[n]) * cos((2n + 1) * i * pi / (2N)),
// for N = 32, 16 or 8 points.
#pragma once

#include "mp3/simd.h"

namespace sonarel::mp3 {

namespace lee {
// 1 / (2cos((2k + 1) * pi / (2N))) for k = 0 .. N/2 - 1.
inline constexpr float kLee32[16] = {0.50060302f,  0.505470932f, 0.515447319f, 0.531042576f,
                                     0.553103924f, 0.582934976f, 0.622504115f, 0.674808323f,
                                     0.744536281f, 0.839349627f, 0.972568214f, 1.16943991f,
                                     1.4841646f,   2.05778098f,  3.40760851f,  10.1900082f};
inline constexpr float kLee16[8] = {0.502419293f, 0.522498608f, 0.566944063f, 0.646821797f,
                                    0.788154602f, 1.06067765f,  1.72244716f,  5.10114861f};
inline constexpr float kLee8[4] = {0.509795606f, 0.601344883f, 0.899976194f, 2.56291556f};
inline constexpr float kLee4[2] = {0.541196108f, 1.30656302f};
inline constexpr float kLee2[1] = {0.707106769f};

template <int N> constexpr const float* LeeFactors() {
    if constexpr (N == 32) {
        return kLee32;
    } else if constexpr (N == 16) {
        return kLee16;
    } else if constexpr (N == 8) {
        return kLee8;
    } else if constexpr (N == 4) {
        return kLee4;
    } else {
        return kLee2;
    }
}

} // namespace lee

// The transform for any lane type V (float or a vector of floats): each lane on its own,
// with the same operations in the same order whatever the width.
template <int N, typename V> SONAREL_INLINE_INTO_CLONES void LeeDct(const V* in, V* out) {
    if constexpr (N == 1) {
        out[0] = in[0];
    } else {
        constexpr int kHalf = N / 2;
        const float* factor = lee::LeeFactors<N>();
        V sums[kHalf];
        V diffs[kHalf];
        for (int n = 0; n < kHalf; ++n) {
            sums[n] = in[n] + in[N - 1 - n];
            diffs[n] = (in[n] - in[N - 1 - n]) * factor[n];
        }
        V even[kHalf];
        V odd[kHalf];
        LeeDct<kHalf>(sums, even);
        LeeDct<kHalf>(diffs, odd);
        for (int i = 0; i < kHalf - 1; ++i) {
            out[2 * i] = even[i];
            out[2 * i + 1] = odd[i] + odd[i + 1];
        }
        out[N - 2] = even[kHalf - 1];
        out[N - 1] = odd[kHalf - 1];
    }
}

void FastDct32(const Float4* in, Float4* out);
void FastDct16(const Float4* in, Float4* out);
void FastDct8(const Float4* in, Float4* out);

} // namespace sonarel::mp3
