// The level the player reports per buffer: RMS against full scale in hundredths of a dB.
#include "output/pcm_level.h"

#include <cmath>
#include <gtest/gtest.h>
#include <numbers>
#include <vector>

namespace sonarel {
namespace {

using Bytes = std::vector<uint8_t>;

Bytes Samples16(const std::vector<int16_t>& samples) {
    Bytes bytes;
    for (const int16_t s : samples) {
        bytes.push_back(static_cast<uint8_t>(s & 0xFF));
        bytes.push_back(static_cast<uint8_t>((s >> 8) & 0xFF));
    }
    return bytes;
}

Bytes Sine16(double amplitude) {
    std::vector<int16_t> samples;
    for (int i = 0; i < 1024; ++i) {
        samples.push_back(
            static_cast<int16_t>(std::lround(amplitude * std::sin(std::numbers::pi * i / 32))));
    }
    return Samples16(samples);
}

TEST(PcmLevelTest, LevelsFollowTheRmsWithSilenceLowest) {
    std::vector<int16_t> one(2304, 0); // the quietest sound there is
    one[0] = 1;
    const struct {
        Bytes bytes;
        uint16_t bits;
        int level;
        int tolerance = 0;
    } cases[] = {
        {Samples16({0, 0, 0, 0}), 16, kSilenceLevel},
        {{0x7F}, 16, kSilenceLevel}, // no whole sample
        {Bytes(100, 128), 8, kSilenceLevel},
        {Samples16({32767, -32768, 32767, -32768}), 16, 0},
        {Samples16(std::vector<int16_t>(2304, -32768)), 16, 0}, // a whole frame: no overflow
        {{0xFF, 0x7F, 0x00}, 16, 0},                            // a stray byte is left out
        {{0, 255, 0, 255}, 8, 0, 5},
        {Sine16(32767), 16, -301, 1},
        {Sine16(328), 16, -4301, 2},
        {Samples16(one), 16,
         static_cast<int>(std::lround(1000 * std::log10(1.0 / 2304 / 1073741824.0))), 1},
    };
    for (const auto& c : cases) {
        EXPECT_NEAR(PcmLevel(c.bytes.data(), static_cast<int32_t>(c.bytes.size()), c.bits), c.level,
                    c.tolerance)
            << c.bytes.size() << " bytes of " << c.bits << " bits";
    }
}

} // namespace
} // namespace sonarel
