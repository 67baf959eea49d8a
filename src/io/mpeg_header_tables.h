// Constant tables of the MPEG audio frame header (ISO/IEC 11172-3 and 13818-3).
#pragma once

#include <cstdint>

namespace sonarel {

// Bitrate in kbit/s by ID (0 = MPEG-2/2.5, 1 = MPEG-1), layer (1..3) and bitrate index
// (0..14). Index 0 is free format and maps to 0; index 15 is forbidden and not listed.
uint16_t BitrateTableKbps(int id, int layer, int bitrate_index);

// Sampling rate in Hz by ID and sampling frequency index (0..2), before the MPEG-2.5 halving.
uint32_t SampleRateTableHz(int id, int sampling_index);

// Samples per frame by ID and layer (1..3).
int SamplesPerFrame(int id, int layer);

// Size of one slot in bits: Layer I counts in 4-byte slots, Layers II and III in bytes.
inline int SlotBits(int layer) {
    return layer == 1 ? 32 : 8;
}

} // namespace sonarel
