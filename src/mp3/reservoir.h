// The bit reservoir: the main data of recent frames, which a frame's own main data may
// begin in.
#pragma once

#include "mp3/bit_ring_buffer.h"
#include "mp3/layer3_types.h"

namespace sonarel::mp3 {

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
