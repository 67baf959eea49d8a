// The CRC check of a Layer III frame that carries a CRC word.
#pragma once

#include "mp3/bit_ring_buffer.h"
#include "mp3/layer3_types.h"

namespace sonarel::mp3 {

// True without a CRC word. Otherwise checks the last 16 header bits and the side
// information against the stored word, leaving the reader on the side information when
// they match and behind it when they do not.
bool CheckCrc(BitRingBuffer& input, const FrameParams& params);

// Reads bit_count bits from the reader through the CRC register.
uint32_t Crc16Update(BitRingBuffer& reader, int bit_count, uint32_t crc);

} // namespace sonarel::mp3
