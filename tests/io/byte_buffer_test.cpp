#include "io/byte_buffer.h"

#include <gtest/gtest.h>

#include <cstring>

namespace sonarel {
namespace {

void FillWith(ByteBuffer& buffer, const char* text) {
    int32_t n = static_cast<int32_t>(std::strlen(text));
    std::memcpy(buffer.Tail(), text, static_cast<size_t>(n));
    buffer.SetLength(buffer.Length() + n);
}

TEST(ByteBufferTest, AllocateGivesEmptyBufferOfCapacity) {
    ByteBuffer buffer;
    buffer.Allocate(16);
    EXPECT_EQ(buffer.Capacity(), 16);
    EXPECT_EQ(buffer.Length(), 0);
    EXPECT_EQ(buffer.FreeSpace(), 16);
    EXPECT_EQ(buffer.Tail(), buffer.Data());

    FillWith(buffer, "hello");
    EXPECT_EQ(buffer.FreeSpace(), 11);
    EXPECT_EQ(buffer.Tail(), buffer.Data() + 5);
    buffer.Allocate(8); // frees the old array and starts empty again
    EXPECT_EQ(buffer.Capacity(), 8);
    EXPECT_EQ(buffer.Length(), 0);
}

TEST(ByteBufferTest, SetLengthStaysWithinCapacity) {
    ByteBuffer buffer(10);
    buffer.SetLength(25);
    EXPECT_EQ(buffer.Length(), 10);
    EXPECT_EQ(buffer.FreeSpace(), 0);
    buffer.SetLength(-3);
    EXPECT_EQ(buffer.Length(), 0);
    buffer.SetLength(4);
    buffer.Clear();
    EXPECT_EQ(buffer.Length(), 0);
}

TEST(ByteBufferTest, ConsumeMovesTheRestToTheFront) {
    ByteBuffer buffer(16);
    FillWith(buffer, "abcdefgh");
    EXPECT_EQ(buffer.Consume(3), 5);
    EXPECT_EQ(std::memcmp(buffer.Data(), "defgh", 5), 0);
    EXPECT_EQ(buffer.Consume(0), 5);
    EXPECT_EQ(buffer.Consume(-2), 5);
    EXPECT_EQ(std::memcmp(buffer.Data(), "defgh", 5), 0);
}

TEST(ByteBufferTest, ConsumingAllOrMoreEmptiesTheBuffer) {
    ByteBuffer buffer(16);
    FillWith(buffer, "abcdefgh");
    EXPECT_EQ(buffer.Consume(8), 0);
    FillWith(buffer, "xyz");
    EXPECT_EQ(buffer.Consume(100), 0);
    EXPECT_EQ(buffer.Length(), 0);
    EXPECT_EQ(buffer.FreeSpace(), 16);
}

TEST(ByteBufferTest, ZeroOrNegativeSizeGivesNoCapacity) {
    ByteBuffer buffer;
    EXPECT_EQ(buffer.Capacity(), 0);
    buffer.Allocate(-5);
    EXPECT_EQ(buffer.Capacity(), 0);
    EXPECT_EQ(buffer.FreeSpace(), 0);
    EXPECT_EQ(buffer.Consume(1), 0);
}

} // namespace
} // namespace sonarel
