#include "io/mpeg_header.h"

#include "io/mpeg_header_tables.h"

namespace sonarel {

namespace {

int32_t Field(uint32_t word, int shift, uint32_t mask) {
    return static_cast<int32_t>((word >> shift) & mask);
}

void ExtractFields(uint32_t word, MpegHeader& h) {
    h.mpeg25 = Field(word, 20, 1) == 0 ? 1 : 0;
    h.id = Field(word, 19, 1);
    h.layer = 4 - Field(word, 17, 3);
    h.crc_present = Field(word, 16, 1) == 0 ? 1 : 0;
    h.bitrate_index = Field(word, 12, 15);
    h.sampling_index = Field(word, 10, 3);
    h.padding = Field(word, 9, 1);
    h.private_bit = Field(word, 8, 1);
    h.mode = Field(word, 6, 3);
    h.mode_extension = Field(word, 4, 3);
    h.copyright = Field(word, 3, 1);
    h.original = Field(word, 2, 1);
    h.emphasis = Field(word, 0, 3);
    h.frame_bits = 0;
}

bool IsSupported(const MpegHeader& h) {
    if (h.bitrate_index == 0 || h.bitrate_index == 15 || h.sampling_index == 3) {
        return false;
    }
    if (h.layer == 4) {
        return false;
    }
    // MPEG-2.5 exists only as an extension of MPEG-2 Layer III.
    return h.mpeg25 == 0 || (h.id == 0 && h.layer == 3);
}

int32_t SampleRateHz(const MpegHeader& h) {
    const uint32_t rate = SampleRateTableHz(h.id, h.sampling_index);
    return static_cast<int32_t>(h.mpeg25 != 0 ? rate >> 1 : rate);
}

} // namespace

int ParseMpegHeader(uint32_t word, MpegHeader& header) {
    ExtractFields(word, header);
    if (!IsSupported(header)) {
        return -1;
    }
    const int64_t samples = SamplesPerFrame(header.id, header.layer);
    const int64_t slot_bits = SlotBits(header.layer);
    const int64_t bits_per_second = int64_t{BitrateKbps(header)} * 1000;
    const int64_t slots = samples * bits_per_second / (SampleRateHz(header) * slot_bits);
    const int64_t frame_bits = (slots + header.padding) * slot_bits;
    if (frame_bits > kMaxFrameBits) {
        return -1;
    }
    header.frame_bits = static_cast<int32_t>(frame_bits);
    return 0;
}

uint16_t BitrateKbps(const MpegHeader& header) {
    return BitrateTableKbps(header.id, header.layer, header.bitrate_index);
}

FrameInfo DescribeFrame(const MpegHeader& header) {
    FrameInfo info;
    info.version = static_cast<uint16_t>(2 - header.id);
    info.layer = static_cast<uint16_t>(header.layer);
    info.mpeg25 = static_cast<uint16_t>(header.mpeg25);
    info.crc_present = static_cast<uint16_t>(header.crc_present);
    info.bitrate_kbps = BitrateKbps(header);
    info.sample_rate = static_cast<uint16_t>(SampleRateHz(header));
    info.channels = header.mode == 3 ? 1 : 2;
    info.padding = static_cast<uint16_t>(header.padding);
    info.private_bit = static_cast<uint16_t>(header.private_bit);
    info.mode = static_cast<uint16_t>(header.mode);
    info.mode_extension = static_cast<uint16_t>(header.mode_extension);
    info.copyright = static_cast<uint16_t>(header.copyright);
    info.original = static_cast<uint16_t>(header.original);
    info.emphasis = static_cast<uint16_t>(header.emphasis);
    info.frame_bits = static_cast<uint16_t>(header.frame_bits);
    return info;
}

} // namespace sonarel
