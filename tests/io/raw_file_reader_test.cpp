// The raw reader: the payload is the file less the ID3v2 tags in front and the tags after
// the audio (ID3v1 and its enhanced block, APEv2, Lyrics3 v2, an appended ID3v2 tag), so
// no tag byte is ever searched or decoded as audio.
#include "io/raw_file_reader.h"
#include "support/test_paths.h"

#include <gtest/gtest.h>
#include <string>
#include <vector>

namespace sonarel {
namespace {

using Bytes = std::vector<unsigned char>;

Bytes Text(const std::string& text) {
    return Bytes(text.begin(), text.end());
}

Bytes operator+(Bytes a, const Bytes& b) {
    a.insert(a.end(), b.begin(), b.end());
    return a;
}

Bytes LittleEndian(uint32_t v) {
    return {uint8_t(v), uint8_t(v >> 8), uint8_t(v >> 16), uint8_t(v >> 24)};
}

Bytes Syncsafe(uint32_t n) {
    return {uint8_t(n >> 21 & 0x7F), uint8_t(n >> 14 & 0x7F), uint8_t(n >> 7 & 0x7F),
            uint8_t(n & 0x7F)};
}

// An ID3v2.4 tag whose body is full of frame headers, as a picture may be.
Bytes Id3v2(uint32_t body, unsigned char flags = 0) {
    Bytes tag = Text("ID3") + Bytes{4, 0, flags} + Syncsafe(body);
    for (uint32_t i = 0; i < body; ++i) {
        tag.push_back(i % 4 == 0 ? 0xFF : i % 4 == 1 ? 0xFB : 0x90);
    }
    return (flags & 0x10) == 0 ? tag : tag + Text("3DI") + Bytes{4, 0, flags} + Syncsafe(body);
}

Bytes Id3v1() {
    return Text("TAG") + Bytes(125, 'x');
}

Bytes Ape() {
    const Bytes items =
        LittleEndian(5) + LittleEndian(0) + Text("Title") + Bytes{0} + Text("hello");
    auto block = [&](uint32_t flags) {
        return Text("APETAGEX") + LittleEndian(2000) + LittleEndian(uint32_t(items.size()) + 32) +
               LittleEndian(1) + LittleEndian(flags) + Bytes(8, 0);
    };
    return block(0xA0000000u) + items + block(0x80000000u);
}

Bytes Lyrics3() {
    const Bytes body = Text("LYRICSBEGININD00003110");
    return body + Text("0000" + std::to_string(body.size())) + Text("LYRICS200");
}

Bytes Pattern(size_t n) {
    Bytes bytes(n);
    for (size_t i = 0; i < n; ++i) {
        bytes[i] = static_cast<unsigned char>(i * 7 + 3);
    }
    return bytes;
}

Bytes ReadAll(RawFileReader& reader) {
    Bytes got;
    uint8_t buffer[700];
    for (int n; (n = reader.Read(buffer, sizeof buffer, nullptr)) > 0;) {
        got.insert(got.end(), buffer, buffer + n);
    }
    return got;
}

TEST(RawFileReader, ThePayloadIsTheAudioBetweenTheTags) {
    const Bytes audio = Pattern(3000);
    // "TAG" 100 bytes before the end is no ID3v1 tag; an APE footer claiming more than
    // the file holds is none either; nor is a tag header with a size byte above 0x7F.
    const Bytes tag_like = Bytes(500, 1) + Text("TAG") + Bytes(97, 2);
    const Bytes broken_ape = Text("APETAGEX") + LittleEndian(2000) + LittleEndian(99999) +
                             LittleEndian(1) + LittleEndian(0) + Bytes(8, 0);
    const Bytes long_tag = Id3v2(1000);
    const Bytes not_id3 = Text("ID3") + Bytes{4, 0, 0, 0x80, 0, 0, 0, 1, 2, 3};
    const struct Case {
        const char* what;
        Bytes before;
        Bytes payload;
        Bytes after;
    } cases[] = {
        {"no tags", {}, audio, {}},
        {"an ID3v2 tag", Id3v2(20000), audio, {}},
        {"two ID3v2 tags, one with a footer", Id3v2(100, 0x10) + Id3v2(300), audio, {}},
        {"ID3v1", {}, audio, Id3v1()},
        {"enhanced ID3v1", {}, audio, Text("TAG+") + Bytes(223, 'e') + Id3v1()},
        {"APEv2", {}, audio, Ape()},
        {"APEv2 and ID3v1", {}, audio, Ape() + Id3v1()},
        {"Lyrics3 and ID3v1", {}, audio, Lyrics3() + Id3v1()},
        {"appended ID3v2", {}, audio, Id3v2(1200, 0x10)},
        {"every kind", Id3v2(50), audio, Id3v2(1200, 0x10) + Ape() + Id3v1()},
        {"tag-like bytes in the audio", {}, tag_like, {}},
        {"a broken APE footer", {}, tag_like + broken_ape, {}},
        {"no ID3v2 tag: a size byte above 0x7F", {}, not_id3, {}},
        {"no tag: version 0xFF", {}, Text("ID3") + Bytes{0xFF, 0, 0, 0, 0, 0, 1} + audio, {}},
        {"no tag: revision 0xFF", {}, Text("ID3") + Bytes{4, 0xFF, 0, 0, 0, 0, 1} + audio, {}},
        {"other flags", Text("ID3") + Bytes{4, 0, 0xE0, 0, 0, 1, 0} + Bytes(128, 0xFF), audio, {}},
        {"a tag longer than the file", Bytes(long_tag.begin(), long_tag.begin() + 400), {}, {}},
    };
    test::ScratchDir scratch;
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        test::WriteFileBytes(scratch / "song.mp3", c.before + c.payload + c.after);
        RawFileReader reader((scratch / "song.mp3").string());
        ASSERT_EQ(reader.Open(), 0);
        EXPECT_EQ(reader.GetSize(), c.payload.size());
        EXPECT_EQ(ReadAll(reader), c.payload);
        EXPECT_EQ(reader.GetPosition(), c.payload.size());
        ASSERT_EQ(reader.Seek(0), 1); // back to the first payload byte
        EXPECT_EQ(ReadAll(reader), c.payload);
        EXPECT_EQ(reader.GetPosition(), 2 * c.payload.size()); // delivered, not the place
    }
}

// Closed, a reader gives nothing (rewinding: the tag table above). A missing file and a folder
// cannot be opened.
TEST(RawFileReader, ClosedOrMissingGivesNothing) {
    test::ScratchDir scratch;
    test::WriteFileBytes(scratch / "stream.mp3", Pattern(2500));
    RawFileReader reader((scratch / "stream.mp3").string());
    uint8_t buffer[8];
    EXPECT_EQ(reader.Read(buffer, 8, nullptr), 0);
    EXPECT_EQ(reader.Seek(0), 0);
    ASSERT_EQ(reader.Open(), 0);
    EXPECT_EQ(reader.Read(buffer, 0, nullptr), 0);
    reader.Close();
    EXPECT_EQ(reader.IsOpen(), 0);
    EXPECT_EQ(reader.Read(buffer, 8, nullptr), 0);
    EXPECT_EQ(RawFileReader((scratch / "nothing.mp3").string()).Open(), -1);
    EXPECT_EQ(RawFileReader(scratch.Path().string()).Open(), -1);
}

TEST(RawFileReader, AReadErrorIsReportedApartFromTheEnd) {
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
