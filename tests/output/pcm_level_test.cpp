// The level the player reports per buffer: RMS against full scale in hundredths of a dB.
#include <gtest/gtest.h>

#include <cmath>
#include <numbers>
#include <vector>

#include "output/pcm_level.h"

namespace sonarel {
namespace {

std::vector<uint8_t> Samples16(const std::vector<int16_t>& samples) {
    std::vector<uint8_t> bytes;
    for (int16_t s : samples) {
        bytes.push_back(static_cast<uint8_t>(s & 0xFF));
        bytes.push_back(static_cast<uint8_t>((s >> 8) & 0xFF));
    }
    return bytes;
}

std::vector<uint8_t> Sine16(double amplitude, int count) {
    std::vector<int16_t> samples;
    for (int i = 0; i < count; ++i) {
        samples.push_back(
            static_cast<int16_t>(std::lround(amplitude * std::sin(2 * std::numbers::pi * i / 64))));
    }
    return Samples16(samples);
}

int16_t Level16(const std::vector<uint8_t>& bytes) {
    return PcmLevel(bytes.data(), static_cast<int32_t>(bytes.size()), 16);
}

TEST(PcmLevelTest, SilenceAndEmptyPiecesGiveTheLowestLevel) {
    EXPECT_EQ(Level16(Samples16({0, 0, 0, 0})), kSilenceLevel);
    EXPECT_EQ(PcmLevel(nullptr, 0, 16), kSilenceLevel);
    const uint8_t one_byte = 0x7F;
    EXPECT_EQ(PcmLevel(&one_byte, 1, 16), kSilenceLevel); // no whole sample
    const std::vector<uint8_t> midpoint(100, 128);
    EXPECT_EQ(PcmLevel(midpoint.data(), 100, 8), kSilenceLevel);
}

TEST(PcmLevelTest, FullScaleIsZeroDecibelsWithoutOverflow) {
    EXPECT_EQ(Level16(Samples16({-32768, -32768, -32768, -32768})), 0);
    EXPECT_EQ(Level16(Samples16({32767, -32768, 32767, -32768})), 0);
    std::vector<int16_t> loud(1152 * 2, -32768); // a whole stereo frame at the extreme
    EXPECT_EQ(Level16(Samples16(loud)), 0);
}

TEST(PcmLevelTest, SineLevelsFollowTheAmplitudeInHundredthsOfADecibel) {
    EXPECT_NEAR(Level16(Sine16(32767, 1024)), -301, 1);
    EXPECT_NEAR(Level16(Sine16(16384, 1024)), -903, 1);
    EXPECT_NEAR(Level16(Sine16(328, 1024)), -301 - 4000, 2); // 40 dB lower
}

TEST(PcmLevelTest, QuietestSampleStaysAboveSilence) {
    std::vector<int16_t> samples(2304, 0);
    samples[0] = 1;
    const int16_t level = Level16(Samples16(samples));
    EXPECT_GT(level, kSilenceLevel);
    EXPECT_NEAR(level, std::lround(1000 * std::log10(1.0 / 2304 / (32768.0 * 32768.0))), 1);
}

TEST(PcmLevelTest, EightBitSamplesAreCentredOn128) {
    const std::vector<uint8_t> square = {0, 255, 0, 255};
    EXPECT_NEAR(PcmLevel(square.data(), 4, 8), 0, 5);
    const std::vector<uint8_t> trailing = {0xFF, 0x7F, 0x00}; // 32767 and a stray byte
    EXPECT_EQ(PcmLevel(trailing.data(), 3, 16), 0);
}

} // namespace
} // namespace sonarel
