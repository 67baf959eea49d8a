// Lee's algorithm: an N-point DCT is the N/2-point DCT of the folded sums
// x[n] + x[N-1-n] (the even outputs) and of the scaled differences
// (x[n] - x[N-1-n]) / (2cos((2n+1)pi/(2N))), whose neighbouring outputs add up to the
// odd outputs. The recursion runs down to single points; the compiler unrolls it. Every
// operation works on four independent transforms at once, one per lane.
#include "mp3/fast_dct32.h"

namespace sonarel::mp3 {

namespace {

// 1 / (2cos((2k + 1) * pi / (2N))) for k = 0 .. N/2 - 1.
constexpr float kLee32[16] = {0.50060302f,  0.505470932f, 0.515447319f, 0.531042576f,
                              0.553103924f, 0.582934976f, 0.622504115f, 0.674808323f,
                              0.744536281f, 0.839349627f, 0.972568214f, 1.16943991f,
                              1.4841646f,   2.05778098f,  3.40760851f,  10.1900082f};
constexpr float kLee16[8] = {0.502419293f, 0.522498608f, 0.566944063f, 0.646821797f,
                             0.788154602f, 1.06067765f,  1.72244716f,  5.10114861f};
constexpr float kLee8[4] = {0.509795606f, 0.601344883f, 0.899976194f, 2.56291556f};
constexpr float kLee4[2] = {0.541196108f, 1.30656302f};
constexpr float kLee2[1] = {0.707106769f};

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

template <int N> inline void Dct(const Float4* in, Float4* out) {
    if constexpr (N == 1) {
        out[0] = in[0];
    } else {
        constexpr int kHalf = N / 2;
        const float* factor = LeeFactors<N>();
        Float4 sums[kHalf];
        Float4 diffs[kHalf];
        for (int n = 0; n < kHalf; ++n) {
            sums[n] = in[n] + in[N - 1 - n];
            diffs[n] = (in[n] - in[N - 1 - n]) * factor[n];
        }
        Float4 even[kHalf];
        Float4 odd[kHalf];
        Dct<kHalf>(sums, even);
        Dct<kHalf>(diffs, odd);
        for (int i = 0; i < kHalf - 1; ++i) {
            out[2 * i] = even[i];
            out[2 * i + 1] = odd[i] + odd[i + 1];
        }
        out[N - 2] = even[kHalf - 1];
        out[N - 1] = odd[kHalf - 1];
    }
}

} // namespace

void FastDct32(const Float4* in, Float4* out) {
    Dct<32>(in, out);
}
void FastDct16(const Float4* in, Float4* out) {
    Dct<16>(in, out);
}
void FastDct8(const Float4* in, Float4* out) {
    Dct<8>(in, out);
}

} // namespace sonarel::mp3
