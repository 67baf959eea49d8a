// Frame header parsing for the framer: frame lengths, rates and channels of every version
// and layer, and the headers that are no frames.
#include "io/mpeg_header.h"

#include <gtest/gtest.h>

namespace sonarel {
namespace {

TEST(MpegHeader, FrameLengthsRatesAndChannelsOfEveryVersionAndLayer) {
    const struct Case {
        uint32_t word;
        int bytes;
        int kbps;
        int rate;
        int channels;
    } cases[] = {
        {0xFFFB9244, 418, 128, 44100, 2},  // 417.96 slots and the padding slot
        {0xFFFBE4C0, 960, 320, 48000, 1},  //
        {0xFFFB1044, 104, 32, 44100, 2},   // the lowest Layer III rate: 104.49 bytes
        {0xFFFFEA00, 676, 448, 32000, 2},  // Layer I slots are four bytes
        {0xFFFF2000, 68, 64, 44100, 2},    // 17.4 slots
        {0xFFFDA400, 576, 192, 48000, 2},  //
        {0xFFFDEA00, 1729, 384, 32000, 2}, // the longest accepted frame
        {0xFFF7E800, 768, 256, 16000, 2},  // MPEG-2 Layer I
        {0xFFF52000, 104, 16, 22050, 2},   // Layer II keeps 1152 samples
        {0xFFE314C0, 48, 8, 12000, 1},     // MPEG-2.5: 576 samples
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << std::hex << c.word);
        MpegHeader h;
        ASSERT_EQ(ParseMpegHeader(c.word, h), 0);
        EXPECT_EQ(h.frame_bits, 8 * c.bytes);
        EXPECT_EQ(BitrateKbps(h), c.kbps);
        EXPECT_EQ(DescribeFrame(h).sample_rate, c.rate);
        EXPECT_EQ(DescribeFrame(h).channels, c.channels);
    }
    for (uint32_t word : {0xFFEB9044u,    // MPEG-2.5 bit with ID 1
                          0xFFF99044u,    // reserved layer code
                          0xFFFB9C44u,    // sampling index 3
                          0xFFFB0044u,    // free format
                          0xFFFBF044u,    // bitrate index 15
                          0xFFE718C0u,    // MPEG-2.5 Layer I
                          0xFFE518C0u}) { // MPEG-2.5 Layer II
        MpegHeader h;
        EXPECT_EQ(ParseMpegHeader(word, h), -1) << std::hex << word;
        EXPECT_EQ(h.frame_bits, 0);
    }
}

} // namespace
} // namespace sonarel
