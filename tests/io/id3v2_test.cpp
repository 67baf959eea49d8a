// ID3v2 tag sizes: header validation, syncsafe size and the footer flag.
#include <gtest/gtest.h>

#include <array>

#include "io/id3v2_tag.h"

namespace sonarel {
namespace {

using Header = std::array<unsigned char, 10>;

Header Tag(unsigned char version, unsigned char flags, Header::value_type s0, Header::value_type s1,
           Header::value_type s2, Header::value_type s3) {
    return {'I', 'D', '3', version, 0, flags, s0, s1, s2, s3};
}

uint32_t SizeOf(const Header& h) {
    return Id3v2TagSize(h.data(), h.size());
}

TEST(Id3v2TagTest, SizeIsHeaderPlusSyncsafeBody) {
    EXPECT_EQ(SizeOf(Tag(3, 0, 0, 0, 0x02, 0x01)), 10u + 257u);
    EXPECT_EQ(SizeOf(Tag(4, 0, 0, 0, 0, 0)), 10u);
    // 300 KB of cover art: 307200 = 0x12 << 14 | 0x60 << 7.
    EXPECT_EQ(SizeOf(Tag(4, 0, 0, 0x12, 0x60, 0x00)), 10u + 307200u);
    EXPECT_EQ(SizeOf(Tag(4, 0, 0x7F, 0x7F, 0x7F, 0x7F)), 10u + 0x0FFFFFFFu);
}

TEST(Id3v2TagTest, FooterFlagAddsTenBytes) {
    EXPECT_EQ(SizeOf(Tag(4, 0x10, 0, 0, 0x01, 0x00)), 10u + 128u + 10u);
    // Other flags (unsynchronisation, extended header) do not change the size.
    EXPECT_EQ(SizeOf(Tag(4, 0xE0, 0, 0, 0x01, 0x00)), 10u + 128u);
}

TEST(Id3v2TagTest, InvalidHeadersGiveZero) {
    EXPECT_EQ(SizeOf(Tag(0xFF, 0, 0, 0, 0, 1)), 0u);
    Header revision = Tag(4, 0, 0, 0, 0, 1);
    revision[4] = 0xFF;
    EXPECT_EQ(SizeOf(revision), 0u);
    for (int i = 6; i < 10; ++i) {
        Header h = Tag(4, 0, 0, 0, 0, 1);
        h[i] = 0x80;
        EXPECT_EQ(SizeOf(h), 0u) << "size byte " << i;
    }
    Header lower = Tag(4, 0, 0, 0, 0, 1);
    lower[0] = 'i';
    EXPECT_EQ(SizeOf(lower), 0u);
    // An MPEG frame header is not a tag.
    const Header frame = {0xFF, 0xFB, 0x90, 0x44, 0, 0, 0, 0, 0, 0};
    EXPECT_EQ(SizeOf(frame), 0u);
}

TEST(Id3v2TagTest, ShortInputGivesZero) {
    const Header h = Tag(4, 0, 0, 0, 0, 1);
    EXPECT_EQ(Id3v2TagSize(h.data(), 9), 0u);
    EXPECT_EQ(Id3v2TagSize(nullptr, 10), 0u);
}

} // namespace
} // namespace sonarel
