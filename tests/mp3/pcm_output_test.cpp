// Rounding, clamping and byte layout of the PCM output.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <vector>

#include "mp3/pcm_output.h"

namespace sonarel::mp3 {
namespace {

std::vector<int32_t> Round(const std::vector<double>& sums) {
    std::vector<int32_t> pcm(sums.size());
    RoundToPcm(sums.data(), static_cast<int>(sums.size()), pcm.data());
    return pcm;
}

TEST(PcmOutput, RoundsToNearestWithTiesToEven) {
    EXPECT_EQ(Round({2.5, 3.5, -2.5, -3.5}), (std::vector<int32_t>{2, 4, -2, -4}));
    EXPECT_EQ(Round({0.5, 1.5, -0.5, -1.5}), (std::vector<int32_t>{0, 2, 0, -2}));
    EXPECT_EQ(Round({2.4999999, 2.5000001, -7.49, -7.51}), (std::vector<int32_t>{2, 3, -7, -8}));
    EXPECT_EQ(Round({0.0, -0.0, 1e-300, -1e-300}), (std::vector<int32_t>{0, 0, 0, 0}));
}

TEST(PcmOutput, ClampsToSixteenBits) {
    EXPECT_EQ(Round({32767.4, 32767.5, 40000.0, 1e300}),
              (std::vector<int32_t>{32767, 32767, 32767, 32767}));
    EXPECT_EQ(Round({-32768.4, -32768.6, -40000.0, -1e300}),
              (std::vector<int32_t>{-32768, -32768, -32768, -32768}));
    // Never reached with finite spectra; still an ordinary sample if it happens.
    EXPECT_EQ(Round({std::nan(""), 0.0, 0.0, 0.0})[0], -32768);
}

TEST(PcmOutput, StereoIsInterleavedLittleEndian) {
    int32_t pcm[2][kGranuleLines] = {};
    pcm[0][0] = 0x1234;
    pcm[1][0] = -2;
    pcm[0][1] = -32768;
    pcm[1][1] = 32767;
    uint8_t out[8] = {};
    EXPECT_EQ(WritePcm(pcm, 2, 2, false, out), out + 8);
    const uint8_t expected[8] = {0x34, 0x12, 0xfe, 0xff, 0x00, 0x80, 0xff, 0x7f};
    EXPECT_TRUE(std::equal(out, out + 8, expected));
}

TEST(PcmOutput, MonoWritesOneChannel) {
    int32_t pcm[2][kGranuleLines] = {};
    pcm[0][0] = 1;
    pcm[0][1] = -1;
    pcm[1][0] = 99; // not written
    uint8_t out[4] = {};
    EXPECT_EQ(WritePcm(pcm, 1, 2, false, out), out + 4);
    const uint8_t expected[4] = {0x01, 0x00, 0xff, 0xff};
    EXPECT_TRUE(std::equal(out, out + 4, expected));
}

TEST(PcmOutput, EightBitIsUnsignedWithSilenceAt128) {
    int32_t pcm[2][kGranuleLines] = {};
    const int32_t values[4] = {0, -32768, 32767, -1};
    for (int i = 0; i < 4; ++i) {
        pcm[0][i] = values[i];
        pcm[1][i] = 255; // still 128 after the shift
    }
    uint8_t out[8] = {};
    EXPECT_EQ(WritePcm(pcm, 2, 4, true, out), out + 8);
    const uint8_t expected[8] = {128, 128, 0, 128, 255, 128, 127, 128};
    EXPECT_TRUE(std::equal(out, out + 8, expected));
}

} // namespace
} // namespace sonarel::mp3
