// Tags after the audio end the payload: the reader delivers the audio bytes and no tag
// byte, whatever kinds of tags follow and in whatever order.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "io/raw_file_reader.h"
#include "support/test_paths.h"

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

Bytes LittleEndian(uint32_t value) {
    return {static_cast<unsigned char>(value), static_cast<unsigned char>(value >> 8),
            static_cast<unsigned char>(value >> 16), static_cast<unsigned char>(value >> 24)};
}

Bytes Syncsafe(uint32_t n) {
    return {static_cast<unsigned char>((n >> 21) & 0x7F),
            static_cast<unsigned char>((n >> 14) & 0x7F),
            static_cast<unsigned char>((n >> 7) & 0x7F), static_cast<unsigned char>(n & 0x7F)};
}

Bytes Id3v1() {
    return Text("TAG") + Bytes(125, 'x');
}

Bytes Ape() {
    const Bytes items =
        LittleEndian(5) + LittleEndian(0) + Text("Title") + Bytes{0} + Text("hello");
    const uint32_t size = static_cast<uint32_t>(items.size()) + 32;
    auto block = [&](uint32_t flags) {
        return Text("APETAGEX") + LittleEndian(2000) + LittleEndian(size) + LittleEndian(1) +
               LittleEndian(flags) + Bytes(8, 0);
    };
    return block(0xA0000000u) + items + block(0x80000000u);
}

Bytes Lyrics3() {
    const Bytes body = Text("LYRICSBEGININD00003110");
    return body + Text("0000" + std::to_string(body.size())) + Text("LYRICS200");
}

// Its body is full of frame headers, as a picture may be.
Bytes AppendedId3v2() {
    Bytes body;
    for (int i = 0; i < 300; ++i) {
        body = body + Bytes{0xFF, 0xFB, 0x90, 0x64};
    }
    const uint32_t size = static_cast<uint32_t>(body.size());
    return Text("ID3") + Bytes{4, 0, 0x10} + Syncsafe(size) + body + Text("3DI") +
           Bytes{4, 0, 0x10} + Syncsafe(size);
}

Bytes ReadAll(RawFileReader& reader) {
    Bytes got;
    uint8_t buffer[700];
    int n;
    while ((n = reader.Read(buffer, sizeof buffer, nullptr)) > 0) {
        got.insert(got.end(), buffer, buffer + n);
    }
    return got;
}

TEST(TrailingTags, EveryKindAndOrderEndsThePayload) {
    test::ScratchDir scratch;
    const std::string path = (scratch / "song.mp3").string();
    Bytes audio(3000);
    for (size_t i = 0; i < audio.size(); ++i) {
        audio[i] = static_cast<unsigned char>(i * 7 + 3);
    }
    const std::vector<std::pair<const char*, Bytes>> tails = {
        {"ID3v1", Id3v1()},
        {"enhanced ID3v1", Text("TAG+") + Bytes(223, 'e') + Id3v1()},
        {"APEv2", Ape()},
        {"APEv2 and ID3v1", Ape() + Id3v1()},
        {"Lyrics3 and ID3v1", Lyrics3() + Id3v1()},
        {"appended ID3v2", AppendedId3v2()},
        {"ID3v2, APEv2, ID3v1", AppendedId3v2() + Ape() + Id3v1()},
        {"none", {}},
    };
    for (const auto& [name, tail] : tails) {
        SCOPED_TRACE(name);
        test::WriteFileBytes(path, audio + tail);
        RawFileReader reader(path);
        ASSERT_EQ(reader.Open(), 0);
        EXPECT_EQ(reader.GetSize(), audio.size());
        EXPECT_EQ(ReadAll(reader), audio);
        ASSERT_EQ(reader.Seek(2990), 1);
        EXPECT_EQ(ReadAll(reader).size(), 10u);
    }
}

TEST(TrailingTags, TagLikeBytesInsideTheAudioStay) {
    test::ScratchDir scratch;
    const std::string path = (scratch / "song.mp3").string();
    // "TAG" 100 bytes before the end is no ID3v1 tag; an APE footer claiming more than
    // the file holds is none either.
    const Bytes audio = Bytes(500, 1) + Text("TAG") + Bytes(97, 2);
    const Bytes broken_ape = Text("APETAGEX") + LittleEndian(2000) + LittleEndian(99999) +
                             LittleEndian(1) + LittleEndian(0) + Bytes(8, 0);
    for (const Bytes& content : {audio, audio + broken_ape}) {
        test::WriteFileBytes(path, content);
        RawFileReader reader(path);
        ASSERT_EQ(reader.Open(), 0);
        EXPECT_EQ(reader.GetSize(), content.size());
    }
}

} // namespace
} // namespace sonarel
