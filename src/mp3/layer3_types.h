// Per-frame data shared by the Layer III decoding stages.
#pragma once

#include <cstdint>

namespace sonarel::mp3 {

inline constexpr int kMaxChannels = 2;
inline constexpr int kMaxGranules = 2;
inline constexpr int kGranuleLines = 576; // 32 subbands x 18 lines
inline constexpr int kSubbands = 32;
inline constexpr int kSubbandLines = 18;

// Values taken from the frame header at the start of every frame.
struct FrameParams {
    int32_t channels = 0;          // 1 or 2
    int32_t sample_rate_index = 0; // 0..2
    int32_t frame_bits = 0;
    int32_t mode = 0; // 0 stereo, 1 joint stereo, 2 dual channel, 3 single channel
    int32_t mode_extension = 0;
    int32_t header_bits = 0; // 48 with a CRC word, else 32
    uint8_t is_mpeg1 = 0;    // two granules per frame
    int32_t table_group = 0; // 0 MPEG-2, 1 MPEG-1, 2 MPEG-2.5
    int32_t crc_present = 0;
};

// One granule of one channel. Fields up to count1table_select come from the stream;
// the rest are derived by later stages and cleared at the start of every frame.
struct GranuleInfo {
    int32_t part2_3_length;
    int32_t big_values;
    int32_t global_gain;
    int32_t scalefac_compress;
    int32_t window_switching_flag;
    int32_t block_type;
    int32_t mixed_block_flag;
    int32_t table_select[3];
    int32_t subblock_gain[3];
    int32_t region0_count;
    int32_t region1_count;
    int32_t preflag;
    int32_t scalefac_scale;
    int32_t count1table_select;
    // Derived fields.
    int32_t intensity_scale;
    int32_t nonzero_count;
    int32_t long_bands_apply;
    int32_t long_band_count;
    int32_t short_band_count;
    int32_t window_band_count[3];
    int32_t subband_count;
};
static_assert(sizeof(GranuleInfo) == 27 * sizeof(int32_t));

// True for short or mixed blocks (window switching with block type 2).
inline bool IsShortBlock(const GranuleInfo& gi) {
    return gi.window_switching_flag != 0 && gi.block_type == 2;
}

struct ChannelSideInfo {
    int32_t scfsi[4];
    GranuleInfo granules[kMaxGranules];
};

struct SideInfo {
    int32_t main_data_begin;
    int32_t private_bits;
    ChannelSideInfo channels[kMaxChannels];

    GranuleInfo& Granule(int gr, int ch) { return channels[ch].granules[gr]; }
    const GranuleInfo& Granule(int gr, int ch) const { return channels[ch].granules[gr]; }
};

// Scale factors of one channel and the illegal intensity position of every band.
struct ScaleFactors {
    static constexpr int kLong = 0;        // long bands 0..22
    static constexpr int kShort = 23;      // window w, band b at kShort + 13w + b
    static constexpr int kLongLimit = 62;  // intensity limits of long bands 0..22
    static constexpr int kShortLimit = 85; // intensity limits of short bands 0..12
    int32_t values[98];

    int32_t& Long(int band) { return values[kLong + band]; }
    int32_t Long(int band) const { return values[kLong + band]; }
    int32_t& Short(int window, int band) { return values[kShort + 13 * window + band]; }
    int32_t Short(int window, int band) const { return values[kShort + 13 * window + band]; }
    int32_t& LongLimit(int band) { return values[kLongLimit + band]; }
    int32_t LongLimit(int band) const { return values[kLongLimit + band]; }
    int32_t& ShortLimit(int band) { return values[kShortLimit + band]; }
    int32_t ShortLimit(int band) const { return values[kShortLimit + band]; }
};

} // namespace sonarel::mp3
