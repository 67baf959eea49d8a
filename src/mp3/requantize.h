// Requantisation of the quantised lines into spectral values on the 16-bit PCM scale.
#pragma once

#include <cstdint>

#include "mp3/layer3_types.h"

namespace sonarel::mp3 {

// Requantises ix into xr band by band (long, short or mixed, as the granule says) up to
// the band counts of the Huffman stage, and clears xr from nonzero_count on.
void Requantize(const int32_t* ix, float* xr, const GranuleInfo& gi, const ScaleFactors& scalefac,
                const FrameParams& params);

// The gain 32768 * 2^(-k/4) of index k, for any k.
float GainForIndex(int k);

// Lines first..end-1 with gain index k.
void RequantizeBand(const int32_t* ix, float* xr, int first, int end, int k);

} // namespace sonarel::mp3
