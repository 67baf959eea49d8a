#include "io/wave_format.h"

#include <gtest/gtest.h>

#include <vector>

namespace sonarel {
namespace {

std::vector<uint8_t> Bytes(const WaveFormatHolder& holder) {
    return std::vector<uint8_t>(holder.Get(), holder.Get() + holder.Size());
}

TEST(PcmFormatTest, StereoCdQuality) {
    PcmFormat format(44100, 2, 16);
    WaveFormatEx h = format.Header();
    EXPECT_EQ(h.format_tag, kWaveFormatPcm);
    EXPECT_EQ(h.channels, 2);
    EXPECT_EQ(h.samples_per_sec, 44100u);
    EXPECT_EQ(h.avg_bytes_per_sec, 4u * 44100u);
    EXPECT_EQ(h.block_align, 4);
    EXPECT_EQ(h.bits_per_sample, 16);
    EXPECT_EQ(h.cb_size, 0);
    EXPECT_EQ(format.Size(), 16u); // the size rule: PCM records are 16 bytes
}

TEST(PcmFormatTest, MonoLowRateAndByteLayout) {
    PcmFormat format(8000, 1, 16);
    EXPECT_EQ(format.Header().avg_bytes_per_sec, 16000u);
    EXPECT_EQ(format.Header().block_align, 2);
    std::vector<uint8_t> expected = {1, 0, 1, 0, 0x40, 0x1F, 0, 0, 0x80, 0x3E, 0, 0, 2, 0, 16, 0};
    EXPECT_EQ(Bytes(format), expected);
}

TEST(Mp3WaveFormatTest, HoldsNothingUntilBuilt) {
    Mp3WaveFormat format;
    EXPECT_FALSE(format.HasRecord());
    EXPECT_EQ(format.Get(), nullptr);
    EXPECT_EQ(format.Size(), 0u);
    EXPECT_EQ(format.Header().format_tag, 0);
}

TEST(Mp3WaveFormatTest, Build128kStereo44k) {
    Mp3WaveFormat format;
    ASSERT_TRUE(format.Build(128, 44100, 2));
    WaveFormatEx h = format.Header();
    Mp3WaveExtension ext = format.Mp3Extension();
    EXPECT_EQ(format.Size(), 30u);
    EXPECT_EQ(h.format_tag, kWaveFormatMpegLayer3);
    EXPECT_EQ(h.channels, 2);
    EXPECT_EQ(h.samples_per_sec, 44100u);
    EXPECT_EQ(h.avg_bytes_per_sec, 16000u);
    EXPECT_EQ(h.block_align, 1);
    EXPECT_EQ(h.bits_per_sample, 0);
    EXPECT_EQ(h.cb_size, 12);
    EXPECT_EQ(ext.id, 1);
    EXPECT_EQ(ext.flags, 2u);
    EXPECT_EQ(ext.block_size, 417);
    EXPECT_EQ(ext.frames_per_block, 1);
    EXPECT_EQ(ext.codec_delay, 0);
}

TEST(Mp3WaveFormatTest, LowBitRatesAlternateFrameSizes) {
    Mp3WaveFormat format;
    ASSERT_TRUE(format.Build(12, 22050, 1));
    EXPECT_EQ(format.Mp3Extension().block_size, 26 + 52);
    EXPECT_EQ(format.Mp3Extension().frames_per_block, 2);
    EXPECT_EQ(format.Header().avg_bytes_per_sec, 1500u);

    // frame(8) = 72, frame(16) = 144, frame(24) = 216 at 8000 Hz.
    ASSERT_TRUE(format.Build(14, 8000, 1));
    EXPECT_EQ(format.Mp3Extension().block_size, 72 + 3 * 144);
    EXPECT_EQ(format.Mp3Extension().frames_per_block, 4);
    ASSERT_TRUE(format.Build(18, 8000, 2));
    EXPECT_EQ(format.Mp3Extension().block_size, 3 * 144 + 216);
    EXPECT_EQ(format.Mp3Extension().frames_per_block, 4);
    ASSERT_TRUE(format.Build(20, 8000, 2));
    EXPECT_EQ(format.Mp3Extension().block_size, 144 + 216);
    EXPECT_EQ(format.Mp3Extension().frames_per_block, 2);
}

TEST(Mp3WaveFormatTest, HighRatesUseTheMpeg1FrameLength) {
    Mp3WaveFormat format;
    ASSERT_TRUE(format.Build(320, 48000, 2));
    EXPECT_EQ(format.Mp3Extension().block_size, 960); // 320 * 2000 * 72 / 48000
    ASSERT_TRUE(format.Build(64, 32000, 1));
    EXPECT_EQ(format.Mp3Extension().block_size, 288);
    ASSERT_TRUE(format.Build(8, 11025, 1));
    EXPECT_EQ(format.Mp3Extension().block_size, 52); // 8 * 1000 * 72 / 11025
}

TEST(Mp3WaveFormatTest, InvalidValuesLeaveTheRecordAsItWas) {
    Mp3WaveFormat format;
    EXPECT_FALSE(format.Build(0, 44100, 2));
    EXPECT_FALSE(format.HasRecord());

    ASSERT_TRUE(format.Build(128, 44100, 2));
    std::vector<uint8_t> before = Bytes(format);
    EXPECT_FALSE(format.Build(0, 44100, 2));
    EXPECT_FALSE(format.Build(100, 44100, 2));
    EXPECT_FALSE(format.Build(128, 44000, 2));
    EXPECT_FALSE(format.Build(128, 44100, 3));
    EXPECT_FALSE(format.Build(128, 44100, 0));
    EXPECT_EQ(Bytes(format), before);
}

TEST(WaveFormatHolderTest, CopiesPcmAsSixteenBytes) {
    std::vector<uint8_t> record = EncodeWaveFormat({1, 2, 48000, 192000, 4, 16, 0});
    record.push_back(0x77); // bytes beyond the rule are ignored
    WaveFormatHolder holder;
    holder.Set(record);
    EXPECT_EQ(holder.Size(), 16u);
    EXPECT_EQ(holder.Header().samples_per_sec, 48000u);
}

TEST(WaveFormatHolderTest, OtherTagsKeepEighteenPlusCbSize) {
    WaveFormatEx h{0x55, 1, 22050, 2000, 1, 0, 4};
    std::vector<uint8_t> record = EncodeWaveFormat(h);
    record.insert(record.end(), {9, 8, 7, 6, 5, 5});
    WaveFormatHolder holder;
    holder.Set(record);
    EXPECT_EQ(holder.Size(), 22u);
    EXPECT_EQ(holder.Get()[21], 6);
    EXPECT_EQ(holder.Mp3Extension().block_size, 0); // too short for the Layer-3 extension
}

TEST(WaveFormatHolderTest, NeverReadsBeyondTheGivenBytes) {
    // cbSize claims 40 extension bytes but only 12 are there.
    WaveFormatEx h{0x55, 2, 44100, 16000, 1, 0, 40};
    std::vector<uint8_t> record = EncodeWaveFormat(h, {1, 2, 417, 1, 0});
    WaveFormatHolder holder;
    holder.Set(record);
    EXPECT_EQ(holder.Size(), 30u);
    EXPECT_EQ(holder.Header().cb_size, 12); // lowered to what is held
    EXPECT_EQ(holder.Mp3Extension().block_size, 417);
}

TEST(WaveFormatHolderTest, TooShortRecordsHoldNothingOrAreCompleted) {
    WaveFormatHolder holder;
    std::vector<uint8_t> record = EncodeWaveFormat({0x55, 2, 44100, 16000, 1, 0, 12});
    holder.Set(std::span<const uint8_t>(record.data(), 15));
    EXPECT_FALSE(holder.HasRecord());
    holder.Set(std::span<const uint8_t>(record.data(), 16)); // no cbSize: taken as 0
    EXPECT_EQ(holder.Size(), 18u);
    EXPECT_EQ(holder.Header().cb_size, 0);
    holder.Set({});
    EXPECT_FALSE(holder.HasRecord());
}

} // namespace
} // namespace sonarel
