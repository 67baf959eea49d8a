// The framer's bit reader: bit order across byte and ring boundaries, refills, moving
// back within the ring and the error flag.
#include <gtest/gtest.h>

#include <numeric>

#include "io/memory_source.h"
#include "io/sync_bit_reader.h"

namespace sonarel {
namespace {

using test::MemorySource;

std::vector<uint8_t> Counting(size_t n) {
    std::vector<uint8_t> bytes(n);
    std::iota(bytes.begin(), bytes.end(), uint8_t{0});
    return bytes;
}

TEST(SyncBitReaderTest, ReadsMostSignificantBitFirstAcrossBytes) {
    MemorySource source({0xA5, 0x3C, 0xF0});
    SyncBitReader reader(64);
    reader.SetSource(&source);
    EXPECT_EQ(reader.GetBits(3), 0b101u);
    EXPECT_EQ(reader.GetBits(9), 0b001010011u);
    EXPECT_EQ(reader.GetBits(12), 0xCF0u);
    EXPECT_EQ(reader.GetBitPosition(), 24u);
    EXPECT_FALSE(reader.TakeError());
}

TEST(SyncBitReaderTest, WrapsAroundASmallRingWithoutLosingBytes) {
    // A 16-byte ring forces many wraps and refills smaller than the 64 asked for.
    const std::vector<uint8_t> bytes = Counting(1000);
    MemorySource source(bytes);
    SyncBitReader reader(16);
    reader.SetSource(&source);
    for (size_t i = 0; i + 1 < bytes.size(); i += 2) {
        reader.SkipBits(4);
        reader.SetBitPosition(reader.GetBitPosition() - 4);
        const uint32_t expected = (uint32_t{bytes[i]} << 8) | bytes[i + 1];
        ASSERT_EQ(reader.GetBits(16), expected) << "at byte " << i;
    }
    EXPECT_FALSE(reader.TakeError());
}

TEST(SyncBitReaderTest, ShortInputSetsTheErrorFlagOnce) {
    MemorySource source({0xFF});
    SyncBitReader reader(64);
    reader.SetSource(&source);
    EXPECT_EQ(reader.GetBits(16), 0u);
    EXPECT_EQ(reader.GetBitPosition(), 0u);
    EXPECT_TRUE(reader.TakeError());
    EXPECT_FALSE(reader.TakeError());
    EXPECT_EQ(reader.GetBits(8), 0xFFu);
    EXPECT_EQ(reader.SkipBits(1), 0);
    EXPECT_TRUE(reader.TakeError());
}

TEST(SyncBitReaderTest, EachCallReadsTheSourceAtMostOnce) {
    MemorySource source(Counting(4000), 10);
    SyncBitReader reader(4096);
    reader.SetSource(&source);
    // The source hands out 10 bytes per read: one refill cannot cover 100 bytes.
    EXPECT_EQ(reader.SkipBits(800), 0);
    EXPECT_EQ(source.Reads(), 1);
    EXPECT_TRUE(reader.TakeError());
    EXPECT_EQ(reader.GetBits(16), 0x0001u);
    EXPECT_EQ(source.Reads(), 1);
}

TEST(SyncBitReaderTest, SkipRefusesARefillThatDoesNotFitTheRing) {
    MemorySource source(Counting(4000));
    SyncBitReader reader(32);
    reader.SetSource(&source);
    EXPECT_EQ(reader.SkipBits(8 * 40), 3);
    EXPECT_EQ(source.Reads(), 0);
    EXPECT_FALSE(reader.TakeError());
    EXPECT_EQ(reader.SkipBits(8 * 20), 8 * 20);
    EXPECT_EQ(reader.GetBits(8), 20u);
}

TEST(SyncBitReaderTest, CopyAlignedAndUnaligned) {
    const std::vector<uint8_t> bytes = Counting(300);
    MemorySource source(bytes);
    SyncBitReader reader(64);
    reader.SetSource(&source);
    std::vector<uint8_t> out(40, 0xEE);
    // Aligned: a plain copy that crosses the end of the 65-byte ring.
    ASSERT_EQ(reader.SkipBits(8 * 50), 8 * 50);
    ASSERT_EQ(reader.CopyBits(out.data(), 8 * 30), 30);
    EXPECT_TRUE(std::equal(out.begin(), out.begin() + 30, bytes.begin() + 50));
    // Unaligned: three bits in, the bytes come out shifted; the last partial byte is
    // filled from the top.
    reader.SkipBits(3);
    ASSERT_EQ(reader.CopyBits(out.data(), 8 * 2 + 5), 3);
    const uint32_t window = (uint32_t{bytes[80]} << 24) | (uint32_t{bytes[81]} << 16) |
                            (uint32_t{bytes[82]} << 8) | bytes[83];
    EXPECT_EQ(out[0], static_cast<uint8_t>(window >> 21));
    EXPECT_EQ(out[1], static_cast<uint8_t>(window >> 13));
    EXPECT_EQ(out[2], static_cast<uint8_t>((window >> 5) & 0xF8));
    EXPECT_EQ(reader.GetBitPosition(), 8u * 80 + 3 + 21);
}

TEST(SyncBitReaderTest, SetPositionMovesWithinHeldBitsOnly) {
    MemorySource source(Counting(200));
    SyncBitReader reader(64);
    reader.SetSource(&source);
    ASSERT_EQ(reader.SkipBits(8 * 30), 8 * 30);
    reader.SetBitPosition(8 * 10 + 4);
    EXPECT_EQ(reader.GetBits(8), 0xA0u); // low half of byte 10, high half of byte 11
    // Forward beyond what was written stops at the last bit written.
    reader.SetBitPosition(1u << 20);
    EXPECT_EQ(reader.AvailableBits(), 0u);
    EXPECT_EQ(reader.GetBitPosition() % 8, 0u);
}

TEST(SyncBitReaderTest, SetPositionBackStopsAtTheOldestIntactByte) {
    MemorySource source(Counting(200));
    SyncBitReader reader(16);
    reader.SetSource(&source);
    for (int i = 0; i < 100; ++i) {
        ASSERT_EQ(reader.GetBits(8), static_cast<uint32_t>(i));
    }
    const uint64_t written = reader.GetBitPosition() + reader.AvailableBits();
    reader.SetBitPosition(0);
    EXPECT_EQ(reader.GetBitPosition(), written - 8 * 16);
    EXPECT_EQ(reader.GetBits(8), (written / 8 - 16) & 0xFF);
}

} // namespace
} // namespace sonarel
