// Side information of a Layer III frame.
#pragma once

#include "mp3/bit_ring_buffer.h"
#include "mp3/layer3_types.h"

#include <cstdint>

namespace sonarel::mp3 {

// Bytes of side information for the frame's version and channel count.
int SideInfoBytes(const FrameParams& params);

// Reads the side information that follows the header bits. False when the frame's CRC
// did not match; the granules then carry no data.
bool ReadSideInfo(BitRingBuffer& input, SideInfo& side_info, const FrameParams& params);

} // namespace sonarel::mp3
