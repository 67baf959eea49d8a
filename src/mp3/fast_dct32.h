// Fast unnormalised DCT-II by Lee's recursive split: out[i] = sum over n of
// in[n] * cos((2n + 1) * i * pi / (2N)) for N = 32, 16 or 8 points.
#pragma once

namespace sonarel::mp3 {

void FastDct32(const float* in, float* out);
void FastDct16(const float* in, float* out);
void FastDct8(const float* in, float* out);

} // namespace sonarel::mp3
