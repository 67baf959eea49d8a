// Fast unnormalised DCT-II by Lee's recursive split, four transforms side by side:
// lane l of out[i] = sum over n of (lane l of in[n]) * cos((2n + 1) * i * pi / (2N)),
// for N = 32, 16 or 8 points.
#pragma once

#include "mp3/simd.h"

namespace sonarel::mp3 {

void FastDct32(const Float4* in, Float4* out);
void FastDct16(const Float4* in, Float4* out);
void FastDct8(const Float4* in, Float4* out);

} // namespace sonarel::mp3
