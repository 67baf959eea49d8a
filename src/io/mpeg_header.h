// MPEG audio frame header as the framer sees it: field extraction, validity and frame
// length for Layers I-III of MPEG-1, MPEG-2 and MPEG-2.5 (Layer III only for 2.5).
#pragma once

#include <cstdint>

namespace sonarel {

// Fields of a 32-bit frame header (bit 31 is the first bit of the frame).
struct MpegHeader {
    int32_t id = 0;          // 1 MPEG-1, 0 MPEG-2 or MPEG-2.5
    int32_t layer = 0;       // 4 - layer code: 1..3, 4 for the reserved code
    int32_t mpeg25 = 0;      // 1 when the extension bit (bit 20) is clear
    int32_t crc_present = 0; // 1 when the protection bit is clear
    int32_t bitrate_index = 0;
    int32_t sampling_index = 0;
    int32_t padding = 0;
    int32_t private_bit = 0;
    int32_t mode = 0; // 3 = single channel
    int32_t mode_extension = 0;
    int32_t copyright = 0;
    int32_t original = 0;
    int32_t emphasis = 0;
    int32_t frame_bits = 0; // whole frame, header included; 0 unless the header is usable
};

// Description of one frame kept by the framer for its owner.
struct FrameInfo {
    uint16_t version = 0; // 1 MPEG-1, 2 MPEG-2 and MPEG-2.5
    uint16_t layer = 0;
    uint16_t mpeg25 = 0;
    uint16_t crc_present = 0;
    uint16_t bitrate_kbps = 0;
    uint16_t sample_rate = 0; // Hz; every valid rate fits 16 bits
    uint16_t channels = 0;
    uint16_t padding = 0;
    uint16_t private_bit = 0;
    uint16_t mode = 0;
    uint16_t mode_extension = 0;
    uint16_t copyright = 0;
    uint16_t original = 0;
    uint16_t emphasis = 0;
    uint16_t frame_bits = 0;
    // Filled by the framer.
    uint64_t bit_position = 0;  // first bit of the frame in the input stream
    uint16_t average_kbps = 0;  // over the last four frames; 0 while unknown
    int32_t format_changed = 0; // 1 when this frame changed rate, channels or average
};

// Largest frame the framer accepts, in bits (2048 bytes).
inline constexpr int32_t kMaxFrameBits = 16384;

// Splits a header word into its fields. Returns 0 when the header is usable (frame_bits
// is then set), -1 for free format, forbidden or reserved values, MPEG-2.5 outside
// Layer III, or a frame longer than kMaxFrameBits. The sync bits are not checked here.
int ParseMpegHeader(uint32_t word, MpegHeader& header);

// Bitrate of the header in kbit/s (0 for free format).
uint16_t BitrateKbps(const MpegHeader& header);

// FrameInfo fields taken from the header; the framer's own fields stay 0.
FrameInfo DescribeFrame(const MpegHeader& header);

} // namespace sonarel
