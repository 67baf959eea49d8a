// The 32-bit header of a Layer III frame, as the decoder's input ring parses it.
#pragma once

#include <cstdint>

namespace sonarel::mp3 {

struct FrameHeader {
    // Fields of the header word, bit 31 first.
    int32_t sync = 0;
    int32_t id_ext = 0; // 0 only for MPEG-2.5
    int32_t id = 0;     // 1 for MPEG-1
    int32_t layer = 0;  // 1, 2 or 3 (4 for the reserved value)
    int32_t crc_present = 0;
    int32_t bitrate_index = 0;
    int32_t sample_rate_index = 0;
    int32_t padding = 0;
    int32_t private_bit = 0;
    int32_t mode = 0; // 0 stereo, 1 joint stereo, 2 dual channel, 3 single channel
    int32_t mode_extension = 0;
    int32_t flag_bits = 0; // copyright and original; kept, not used
    int32_t emphasis = 0;  // kept, not used
    int32_t valid = 0;
    // Derived from the fields once the word is accepted.
    int32_t version = 0; // 0 MPEG-1, 1 MPEG-2, 2 MPEG-2.5
    int32_t channels = 0;
    int32_t sample_rate = 0;
    int32_t bitrate = 0; // bit/s
    int32_t frame_bits = 0;

    // Stores the fields of w and accepts only Layer III headers with a coded bit rate
    // and a valid sampling rate; a rejected word leaves every field 0.
    bool Parse(uint32_t w);

    int32_t SamplesPerFrame() const { return version == 0 ? 1152 : 576; }

    // Frame length in bits, header included: whole 8-bit slots.
    int32_t FrameBits() const;
};

// Header bits that must stay the same from frame to frame of one stream: sync,
// version, layer and sampling rate.
inline constexpr uint32_t kHeaderLockMask = 0xFFFE0C00;

} // namespace sonarel::mp3
