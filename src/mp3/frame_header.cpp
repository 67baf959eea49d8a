#include "mp3/frame_header.h"

#include "mp3/frame_header_tables.h"

namespace sonarel::mp3 {

namespace {

int32_t Field(uint32_t w, int low_bit, int width) {
    return static_cast<int32_t>((w >> low_bit) & ((1u << width) - 1));
}

} // namespace

bool FrameHeader::Parse(uint32_t w) {
    sync = Field(w, 21, 11);
    id_ext = Field(w, 20, 1);
    id = Field(w, 19, 1);
    layer = 4 - Field(w, 17, 2);
    crc_present = 1 - Field(w, 16, 1);
    bitrate_index = Field(w, 12, 4);
    sample_rate_index = Field(w, 10, 2);
    padding = Field(w, 9, 1);
    private_bit = Field(w, 8, 1);
    mode = Field(w, 6, 2);
    mode_extension = Field(w, 4, 2);
    flag_bits = Field(w, 2, 2);
    emphasis = Field(w, 0, 2);

    const bool accepted = w >= 0xFFE00000u && layer == 3 && bitrate_index != 0 &&
                          bitrate_index != 15 && sample_rate_index != 3 &&
                          !(id_ext == 0 && id == 1);
    if (!accepted) {
        *this = FrameHeader{};
        return false;
    }
    valid = 1;
    version = id == 1 ? 0 : (id_ext == 1 ? 1 : 2);
    channels = mode == 3 ? 1 : 2;
    sample_rate = kSampleRates[version][sample_rate_index];
    bitrate = kLayer3Bitrates[version == 0 ? 0 : 1][bitrate_index] * 1000;
    frame_bits = FrameBits();
    return true;
}

int32_t FrameHeader::FrameBits() const {
    if (sample_rate == 0) {
        return 0;
    }
    return 8 * ((bitrate / 8) * SamplesPerFrame() / sample_rate + padding);
}

} // namespace sonarel::mp3
