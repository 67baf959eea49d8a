// Mid/side and intensity stereo of one granule, or the mono downmix.
#pragma once

#include "mp3/layer3_types.h"

namespace sonarel::mp3 {

// Undoes joint-stereo coding on both channels of a granule (or folds them into the
// left channel when mono is set). Raises the right channel's band counts to the
// larger of both channels. One-channel frames pass untouched.
void StereoProcess(float* xr_left, float* xr_right, GranuleInfo& left, GranuleInfo& right,
                   const ScaleFactors& right_scalefac, const FrameParams& params, bool mono);

} // namespace sonarel::mp3
