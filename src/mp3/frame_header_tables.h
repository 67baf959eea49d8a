// Sampling rates and Layer III bit rates by header field value.
#pragma once

#include <cstdint>

namespace sonarel::mp3 {

// Hz by version (0 MPEG-1, 1 MPEG-2, 2 MPEG-2.5) and sample_rate_index 0..2.
extern const int32_t kSampleRates[3][3];

// kbit/s by row (0 MPEG-1, 1 MPEG-2 and MPEG-2.5) and bitrate_index 0..15; 0 for the
// free-format and forbidden indices.
extern const int32_t kLayer3Bitrates[2][16];

} // namespace sonarel::mp3
