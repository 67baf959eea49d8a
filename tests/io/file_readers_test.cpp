// The readers of input files. The raw reader: the payload is the file less the ID3v2 tags in
// front and the tags after the audio (ID3v1 and its enhanced block, APEv2, Lyrics3 v2, an
// appended ID3v2 tag), so no tag byte is ever searched or decoded as audio. The RIFF/WAVE
// reader: the format and data of the fixture files, or the code of what is wrong with them.
#include "io/raw_file_reader.h"
#include "io/riff_wave_reader.h"
#include "support/byte_strings.h"
#include "support/test_paths.h"

#include <gtest/gtest.h>
#include <string>
#include <vector>

namespace sonarel {
namespace {

using test::Bytes;
using test::LittleEndian32;
using test::Text;
using test::operator+;

// Reads to the end in pieces of 200 bytes: the end is `end` (the raw reader's 0, the RIFF
// reader's -1), and stays so.
Bytes ReadAll(FileSource& reader, int end) {
    Bytes got;
    uint8_t buffer[200];
    int n;
    while ((n = reader.Read(buffer, sizeof buffer, nullptr)) > 0) {
        got.insert(got.end(), buffer, buffer + n);
    }
    EXPECT_EQ(n, end);
    EXPECT_EQ(reader.Read(buffer, 1, nullptr), end);
    return got;
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
        LittleEndian32(5) + LittleEndian32(0) + Text("Title") + Bytes{0} + Text("hello");
    auto block = [&](uint32_t flags) {
        return Text("APETAGEX") + LittleEndian32(2000) +
               LittleEndian32(uint32_t(items.size()) + 32) + LittleEndian32(1) +
               LittleEndian32(flags) + Bytes(8, 0);
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

TEST(RawFileReader, ThePayloadIsTheAudioBetweenTheTags) {
    const Bytes audio = Pattern(3000);
    // "TAG" 100 bytes before the end is no ID3v1 tag; an APE footer claiming more than
    // the file holds is none either; nor is a tag header with a size byte above 0x7F.
    const Bytes tag_like = Bytes(500, 1) + Text("TAG") + Bytes(97, 2);
    const Bytes broken_ape = Text("APETAGEX") + LittleEndian32(2000) + LittleEndian32(99999) +
                             LittleEndian32(1) + LittleEndian32(0) + Bytes(8, 0);
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
        {"enhanced ID3v1", {}, audio, Text("TAG+") + Bytes(223, 'e') + Id3v1()},
        {"APEv2", {}, audio, Ape()},
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
        EXPECT_EQ(ReadAll(reader, 0), c.payload);
        EXPECT_EQ(reader.GetPosition(), c.payload.size());
        ASSERT_EQ(reader.Seek(0), 1); // back to the first payload byte
        EXPECT_EQ(ReadAll(reader, 0), c.payload);
        EXPECT_EQ(reader.GetPosition(), 2 * c.payload.size()); // delivered, not the place
    }
}

// A missing file and a folder cannot be opened (rewinding: the tag table above).
TEST(RawFileReader, AMissingFileOrAFolderCannotBeOpened) {
    test::ScratchDir scratch;
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

// The payload the fixture script writes: byte i is (seed + 7 * i) mod 251.
std::vector<uint8_t> Payload(size_t n, unsigned seed = 0) {
    std::vector<uint8_t> bytes(n);
    for (size_t i = 0; i < n; ++i) {
        bytes[i] = static_cast<uint8_t>((seed + 7 * i) % 251);
    }
    return bytes;
}

std::string Fixture(const char* name) {
    return (test::FixturesDir() / "wave" / name).string();
}

// (A form other than WAVE and a chunk that runs past the end: the console's answers to such
// files.)
TEST(RiffWaveReader, FixturesOpenWithTheirFormatAndDataOrFailWithTheirCode) {
    const struct Case {
        const char* file;
        int result = 0;
        uint32_t format_size = 0;
        uint16_t tag = 0;
        uint16_t channels = 0;
        uint32_t rate = 0;
        uint16_t bits = 0;
        uint32_t size = 0;
        int seed = 0; // of the data chunk's payload; -1: not checked
        int block_size = 0;
    } cases[] = {
        {"python_pcm_stereo.wav", 0, 16, 1, 2, 22050, 16, 1200, 0, 0},
        {"python_pcm_mono_odd.wav", 0, 16, 1, 1, 8000, 8, 101, 3, 0}, // no pad byte at the end
        {"list_before_fmt.wav", 0, 16, 1, 2, 8000, 16, 1000, 0, 0},
        {"truncated_data.wav", 0, 16, 1, 2, 8000, 16, 100, 0, 0}, // what is there
        {"riff_size_too_large.wav", 0, 16, 1, 2, 8000, 16, 1000, -1, 0},
        {"mp3_cbsize12.wav", 0, 30, 0x55, 2, 44100, 0, 835, 1, 417}, // cut before a LIST chunk
        {"mp3_cbsize20.wav", 0, 30, 0x55, 2, 44100, 0, 417, 2, 417}, // the rest of fmt skipped
        {"mp3_cbsize0.wav", 0, 18, 0x55, 1, 22050, 0, 100, -1, 0},
        {"no_such_file.wav", RiffWaveReader::kCannotOpen},
        {"python_pcm_stereo.wav/", RiffWaveReader::kCannotOpen},
        {"", RiffWaveReader::kCannotOpen}, // the folder
        {"unknown_tag.wav", RiffWaveReader::kBadFormatTag},
        {"data_before_fmt.wav", RiffWaveReader::kBadStructure},
        {"no_data.wav", RiffWaveReader::kBadStructure},
        {"short_fmt.wav", RiffWaveReader::kBadStructure},
        {"truncated_header.wav", RiffWaveReader::kBadStructure},
        {"truncated_fmt.wav", RiffWaveReader::kBadStructure},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.file);
        RiffWaveReader reader(Fixture(c.file));
        ASSERT_EQ(reader.Open(), c.result);
        EXPECT_EQ(reader.IsOpen(), c.result == 0 ? 1 : 0);
        uint8_t buffer[16];
        if (c.result != 0) {
            EXPECT_EQ(reader.Read(buffer, 16, nullptr), 0);
            continue;
        }
        EXPECT_EQ(reader.IsPcm(), c.tag == 1 ? 1 : 0);
        const WaveFormatHolder* format = reader.GetFormat();
        ASSERT_NE(format, nullptr);
        EXPECT_EQ(format->Size(), c.format_size);
        EXPECT_EQ(format->Header().format_tag, c.tag);
        EXPECT_EQ(format->Header().channels, c.channels);
        EXPECT_EQ(format->Header().samples_per_sec, c.rate);
        EXPECT_EQ(format->Header().bits_per_sample, c.bits);
        EXPECT_EQ(format->Header().cb_size, c.format_size == 30 ? 12 : 0);
        EXPECT_EQ(format->Mp3Extension().block_size, c.block_size);
        EXPECT_EQ(reader.GetSize(), c.size);
        EXPECT_EQ(reader.Read(buffer, 0, nullptr), 0) << "asking for nothing is not the end";
        const std::vector<uint8_t> data = ReadAll(reader, -1);
        EXPECT_EQ(reader.GetPosition(), data.size());
        if (c.seed >= 0) {
            EXPECT_EQ(data, Payload(c.size, unsigned(c.seed)));
        }
    }
    // A data chunk whose header ends the file holds nothing.
    test::ScratchDir scratch;
    const std::vector<unsigned char> bytes = test::ReadFileBytes(Fixture("python_pcm_stereo.wav"));
    test::WriteFileBytes(scratch / "empty.wav", {bytes.begin(), bytes.begin() + 44});
    RiffWaveReader empty((scratch / "empty.wav").string());
    EXPECT_EQ(empty.Open(), 0);
    EXPECT_EQ(empty.GetSize(), 0u);
}

// A reader seeks whole seconds of its data by the byte rate (0: the first data byte), never
// past the data, and nothing before it is open. Here 2.5 s of 8 kHz mono 8-bit.
TEST(RiffWaveReader, SeeksWholeSecondsWithinTheData) {
    const Bytes data = Payload(20000);
    test::ScratchDir scratch;
    test::WriteFileBytes(scratch / "s.wav",
                         Text("RIFF") + LittleEndian32(36 + 20000) + Text("WAVEfmt ") +
                             LittleEndian32(16) +
                             Bytes{1, 0, 1, 0, 0x40, 0x1F, 0, 0, 0x40, 0x1F, 0, 0, 1, 0, 8, 0} +
                             Text("data") + LittleEndian32(20000) + data);
    RiffWaveReader reader((scratch / "s.wav").string());
    EXPECT_EQ(reader.Seek(0), 0);
    ASSERT_EQ(reader.Open(), 0);
    ASSERT_EQ(reader.Seek(2), 1);
    EXPECT_EQ(reader.GetPosition(), 16000u);
    EXPECT_EQ(ReadAll(reader, -1), Bytes(data.begin() + 16000, data.end()));
    ASSERT_EQ(reader.Seek(0), 1);
    EXPECT_EQ(ReadAll(reader, -1), data);
    EXPECT_EQ(reader.Seek(3), -1);
}

} // namespace
} // namespace sonarel
