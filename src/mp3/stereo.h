// Mid/side and intensity stereo of one granule, or the mono downmix.
#pragma once

#include "mp3/decoder_options.h"
#include "mp3/layer3_types.h"

namespace sonarel::mp3 {

// Mid/side decoding of lines begin..end-1: left = (mid + side) / sqrt2, right =
// (mid - side) / sqrt2, the sum and difference in single precision, the scaling in double.
using MidSideLines = void (*)(float* left, float* right, int begin, int end);

// The copy for a path that ResolveVectorPath returned; all give the same values.
MidSideLines MidSideLinesFor(VectorPath path);

// Undoes joint-stereo coding on both channels of a granule (or folds them into the
// left channel when mono is set). Raises the right channel's band counts to the
// larger of both channels. One-channel frames pass untouched.
void StereoProcess(float* xr_left, float* xr_right, GranuleInfo& left, GranuleInfo& right,
                   const ScaleFactors& right_scalefac, const FrameParams& params, bool mono,
                   MidSideLines mid_side = MidSideLinesFor(VectorPath::kPortable));

} // namespace sonarel::mp3
