// Requantisation of the quantised lines into spectral values on the 16-bit PCM scale.
#pragma once

#include "mp3/decoder_options.h"
#include "mp3/layer3_types.h"

#include <cstdint>

namespace sonarel::mp3 {

// xr[i] = sign(ix[i]) * |ix[i]|^(4/3) * gains[i] for lines 0..count-1.
using LineRequantizer = void (*)(const int32_t* ix, const float* gains, int count, float* xr);

// The copy for a path that ResolveVectorPath returned; all give the same values.
LineRequantizer LineRequantizerFor(VectorPath path);

// Requantises ix into xr band by band (long, short or mixed, as the granule says) up to
// the band counts of the Huffman stage, and clears xr from nonzero_count on.
void Requantize(const int32_t* ix, float* xr, const GranuleInfo& gi, const ScaleFactors& scalefac,
                const FrameParams& params,
                LineRequantizer lines = LineRequantizerFor(VectorPath::kPortable));

// The gain 32768 * 2^(-k/4) of index k, for any k.
float GainForIndex(int k);

} // namespace sonarel::mp3
