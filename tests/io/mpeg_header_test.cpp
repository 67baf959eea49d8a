// Frame header parsing for the framer: field layout, validity rules and frame lengths.
#include "io/mpeg_header.h"

#include <gtest/gtest.h>
#include <vector>

namespace sonarel {
namespace {

TEST(MpegHeader, FrameLengthsRatesAndChannelsOfEveryVersionAndLayer) {
    const struct Case {
        uint32_t word;
        int bytes;
        int kbps;
        int rate;
        int version;
        int layer;
        int channels;
    } cases[] = {
        {0xFFFB9044, 417, 128, 44100, 1, 3, 2}, // 417.96 slots
        {0xFFFB9244, 418, 128, 44100, 1, 3, 2}, // the padding slot
        {0xFFFBE4C0, 960, 320, 48000, 1, 3, 1},
        {0xFFFFEA00, 676, 448, 32000, 1, 1, 2},  // Layer I slots are four bytes
        {0xFFFF2000, 68, 64, 44100, 1, 1, 2},    // 17.4 slots
        {0xFFFDA400, 576, 192, 48000, 1, 2, 2},  //
        {0xFFFDEA00, 1729, 384, 32000, 1, 2, 2}, // the longest accepted frame
        {0xFFF38000, 208, 64, 22050, 2, 3, 2},   // 576 samples
        {0xFFF3E000, 522, 160, 22050, 2, 3, 2},  //
        {0xFFF31000, 26, 8, 22050, 2, 3, 2},     //
        {0xFFF7E800, 768, 256, 16000, 2, 1, 2},  //
        {0xFFF7B000, 380, 176, 22050, 2, 1, 2},  //
        {0xFFF52000, 104, 16, 22050, 2, 2, 2},   // Layer II keeps 1152 samples
        {0xFFF5C400, 768, 128, 24000, 2, 2, 2},  //
        {0xFFE318C0, 72, 8, 8000, 2, 3, 1},      // MPEG-2.5
        {0xFFE31000, 52, 8, 11025, 2, 3, 2},     //
        {0xFFE314C0, 48, 8, 12000, 2, 3, 1},     //
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << std::hex << c.word);
        MpegHeader h;
        ASSERT_EQ(ParseMpegHeader(c.word, h), 0);
        EXPECT_EQ(h.frame_bits, 8 * c.bytes);
        EXPECT_EQ(BitrateKbps(h), c.kbps);
        const FrameInfo info = DescribeFrame(h);
        EXPECT_EQ(info.sample_rate, c.rate);
        EXPECT_EQ(info.version, c.version);
        EXPECT_EQ(info.mpeg25, (c.word >> 20 & 1) == 0 ? 1 : 0);
        EXPECT_EQ(info.layer, c.layer);
        EXPECT_EQ(info.channels, c.channels);
    }
}

TEST(MpegHeader, FlagsAndInvalidHeaders) {
    MpegHeader h;
    ASSERT_EQ(ParseMpegHeader(0xFFFA913F, h), 0);
    EXPECT_EQ(std::vector<int>({h.crc_present, h.private_bit, h.mode, h.mode_extension, h.copyright,
                                h.original, h.emphasis}),
              std::vector<int>({1, 1, 0, 3, 1, 1, 3}));
    ASSERT_EQ(ParseMpegHeader(0xFFFB9060, h), 0);
    EXPECT_EQ(std::vector<int>({h.crc_present, h.private_bit, h.mode, h.mode_extension, h.copyright,
                                h.original, h.emphasis}),
              std::vector<int>({0, 0, 1, 2, 0, 0, 0}));
    for (uint32_t word : {0xFFEB9044u,    // MPEG-2.5 bit with ID 1
                          0xFFF99044u,    // reserved layer code
                          0xFFFB9C44u,    // sampling index 3
                          0xFFFB0044u,    // free format
                          0xFFFBF044u,    // bitrate index 15
                          0xFFE718C0u,    // MPEG-2.5 Layer I
                          0xFFE518C0u}) { // MPEG-2.5 Layer II
        EXPECT_EQ(ParseMpegHeader(word, h), -1) << std::hex << word;
        EXPECT_EQ(h.frame_bits, 0);
    }
}

} // namespace
} // namespace sonarel
