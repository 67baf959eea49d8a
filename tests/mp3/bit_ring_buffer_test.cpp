#include <gtest/gtest.h>

#include <vector>

#include "mp3/bit_ring_buffer.h"

namespace sonarel::mp3 {
namespace {

TEST(BitRingBuffer, SizeIsNextPowerOfTwoWithinLimits) {
    EXPECT_EQ(BitRingBuffer(8192).Size(), 8192);
    EXPECT_EQ(BitRingBuffer(3000).Size(), 4096);
    EXPECT_EQ(BitRingBuffer(100000).Size(), 65536);
    EXPECT_EQ(BitRingBuffer(1).Size(), 4);
}

TEST(BitRingBuffer, ReadsBitsMostSignificantFirstAcrossBytes) {
    BitRingBuffer ring(16);
    const uint8_t bytes[] = {0xA5, 0x3C, 0xF0, 0x0F};
    ASSERT_EQ(ring.WriteBytes(bytes, 4), 4);
    EXPECT_EQ(ring.PeekBits32(), 0xA53CF00Fu);
    EXPECT_EQ(ring.GetBits(3), 0b101u);
    EXPECT_EQ(ring.GetBits(9), 0b001010011u);
    EXPECT_EQ(ring.GetBits(16), 0xCF00u);
    EXPECT_EQ(ring.GetBits(4), 0xFu);
    EXPECT_EQ(ring.AvailBits(), 0);
    EXPECT_EQ(ring.ConsumedBits(), 32);
}

TEST(BitRingBuffer, SixteenBitsFromTheLastByteWrapToByteZero) {
    BitRingBuffer ring(8);
    std::vector<uint8_t> bytes = {0x11, 0, 0, 0, 0, 0, 0, 0xEE};
    ring.WriteBytes(bytes.data(), 8);
    ring.Skip(56);
    EXPECT_EQ(ring.GetBits(16), 0xEE11u);
    EXPECT_EQ(ring.ReadPos(), 8);
}

TEST(BitRingBuffer, SkipAndRewindOfZeroChangeNothing) {
    BitRingBuffer ring(8);
    const uint8_t bytes[] = {1, 2, 3};
    ring.WriteBytes(bytes, 3);
    ring.GetBits(5);
    EXPECT_FALSE(ring.Skip(0));
    EXPECT_FALSE(ring.Rewind(0));
    EXPECT_FALSE(ring.Skip(-3));
    EXPECT_EQ(ring.ReadPos(), 5);
    EXPECT_EQ(ring.ConsumedBits(), 5);
    EXPECT_EQ(ring.AvailBits(), 19);
    EXPECT_TRUE(ring.Rewind(5));
    EXPECT_EQ(ring.ConsumedBits(), 0);
    EXPECT_EQ(ring.GetBits(8), 1u);
}

TEST(BitRingBuffer, WriteTakesOnlyWhatFitsAndWraps) {
    BitRingBuffer ring(8);
    const uint8_t bytes[] = {1, 2, 3, 4, 5, 6, 7, 8, 9, 10};
    EXPECT_EQ(ring.WriteBytes(bytes, 10), 8);
    EXPECT_EQ(ring.FreeBytes(), 0);
    EXPECT_EQ(ring.WriteBytes(bytes, 1), 0);
    ring.GetBits(16);
    EXPECT_EQ(ring.FreeBytes(), 2);
    EXPECT_EQ(ring.WriteBytes(bytes + 8, 2), 2);
    ring.Skip(48);
    EXPECT_EQ(ring.GetBits(16), 0x090Au);
}

TEST(BitRingBuffer, CopyFromAnUnalignedReaderKeepsTheBitOrder) {
    BitRingBuffer from(16);
    BitRingBuffer to(16);
    const uint8_t bytes[] = {0x12, 0x34, 0x56, 0x78};
    from.WriteBytes(bytes, 4);
    from.GetBits(4);
    // Only three whole bytes are readable after the first four bits.
    EXPECT_EQ(to.CopyBytesFrom(from, 10), 3);
    EXPECT_EQ(from.AvailBits(), 4);
    EXPECT_EQ(to.GetBits(16), 0x2345u);
    EXPECT_EQ(to.GetBits(8), 0x67u);
}

TEST(BitRingBuffer, ResetEmptiesAndClearsTheEndFlag) {
    BitRingBuffer ring(8);
    const uint8_t bytes[] = {0xFF, 0xFF};
    ring.WriteBytes(bytes, 2);
    ring.SetEnd();
    ring.GetBits(3);
    ring.Reset();
    EXPECT_FALSE(ring.IsEnd());
    EXPECT_EQ(ring.AvailBits(), 0);
    EXPECT_EQ(ring.ConsumedBits(), 0);
    EXPECT_EQ(ring.ReadPos(), 0);
    EXPECT_EQ(ring.PeekBits32(), 0u); // the bytes themselves are zeroed
}

} // namespace
} // namespace sonarel::mp3
