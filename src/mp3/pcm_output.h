// Conversion of the synthesis sums into PCM bytes.
#pragma once

#include "mp3/layer3_types.h"

#include <cstdint>

namespace sonarel::mp3 {

// Nearest integers with ties to even, clamped to -32768..32767. count is a multiple of 4.
void RoundToPcm(const double* sums, int count, int32_t* pcm);

// Writes count samples of each channel interleaved (left, right), as signed 16-bit
// little-endian or, with eight_bit, as unsigned bytes (value + 32768) >> 8. Returns the
// pointer after the written bytes.
uint8_t* WritePcm(const int32_t (*pcm)[kGranuleLines], int channels, int count, bool eight_bit,
                  uint8_t* out);

} // namespace sonarel::mp3
