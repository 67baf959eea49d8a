// The framer's bit reader: bit order across byte and ring boundaries, refills, moving
// back within the ring and the error flag.
#include "io/memory_source.h"
#include "io/sync_bit_reader.h"

#include <gtest/gtest.h>
#include <numeric>

namespace sonarel {
namespace {

using test::MemorySource;

std::vector<uint8_t> Counting(size_t n) {
    std::vector<uint8_t> bytes(n);
    std::iota(bytes.begin(), bytes.end(), uint8_t{0});
    return bytes;
}

TEST(SyncBitReader, ReadsMostSignificantBitFirstAcrossBytesAndRingWraps) {
    MemorySource three({0xA5, 0x3C, 0xF0});
    SyncBitReader reader(64);
    reader.SetSource(&three);
    EXPECT_EQ(reader.GetBits(3), 0b101u);
    EXPECT_EQ(reader.GetBits(9), 0b001010011u);
    EXPECT_EQ(reader.GetBits(12), 0xCF0u);
    // A 16-byte ring forces many wraps and refills smaller than the 64 asked for; it
    // holds the last 16 bytes for moving back.
    const std::vector<uint8_t> bytes = Counting(1000);
    MemorySource source(bytes);
    SyncBitReader small(16);
    small.SetSource(&source);
    for (size_t i = 0; i + 1 < bytes.size(); i += 2) {
        small.SkipBits(4);
        small.SetBitPosition(small.GetBitPosition() - 4);
        ASSERT_EQ(small.GetBits(16), (uint32_t{bytes[i]} << 8) | bytes[i + 1]) << i;
    }
    const uint64_t written = small.GetBitPosition() + small.AvailableBits();
    small.SetBitPosition(0);
    EXPECT_EQ(small.GetBitPosition(), written - 8 * 16);
    EXPECT_EQ(small.GetBits(8), (written / 8 - 16) & 0xFF);
    // Forward beyond what was written stops at the last bit written.
    small.SetBitPosition(1u << 20);
    EXPECT_EQ(small.AvailableBits(), 0u);
    EXPECT_EQ(small.GetBitPosition(), written);
}

TEST(SyncBitReader, ShortInputSetsTheErrorFlagOnceAndEachCallReadsAtMostOnce) {
    MemorySource one({0xFF});
    SyncBitReader reader(64);
    reader.SetSource(&one);
    EXPECT_EQ(reader.GetBits(16), 0u);
    EXPECT_EQ(reader.GetBitPosition(), 0u);
    EXPECT_TRUE(reader.TakeError());
    EXPECT_FALSE(reader.TakeError());
    EXPECT_EQ(reader.GetBits(8), 0xFFu);
    EXPECT_EQ(reader.SkipBits(1), 0);
    EXPECT_TRUE(reader.TakeError());

    MemorySource tens(Counting(4000), 10); // ten bytes per read
    SyncBitReader large(4096);
    large.SetSource(&tens);
    EXPECT_EQ(large.SkipBits(800), 0);
    EXPECT_EQ(tens.Reads(), 1);
    EXPECT_TRUE(large.TakeError());
    EXPECT_EQ(large.GetBits(16), 0x0001u);
    EXPECT_EQ(tens.Reads(), 1);

    // A skip whose refill does not fit the ring is refused without reading.
    MemorySource counting(Counting(4000));
    SyncBitReader ring32(32);
    ring32.SetSource(&counting);
    EXPECT_EQ(ring32.SkipBits(8 * 40), 3);
    EXPECT_EQ(counting.Reads(), 0);
    EXPECT_FALSE(ring32.TakeError());
    EXPECT_EQ(ring32.SkipBits(8 * 20), 8 * 20);
    EXPECT_EQ(ring32.GetBits(8), 20u);
}

} // namespace
} // namespace sonarel
