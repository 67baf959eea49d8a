#include <gtest/gtest.h>

#include "frame_builder.h"
#include "mp3/frame_header.h"

namespace sonarel::mp3 {
namespace {

using test::HeaderFields;
using test::HeaderWord;

TEST(FrameHeader, ParsesAnMpeg1StereoHeader) {
    FrameHeader header;
    ASSERT_TRUE(header.Parse(0xFFFB9064)); // MPEG-1 L3, no CRC, 128 kbit/s, 44.1 kHz, joint
    EXPECT_EQ(header.valid, 1);
    EXPECT_EQ(header.version, 0);
    EXPECT_EQ(header.layer, 3);
    EXPECT_EQ(header.crc_present, 0);
    EXPECT_EQ(header.bitrate, 128000);
    EXPECT_EQ(header.sample_rate, 44100);
    EXPECT_EQ(header.mode, 1);
    EXPECT_EQ(header.mode_extension, 2);
    EXPECT_EQ(header.flag_bits, 1);
    EXPECT_EQ(header.channels, 2);
    EXPECT_EQ(header.SamplesPerFrame(), 1152);
    EXPECT_EQ(header.frame_bits, 3336);
}

TEST(FrameHeader, FrameBitsAreWholeSlotsTruncated) {
    struct Case {
        HeaderFields fields;
        int bits;
    } cases[] = {
        {{0, 3, false, 9, 0, 0}, 8 * 417},   // 417.96 slots
        {{0, 3, false, 9, 0, 1}, 8 * 418},   // padding slot
        {{0, 3, false, 14, 2, 0}, 8 * 1440}, // 320 kbit/s at 32 kHz, the longest frame
        {{1, 3, false, 3, 0, 0}, 8 * 78},    // MPEG-2 24 kbit/s, 22.05 kHz: 78.37 slots
        {{2, 3, true, 1, 2, 0}, 8 * 72},     // MPEG-2.5 8 kbit/s at 8 kHz
    };
    for (const Case& c : cases) {
        FrameHeader header;
        ASSERT_TRUE(header.Parse(HeaderWord(c.fields)));
        EXPECT_EQ(header.FrameBits(), c.bits) << std::hex << HeaderWord(c.fields);
        EXPECT_EQ(header.frame_bits, c.bits);
    }
}

TEST(FrameHeader, RejectsWhatTheDecoderCannotDecodeAndClearsEveryField) {
    const HeaderFields good{};
    HeaderFields layer1 = good, layer2 = good, free_format = good, bad_bitrate = good,
                 bad_rate = good;
    layer1.layer = 1;
    layer2.layer = 2;
    free_format.bitrate_index = 0;
    bad_bitrate.bitrate_index = 15;
    bad_rate.sample_rate_index = 3;
    const uint32_t words[] = {
        HeaderWord(layer1),
        HeaderWord(layer2),
        HeaderWord(free_format),
        HeaderWord(bad_bitrate),
        HeaderWord(bad_rate),
        HeaderWord(good) & ~(1u << 20),               // id_ext 0 with id 1
        HeaderWord(good) & ~(1u << 17) & ~(1u << 18), // reserved layer value
        HeaderWord(good) & ~(1u << 25),               // a sync bit missing
    };
    for (uint32_t w : words) {
        FrameHeader header;
        ASSERT_TRUE(header.Parse(HeaderWord(good)));
        EXPECT_FALSE(header.Parse(w)) << std::hex << w;
        EXPECT_EQ(header.valid, 0);
        EXPECT_EQ(header.layer, 0);
        EXPECT_EQ(header.bitrate_index, 0);
        EXPECT_EQ(header.frame_bits, 0);
        EXPECT_EQ(header.sample_rate, 0);
    }
}

} // namespace
} // namespace sonarel::mp3
