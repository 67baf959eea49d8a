// Scale factors of one granule and channel, read from the bit reservoir.
#pragma once

#include "mp3/bit_ring_buffer.h"
#include "mp3/layer3_types.h"

namespace sonarel::mp3 {

// Reads the granule's scale factors into scalefac (MPEG-1 with scale factor selection,
// or MPEG-2/2.5 with packed lengths) and sets the intensity limits. Starts by zeroing the
// reservoir's consumed-bit counter, which then measures part2_3_length.
void ReadScaleFactors(BitRingBuffer& reservoir, GranuleInfo& gi, ScaleFactors& scalefac,
                      const FrameParams& params, const int32_t* scfsi, int gr, int ch);

} // namespace sonarel::mp3
