// Lee's algorithm: an N-point DCT is the N/2-point DCT of the folded sums
// x[n] + x[N-1-n] (the even outputs) and of the scaled differences
// (x[n] - x[N-1-n]) / (2cos((2n+1)pi/(2N))), whose neighbouring outputs add up to the
// odd outputs. The recursion (in the header) runs down to single points; the compiler
// unrolls it. Here: four independent transforms at once, one per lane.
#include "mp3/fast_dct32.h"

namespace sonarel::mp3 {

void FastDct32(const Float4* in, Float4* out) {
    LeeDct<32>(in, out);
}
void FastDct16(const Float4* in, Float4* out) {
    LeeDct<16>(in, out);
}
void FastDct8(const Float4* in, Float4* out) {
    LeeDct<8>(in, out);
}

} // namespace sonarel::mp3
