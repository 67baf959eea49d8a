// Frame header parsing for the framer: field layout, validity rules and frame lengths.
#include <gtest/gtest.h>

#include "io/mpeg_header.h"

namespace sonarel {
namespace {

uint32_t Word(uint8_t b0, uint8_t b1, uint8_t b2, uint8_t b3) {
    return (uint32_t{b0} << 24) | (uint32_t{b1} << 16) | (uint32_t{b2} << 8) | b3;
}

MpegHeader Parsed(uint32_t word) {
    MpegHeader h;
    EXPECT_EQ(ParseMpegHeader(word, h), 0) << std::hex << word;
    return h;
}

bool Rejected(uint32_t word) {
    MpegHeader h;
    return ParseMpegHeader(word, h) == -1;
}

TEST(MpegHeaderTest, Mpeg1Layer3At128kbpsDescribesTheFrame) {
    const MpegHeader h = Parsed(Word(0xFF, 0xFB, 0x90, 0x44));
    EXPECT_EQ(h.frame_bits, 417 * 8);
    EXPECT_EQ(h.mode, 1);
    EXPECT_EQ(h.mode_extension, 0);
    EXPECT_EQ(h.original, 1);
    const FrameInfo info = DescribeFrame(h);
    EXPECT_EQ(info.version, 1);
    EXPECT_EQ(info.layer, 3);
    EXPECT_EQ(info.mpeg25, 0);
    EXPECT_EQ(info.crc_present, 0);
    EXPECT_EQ(info.bitrate_kbps, 128);
    EXPECT_EQ(info.sample_rate, 44100);
    EXPECT_EQ(info.channels, 2);
    EXPECT_EQ(info.frame_bits, 3336);
    EXPECT_EQ(info.average_kbps, 0);
    EXPECT_EQ(info.bit_position, 0u);
}

TEST(MpegHeaderTest, PaddingAddsOneSlot) {
    EXPECT_EQ(Parsed(Word(0xFF, 0xFB, 0x92, 0x44)).frame_bits, 418 * 8);
    // Layer I slots are four bytes: (12 * 448 / 32 + 1) * 4 = 676 bytes.
    const MpegHeader layer1 = Parsed(Word(0xFF, 0xFF, 0xEA, 0x00));
    EXPECT_EQ(layer1.layer, 1);
    EXPECT_EQ(BitrateKbps(layer1), 448);
    EXPECT_EQ(layer1.frame_bits, 676 * 8);
}

TEST(MpegHeaderTest, Mpeg25Layer3HalvesTheMpeg2Rates) {
    const MpegHeader h = Parsed(Word(0xFF, 0xE3, 0x18, 0xC0));
    EXPECT_EQ(h.mpeg25, 1);
    EXPECT_EQ(h.frame_bits, 72 * 8);
    const FrameInfo info = DescribeFrame(h);
    EXPECT_EQ(info.version, 2);
    EXPECT_EQ(info.mpeg25, 1);
    EXPECT_EQ(info.bitrate_kbps, 8);
    EXPECT_EQ(info.sample_rate, 8000);
    EXPECT_EQ(info.channels, 1);
}

TEST(MpegHeaderTest, AllNineSamplingRates) {
    struct Case {
        uint8_t b1; // sync tail, version bits, layer III, no CRC
        uint8_t sampling_index;
        uint16_t rate;
    };
    const Case cases[] = {{0xFB, 0, 44100}, {0xFB, 1, 48000}, {0xFB, 2, 32000},
                          {0xF3, 0, 22050}, {0xF3, 1, 24000}, {0xF3, 2, 16000},
                          {0xE3, 0, 11025}, {0xE3, 1, 12000}, {0xE3, 2, 8000}};
    for (const Case& c : cases) {
        const uint8_t b2 = static_cast<uint8_t>(0x50 | (c.sampling_index << 2));
        EXPECT_EQ(DescribeFrame(Parsed(Word(0xFF, c.b1, b2, 0x00))).sample_rate, c.rate);
    }
}

TEST(MpegHeaderTest, FrameLengthsAcrossVersionsAndLayers) {
    // MPEG-2 Layer III 64 kbit/s 22.05 kHz: floor(576 * 64000 / (22050 * 8)) = 208 bytes.
    EXPECT_EQ(Parsed(Word(0xFF, 0xF3, 0x80, 0x00)).frame_bits, 208 * 8);
    // MPEG-1 Layer II 192 kbit/s 48 kHz: 576 bytes.
    EXPECT_EQ(Parsed(Word(0xFF, 0xFD, 0xA4, 0x00)).frame_bits, 576 * 8);
    // MPEG-2 Layer I 256 kbit/s 16 kHz: 192 slots of 4 bytes.
    EXPECT_EQ(Parsed(Word(0xFF, 0xF7, 0xE8, 0x00)).frame_bits, 768 * 8);
    // The longest accepted frame: MPEG-1 Layer II 384 kbit/s 32 kHz with padding.
    EXPECT_EQ(Parsed(Word(0xFF, 0xFD, 0xEA, 0x00)).frame_bits, 1729 * 8);
}

TEST(MpegHeaderTest, BitrateTablesFollowVersionAndLayer) {
    EXPECT_EQ(BitrateKbps(Parsed(Word(0xFF, 0xFB, 0xE0, 0x00))), 320); // MPEG-1 L3 index 14
    EXPECT_EQ(BitrateKbps(Parsed(Word(0xFF, 0xFD, 0xE0, 0x00))), 384); // MPEG-1 L2
    EXPECT_EQ(BitrateKbps(Parsed(Word(0xFF, 0xF3, 0xE0, 0x00))), 160); // MPEG-2 L3
    EXPECT_EQ(BitrateKbps(Parsed(Word(0xFF, 0xF7, 0xE0, 0x00))), 256); // MPEG-2 L1
    EXPECT_EQ(BitrateKbps(Parsed(Word(0xFF, 0xF3, 0x10, 0x00))), 8);   // MPEG-2 L3 index 1
}

TEST(MpegHeaderTest, FlagsAndChannelModes) {
    EXPECT_EQ(Parsed(Word(0xFF, 0xFA, 0x90, 0x44)).crc_present, 1);
    for (int mode = 0; mode < 4; ++mode) {
        const uint8_t b3 = static_cast<uint8_t>(mode << 6);
        EXPECT_EQ(DescribeFrame(Parsed(Word(0xFF, 0xFB, 0x90, b3))).channels, mode == 3 ? 1 : 2);
    }
    const MpegHeader h = Parsed(Word(0xFF, 0xFB, 0x91, 0x3F));
    EXPECT_EQ(h.private_bit, 1);
    EXPECT_EQ(h.mode_extension, 3);
    EXPECT_EQ(h.copyright, 1);
    EXPECT_EQ(h.original, 1);
    EXPECT_EQ(h.emphasis, 3);
}

TEST(MpegHeaderTest, RejectsReservedForbiddenAndUnsupportedHeaders) {
    EXPECT_TRUE(Rejected(Word(0xFF, 0xEB, 0x90, 0x44))); // MPEG-2.5 bit with ID 1
    EXPECT_TRUE(Rejected(Word(0xFF, 0xF9, 0x90, 0x44))); // reserved layer code
    EXPECT_TRUE(Rejected(Word(0xFF, 0xFB, 0x9C, 0x44))); // sampling index 3
    EXPECT_TRUE(Rejected(Word(0xFF, 0xFB, 0x00, 0x44))); // free format
    EXPECT_TRUE(Rejected(Word(0xFF, 0xFB, 0xF0, 0x44))); // bitrate index 15
    EXPECT_TRUE(Rejected(Word(0xFF, 0xE7, 0x18, 0xC0))); // MPEG-2.5 Layer I
    EXPECT_TRUE(Rejected(Word(0xFF, 0xE5, 0x18, 0xC0))); // MPEG-2.5 Layer II
}

} // namespace
} // namespace sonarel
