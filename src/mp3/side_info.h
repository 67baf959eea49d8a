// Side information of a Layer III frame, its CRC check, and the bit reservoir fill.
#pragma once

#include <cstdint>

#include "mp3/bit_ring_buffer.h"
#include "mp3/layer3_types.h"

namespace sonarel::mp3 {

// Bytes of side information for the frame's version and channel count.
int SideInfoBytes(const FrameParams& params);

// Reads the side information that follows the header bits. False when the frame's CRC
// did not match; the granules then carry no data.
bool ReadSideInfo(BitRingBuffer& input, SideInfo& side_info, const FrameParams& params);

// True without a CRC word. Otherwise checks the last 16 header bits and the side
// information against the stored word, leaving the reader on the side information when
// they match and behind it when they do not.
bool CheckCrc(BitRingBuffer& input, const FrameParams& params);

// Reads bit_count bits from the reader through the CRC register.
uint32_t Crc16Update(BitRingBuffer& reader, int bit_count, uint32_t crc);

// Appends the frame's main data to the reservoir and puts the reservoir's reader on the
// first bit of this frame's main data, main_data_begin bytes back. held_bytes counts the
// main data the reservoir holds from the frames since it was emptied (as far back as a
// frame can refer); it is updated here. False when the reservoir does not hold the bytes
// the frame refers back to. The frame's own main data is kept in any case: its byte
// boundaries come from the header, so a frame whose side information is damaged leaves
// the reservoir as intact as any other.
bool FillReservoir(BitRingBuffer& input, BitRingBuffer& reservoir, const SideInfo& side_info,
                   const FrameParams& params, int& held_bytes);

} // namespace sonarel::mp3
