#include "io/riff_wave_reader.h"
#include "support/test_paths.h"

#include <gtest/gtest.h>
#include <string>
#include <vector>

namespace sonarel {
namespace {

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

// Reads to the end in pieces of 200 bytes; the end is -1, and stays so.
std::vector<uint8_t> ReadAll(RiffWaveReader& reader) {
    std::vector<uint8_t> got;
    uint8_t buffer[200];
    int n;
    while ((n = reader.Read(buffer, sizeof buffer, nullptr)) > 0) {
        got.insert(got.end(), buffer, buffer + n);
    }
    EXPECT_EQ(n, -1);
    EXPECT_EQ(reader.Read(buffer, 1, nullptr), -1);
    EXPECT_EQ(reader.GetPosition(), got.size());
    return got;
}

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
        {"not_wave.wav", RiffWaveReader::kBadStructure},
        {"no_data.wav", RiffWaveReader::kBadStructure},
        {"short_fmt.wav", RiffWaveReader::kBadStructure},
        {"truncated_header.wav", RiffWaveReader::kBadStructure},
        {"truncated_fmt.wav", RiffWaveReader::kBadStructure},
        {"lying_chunk.wav", RiffWaveReader::kBadStructure},
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
        const std::vector<uint8_t> data = ReadAll(reader);
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

// Closed, a reader gives nothing; sought to 0, it starts again at the first data byte.
TEST(RiffWaveReader, ClosedAndRewound) {
    RiffWaveReader reader(Fixture("list_before_fmt.wav"));
    uint8_t buffer[10];
    EXPECT_EQ(reader.Read(buffer, 4, nullptr), 0);
    EXPECT_EQ(reader.GetFormat(), nullptr);
    EXPECT_EQ(reader.Seek(0), 0);
    ASSERT_EQ(reader.Open(), 0);
    ASSERT_EQ(reader.Read(buffer, 10, nullptr), 10);
    ASSERT_EQ(reader.Seek(0), 1);
    EXPECT_EQ(reader.GetPosition(), 0u);
    EXPECT_EQ(ReadAll(reader), Payload(1000));
    EXPECT_EQ(reader.Seek(1), -1); // a second lies past the chunk
    reader.Close();
    EXPECT_EQ(reader.IsOpen(), 0);
    EXPECT_EQ(reader.Read(buffer, 4, nullptr), 0);
}

} // namespace
} // namespace sonarel
