// Scale factor field lengths of MPEG-1 and the partitions of MPEG-2 and MPEG-2.5.
#pragma once

#include <cstdint>

namespace sonarel::mp3 {

// MPEG-1 field lengths by scalefac_compress 0..15.
extern const uint8_t kSlen1[16];
extern const uint8_t kSlen2[16];

// MPEG-1 band groups of the scale factor selection information: first band of group
// 0..3, then 21 as the end.
extern const uint8_t kScfsiGroupStart[5];

// MPEG-2 scale factor counts per partition, by row 0..5 and block kind (0 long, 1 short,
// 2 mixed).
extern const uint8_t kNrOfSfb[6][3][4];

// Largest value of an slen-bit field, slen 0..5.
extern const uint8_t kSlenMax[6];

} // namespace sonarel::mp3
