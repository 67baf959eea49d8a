// Short-block reordering and the alias-reduction butterflies.
#pragma once

#include "mp3/layer3_types.h"

namespace sonarel::mp3 {

// Brings short-block lines from transmission order into the order the 12-point
// transforms read (line 18s + 3n + j holds window j's coefficient 6s + n).
void ReorderShortBlocks(float* xr, const GranuleInfo& gi, const FrameParams& params);

// Sets gi.subband_count, then applies the butterflies between neighbouring subbands,
// limited to the lowest 32 >> downsample_shift subbands.
void Antialias(float* xr, GranuleInfo& gi, const FrameParams& params, int downsample_shift);

} // namespace sonarel::mp3
