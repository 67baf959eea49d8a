// The information frame that encoders put first in a stream (Xing, "Info" or VBRI): a
// valid Layer III frame that holds no audio, only the stream's frame count and, from
// LAME, the encoder delay and padding.
#pragma once

#include <cstdint>

namespace sonarel::mp3 {

struct EncoderInfo {
    bool present = false;
    uint32_t frame_count = 0; // audio frames after the information frame; 0: not given
    uint32_t byte_count = 0;  // 0: not given
    bool has_gapless = false; // a LAME extension gave delay and padding
    int encoder_delay = 0;    // samples the encoder put before the audio
    int encoder_padding = 0;  // samples it added after the audio
};

// Bytes of a frame needed to recognise every field: header, CRC, side information, the
// Xing fields with their table, and the LAME extension.
inline constexpr int kEncoderInfoPeekBytes = 4 + 2 + 32 + 120 + 36;

// Reads the information frame at the start of `frame` (the frame's first `length` bytes,
// header included). Returns an EncoderInfo whose `present` is false for an audio frame.
EncoderInfo ParseEncoderInfo(const uint8_t* frame, int length);

} // namespace sonarel::mp3
