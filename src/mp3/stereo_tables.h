// Gain factors of intensity stereo, indexed by the intensity position of a band.
#pragma once

namespace sonarel::mp3 {

// MPEG-1: is_ratio = tan(p * pi / 12); the left channel gets is_ratio / (1 + is_ratio),
// the right 1 / (1 + is_ratio). Position 7 is illegal, so only 0..6 exist.
inline constexpr int kMpeg1IntensityPositions = 7;
extern const float kIntensityMpeg1Left[kMpeg1IntensityPositions];
extern const float kIntensityMpeg1Right[kMpeg1IntensityPositions];

// MPEG-2 and MPEG-2.5: row intensity_scale, entry n = 2^(-n/4) for row 0 and
// 2^(-n/2) for row 1.
extern const float kIntensityMpeg2[2][16];

} // namespace sonarel::mp3
