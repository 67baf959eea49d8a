// ID3v2 tag sizes: header validation, syncsafe size and the footer flag.
#include <gtest/gtest.h>

#include <array>
#include <vector>

#include "io/id3v2_tag.h"
#include "io/raw_file_reader.h"
#include "support/test_paths.h"

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
    // Too few bytes to hold a header.
    const Header h = Tag(4, 0, 0, 0, 0, 1);
    EXPECT_EQ(Id3v2TagSize(h.data(), 9), 0u);
}

// The raw reader skips tags at the start of the file: their bytes are not payload.
using Bytes = std::vector<unsigned char>;

Bytes TagBytes(size_t body, unsigned char flags = 0) {
    Bytes tag = {'I', 'D', '3', 4, 0, flags};
    for (int shift = 21; shift >= 0; shift -= 7) {
        tag.push_back(static_cast<unsigned char>((body >> shift) & 0x7F));
    }
    // Sync-like bytes inside the tag must never reach a consumer.
    tag.resize(tag.size() + body, 0xFF);
    if ((flags & 0x10) != 0) {
        tag.insert(tag.end(), {'3', 'D', 'I', 4, 0, flags, tag[6], tag[7], tag[8], tag[9]});
    }
    return tag;
}

Bytes Audio(size_t n) {
    Bytes audio(n);
    for (size_t i = 0; i < n; ++i) {
        audio[i] = static_cast<unsigned char>(i * 7 + 1);
    }
    return audio;
}

Bytes ReadEverything(RawFileReader& reader) {
    Bytes out;
    unsigned char buffer[1000];
    for (int got; (got = reader.Read(buffer, sizeof buffer, nullptr)) > 0;) {
        out.insert(out.end(), buffer, buffer + got);
    }
    return out;
}

struct TaggedFile {
    TaggedFile(const Bytes& prefix, const Bytes& audio) {
        Bytes all = prefix;
        all.insert(all.end(), audio.begin(), audio.end());
        test::WriteFileBytes(path, all);
    }
    test::ScratchDir dir;
    std::filesystem::path path = dir / "tagged.mp3";
};

TEST(RawReaderId3v2Test, PayloadStartsAfterTheTag) {
    const Bytes audio = Audio(5000);
    TaggedFile file(TagBytes(20000), audio);
    RawFileReader reader(file.path.string());
    ASSERT_EQ(reader.Open(), 0);
    EXPECT_EQ(reader.GetSize(), audio.size());
    EXPECT_EQ(ReadEverything(reader), audio);
    EXPECT_EQ(reader.GetPosition(), reader.GetSize());
    EXPECT_FALSE(reader.HasFailed());
    // Seek counts from the first payload byte.
    ASSERT_EQ(reader.Seek(10), 1);
    unsigned char byte = 0;
    ASSERT_EQ(reader.Read(&byte, 1, nullptr), 1);
    EXPECT_EQ(byte, audio[10]);
}

TEST(RawReaderId3v2Test, SkipsSeveralTagsAndHonoursTheFooter) {
    Bytes tags = TagBytes(100, 0x10);
    const Bytes second = TagBytes(300);
    tags.insert(tags.end(), second.begin(), second.end());
    const Bytes audio = Audio(777);
    TaggedFile file(tags, audio);
    RawFileReader reader(file.path.string());
    ASSERT_EQ(reader.Open(), 0);
    EXPECT_EQ(reader.GetSize(), audio.size());
    EXPECT_EQ(ReadEverything(reader), audio);
}

TEST(RawReaderId3v2Test, FilesWithoutATagAreReadWhole) {
    const Bytes not_a_tag = {'I', 'D', '3', 4, 0, 0, 0x80, 0, 0, 0, 1, 2, 3};
    TaggedFile file(not_a_tag, {});
    RawFileReader reader(file.path.string());
    ASSERT_EQ(reader.Open(), 0);
    EXPECT_EQ(reader.GetSize(), not_a_tag.size());
    EXPECT_EQ(ReadEverything(reader), not_a_tag);

    TaggedFile tiny({'I', 'D'}, {});
    RawFileReader short_reader(tiny.path.string());
    ASSERT_EQ(short_reader.Open(), 0);
    EXPECT_EQ(ReadEverything(short_reader), (Bytes{'I', 'D'}));
}

TEST(RawReaderId3v2Test, TagLongerThanTheFileLeavesNoPayload) {
    Bytes cut = TagBytes(1000);
    cut.resize(400);
    TaggedFile file(cut, {});
    RawFileReader reader(file.path.string());
    ASSERT_EQ(reader.Open(), 0);
    EXPECT_EQ(reader.GetSize(), 0u);
    EXPECT_TRUE(ReadEverything(reader).empty());
    EXPECT_FALSE(reader.HasFailed());
}

TEST(RawReaderId3v2Test, FixtureTagSizesAreExcluded) {
    for (const char* name : {"id3v2_300k.mp3", "id3v2_footer.mp3"}) {
        const auto path = test::FixturesDir() / "mp3" / name;
        const Bytes bytes = test::ReadFileBytes(path);
        const uint32_t tag = Id3v2TagSize(bytes.data(), bytes.size());
        ASSERT_GT(tag, 16384u) << name;
        RawFileReader reader(path.string());
        ASSERT_EQ(reader.Open(), 0);
        EXPECT_EQ(reader.GetSize(), bytes.size() - tag) << name;
        unsigned char first[2] = {};
        ASSERT_EQ(reader.Read(first, 2, nullptr), 2);
        EXPECT_EQ(first[0], 0xFF) << name;
        EXPECT_EQ(first[1] & 0xE0, 0xE0) << name;
    }
}

TEST(RawReaderFailureTest, ReadErrorIsReportedApartFromTheEnd) {
    // Reading process memory at address 0 fails with an I/O error.
    RawFileReader reader("/proc/self/mem");
    if (reader.Open() != 0) {
        GTEST_SKIP() << "/proc/self/mem cannot be opened here";
    }
    unsigned char buffer[16];
    EXPECT_EQ(reader.Read(buffer, sizeof buffer, nullptr), 0);
    EXPECT_TRUE(reader.HasFailed());
}

} // namespace
} // namespace sonarel
