#include "io/wave_format.h"

#include <gtest/gtest.h>
#include <span>
#include <tuple>
#include <vector>

namespace sonarel {
namespace {

std::vector<uint8_t> Bytes(const WaveFormatHolder& holder) {
    return std::vector<uint8_t>(holder.Get(), holder.Get() + holder.Size());
}

// Layer-3 records: 30 bytes; at low bitrates a block holds several frames of
// alternating lengths.
TEST(WaveFormat, Mp3RecordsForEveryRateAndBitrate) {
    Mp3WaveFormat format;
    ASSERT_TRUE(format.Build(128, 44100, 2));
    EXPECT_EQ(Bytes(format),
              EncodeWaveFormat({0x55, 2, 44100, 16000, 1, 0, 12}, {1, 2, 417, 1, 0}));
    const struct Case {
        uint32_t kbps, rate, channels;
        int block_size, frames_per_block;
    } cases[] = {
        {320, 48000, 2, 960, 1},        {64, 32000, 1, 288, 1},
        {8, 11025, 1, 52, 1},           {12, 22050, 1, 26 + 52, 2},
        {14, 8000, 1, 72 + 3 * 144, 4}, {18, 8000, 2, 3 * 144 + 216, 4},
        {20, 8000, 2, 144 + 216, 2},
    };
    for (const Case& c : cases) {
        ASSERT_TRUE(format.Build(c.kbps, c.rate, c.channels)) << c.kbps;
        EXPECT_EQ(format.Header().avg_bytes_per_sec, c.kbps * 125);
        EXPECT_EQ(format.Mp3Extension().block_size, c.block_size) << c.kbps;
        EXPECT_EQ(format.Mp3Extension().frames_per_block, c.frames_per_block) << c.kbps;
    }
    // Invalid values leave the record as it was.
    const std::vector<uint8_t> before = Bytes(format);
    for (auto [kbps, rate, channels] : {std::tuple{0u, 44100u, 2u},
                                        {100u, 44100u, 2u},
                                        {128u, 44000u, 2u},
                                        {128u, 44100u, 3u},
                                        {128u, 44100u, 0u}}) {
        EXPECT_FALSE(format.Build(kbps, rate, channels));
    }
    EXPECT_EQ(Bytes(format), before);
}

// A PCM record is 16 bytes; any other keeps 18 bytes and cbSize more, never more than it was
// given; one without cbSize is completed, and a shorter one is none.
TEST(WaveFormat, HoldersKeepWhatTheRecordSays) {
    EXPECT_EQ(Bytes(PcmFormat(44100, 2, 16)),
              (std::vector<uint8_t>{1, 0, 2, 0, 0x44, 0xAC, 0, 0, 0x10, 0xB1, 2, 0, 4, 0, 16, 0}));
    std::vector<uint8_t> pcm = EncodeWaveFormat({1, 2, 48000, 192000, 4, 16, 0});
    pcm.push_back(0x77); // bytes beyond the size rule are ignored
    WaveFormatHolder holder;
    holder.Set(pcm);
    EXPECT_EQ(holder.Size(), 16u);
    holder.Set(EncodeWaveFormat({0x55, 2, 44100, 0x12345678, 1, 0, 40}, {1, 2, 417, 1, 0}));
    EXPECT_EQ(holder.Size(), 30u);
    EXPECT_EQ(holder.Header().avg_bytes_per_sec, 0x12345678u);
    EXPECT_EQ(holder.Header().cb_size, 12); // lowered to what is held
    EXPECT_EQ(holder.Mp3Extension().block_size, 417);

    const std::vector<uint8_t> record = EncodeWaveFormat({0x55, 2, 44100, 16000, 1, 0, 12});
    holder.Set(std::span<const uint8_t>(record.data(), 15));
    EXPECT_FALSE(holder.HasRecord());
    holder.Set(std::span<const uint8_t>(record.data(), 16));
    EXPECT_EQ(holder.Size(), 18u);
    EXPECT_EQ(holder.Header().cb_size, 0);
    holder.Set({});
    EXPECT_FALSE(holder.HasRecord());
}

} // namespace
} // namespace sonarel
