#include "io/riff_wave_reader.h"

#include <gtest/gtest.h>

#include <cctype>
#include <string>
#include <vector>

#include "support/test_paths.h"

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

std::vector<uint8_t> ReadAll(RiffWaveReader& reader, int chunk, int* last_result) {
    std::vector<uint8_t> got;
    std::vector<uint8_t> buffer(static_cast<size_t>(chunk));
    int n;
    while ((n = reader.Read(buffer.data(), chunk, nullptr)) > 0) {
        got.insert(got.end(), buffer.begin(), buffer.begin() + n);
    }
    *last_result = n;
    return got;
}

TEST(RiffWaveReaderTest, OpensPcmWrittenByAnotherProgram) {
    RiffWaveReader reader(Fixture("python_pcm_stereo.wav"));
    ASSERT_EQ(reader.Open(), RiffWaveReader::kOpenOk);
    EXPECT_EQ(reader.IsOpen(), 1);
    EXPECT_EQ(reader.IsPcm(), 1);
    ASSERT_NE(reader.GetFormat(), nullptr);
    WaveFormatEx h = reader.GetFormat()->Header();
    EXPECT_EQ(h.channels, 2);
    EXPECT_EQ(h.samples_per_sec, 22050u);
    EXPECT_EQ(h.bits_per_sample, 16);
    EXPECT_EQ(reader.GetFormat()->Size(), 16u);
    EXPECT_EQ(reader.GetSize(), 1200u);
    int last = 0;
    EXPECT_EQ(ReadAll(reader, 512, &last), Payload(1200));
    EXPECT_EQ(last, -1);
    EXPECT_EQ(reader.GetPosition(), 1200u);
}

TEST(RiffWaveReaderTest, OddDataChunkAtTheEndWithoutPadByte) {
    RiffWaveReader reader(Fixture("python_pcm_mono_odd.wav"));
    ASSERT_EQ(reader.Open(), 0);
    EXPECT_EQ(reader.GetSize(), 101u);
    int last = 0;
    EXPECT_EQ(ReadAll(reader, 64, &last), Payload(101, 3));
    EXPECT_EQ(last, -1);
}

TEST(RiffWaveReaderTest, SkipsChunksBeforeTheFormat) {
    RiffWaveReader reader(Fixture("list_before_fmt.wav"));
    ASSERT_EQ(reader.Open(), 0);
    EXPECT_EQ(reader.GetSize(), 1000u);
    int last = 0;
    EXPECT_EQ(ReadAll(reader, 333, &last), Payload(1000));
}

TEST(RiffWaveReaderTest, Mp3PayloadStopsExactlyAtTheDataLength) {
    RiffWaveReader reader(Fixture("mp3_cbsize12.wav"));
    ASSERT_EQ(reader.Open(), 0);
    EXPECT_EQ(reader.IsPcm(), 0);
    const WaveFormatHolder* format = reader.GetFormat();
    ASSERT_NE(format, nullptr);
    EXPECT_EQ(format->Size(), 30u);
    EXPECT_EQ(format->Header().format_tag, kWaveFormatMpegLayer3);
    EXPECT_EQ(format->Header().avg_bytes_per_sec, 16000u);
    EXPECT_EQ(format->Mp3Extension().block_size, 417);
    EXPECT_EQ(format->Mp3Extension().codec_delay, 1393);
    EXPECT_EQ(reader.GetSize(), 835u);
    int last = 0;
    // 835 = 4 * 200 + 35: the last read is cut at the chunk end, before the LIST chunk.
    EXPECT_EQ(ReadAll(reader, 200, &last), Payload(835, 1));
    EXPECT_EQ(last, -1);
    uint8_t byte;
    EXPECT_EQ(reader.Read(&byte, 1, nullptr), -1);
}

TEST(RiffWaveReaderTest, OversizedExtensionIsCutToThirtyBytes) {
    RiffWaveReader reader(Fixture("mp3_cbsize20.wav"));
    ASSERT_EQ(reader.Open(), 0);
    const WaveFormatHolder* format = reader.GetFormat();
    ASSERT_NE(format, nullptr);
    EXPECT_EQ(format->Size(), 30u);
    EXPECT_EQ(format->Header().cb_size, 12);
    EXPECT_EQ(format->Mp3Extension().block_size, 417);
    // The rest of the long format chunk is skipped, not taken as audio.
    int last = 0;
    EXPECT_EQ(ReadAll(reader, 1024, &last), Payload(417, 2));
}

TEST(RiffWaveReaderTest, Mp3RecordWithoutExtension) {
    RiffWaveReader reader(Fixture("mp3_cbsize0.wav"));
    ASSERT_EQ(reader.Open(), 0);
    EXPECT_EQ(reader.GetFormat()->Size(), 18u);
    EXPECT_EQ(reader.GetFormat()->Header().samples_per_sec, 22050u);
    EXPECT_EQ(reader.GetSize(), 100u);
}

struct FailureCase {
    const char* file;
    int expected;
};

class RiffWaveReaderFailureTest : public ::testing::TestWithParam<FailureCase> {};

TEST_P(RiffWaveReaderFailureTest, FailsWithTheRightCodeAndStaysClosed) {
    RiffWaveReader reader(Fixture(GetParam().file));
    EXPECT_EQ(reader.Open(), GetParam().expected);
    EXPECT_EQ(reader.IsOpen(), 0);
    uint8_t buffer[16];
    EXPECT_EQ(reader.Read(buffer, 16, nullptr), 0);
}

INSTANTIATE_TEST_SUITE_P(
    Fixtures, RiffWaveReaderFailureTest,
    ::testing::Values(FailureCase{"no_such_file.wav", RiffWaveReader::kCannotOpen},
                      FailureCase{"data_before_fmt.wav", RiffWaveReader::kBadStructure},
                      FailureCase{"unknown_tag.wav", RiffWaveReader::kBadFormatTag},
                      FailureCase{"not_wave.wav", RiffWaveReader::kBadStructure},
                      FailureCase{"no_data.wav", RiffWaveReader::kBadStructure},
                      FailureCase{"short_fmt.wav", RiffWaveReader::kBadStructure},
                      FailureCase{"truncated_header.wav", RiffWaveReader::kBadStructure},
                      FailureCase{"truncated_fmt.wav", RiffWaveReader::kBadStructure},
                      FailureCase{"lying_chunk.wav", RiffWaveReader::kBadStructure},
                      FailureCase{"python_pcm_stereo.wav/", RiffWaveReader::kCannotOpen}),
    [](const auto& info) {
        std::string name = info.param.file;
        for (char& c : name) {
            if (!std::isalnum(static_cast<unsigned char>(c))) {
                c = '_';
            }
        }
        return name;
    });

TEST(RiffWaveReaderTest, FolderCannotBeOpened) {
    RiffWaveReader folder((test::FixturesDir() / "wave").string());
    EXPECT_EQ(folder.Open(), RiffWaveReader::kCannotOpen);
}

TEST(RiffWaveReaderTest, TruncatedDataChunkDeliversWhatIsThere) {
    RiffWaveReader reader(Fixture("truncated_data.wav"));
    ASSERT_EQ(reader.Open(), 0);
    EXPECT_EQ(reader.GetSize(), 100u);
    int last = 0;
    EXPECT_EQ(ReadAll(reader, 64, &last), Payload(100));
    EXPECT_EQ(last, -1);
}

TEST(RiffWaveReaderTest, RiffSizeBeyondTheFileIsTolerated) {
    RiffWaveReader reader(Fixture("riff_size_too_large.wav"));
    ASSERT_EQ(reader.Open(), 0);
    EXPECT_EQ(reader.GetSize(), 1000u);
}

TEST(RiffWaveReaderTest, NoReadWhenClosedAndNoEndForAnEmptyRequest) {
    RiffWaveReader reader(Fixture("python_pcm_stereo.wav"));
    uint8_t buffer[4];
    EXPECT_EQ(reader.Read(buffer, 4, nullptr), 0);
    EXPECT_EQ(reader.GetFormat(), nullptr);
    EXPECT_EQ(reader.Seek(0), 0);
    ASSERT_EQ(reader.Open(), 0);
    EXPECT_EQ(reader.Read(buffer, 0, nullptr), 0); // asking for nothing is not the end
    EXPECT_EQ(reader.GetPosition(), 0u);
    reader.Close();
    EXPECT_EQ(reader.IsOpen(), 0);
    EXPECT_EQ(reader.Read(buffer, 4, nullptr), 0);
}

TEST(RiffWaveReaderTest, ReopeningStartsAgainAtTheFirstDataByte) {
    RiffWaveReader reader(Fixture("list_before_fmt.wav"));
    ASSERT_EQ(reader.Open(), 0);
    uint8_t buffer[10];
    ASSERT_EQ(reader.Read(buffer, 10, nullptr), 10);
    ASSERT_EQ(reader.Open(), 0);
    EXPECT_EQ(reader.GetPosition(), 0u);
    ASSERT_EQ(reader.Read(buffer, 10, nullptr), 10);
    EXPECT_EQ(buffer[0], Payload(1)[0]);
}

TEST(RiffWaveReaderTest, SeekBySecondsWithinTheDataChunk) {
    // 8000 Hz mono 8-bit: 8000 bytes per second, 20000 data bytes.
    test::ScratchDir scratch;
    std::vector<unsigned char> file = {'R', 'I', 'F',  'F',  0,   0,   0,    0,    'W',  'A', 'V',
                                       'E', 'f', 'm',  't',  ' ', 16,  0,    0,    0,    1,   0,
                                       1,   0,   0x40, 0x1F, 0,   0,   0x40, 0x1F, 0,    0,   1,
                                       0,   8,   0,    'd',  'a', 't', 'a',  0x20, 0x4E, 0,   0};
    std::vector<uint8_t> data = Payload(20000);
    file.insert(file.end(), data.begin(), data.end());
    uint32_t riff_size = static_cast<uint32_t>(file.size() - 8);
    for (int i = 0; i < 4; ++i) {
        file[4 + i] = static_cast<unsigned char>(riff_size >> (8 * i));
    }
    test::WriteFileBytes(scratch / "seek.wav", file);

    RiffWaveReader reader((scratch / "seek.wav").string());
    ASSERT_EQ(reader.Open(), 0);
    ASSERT_EQ(reader.Seek(2), 1);
    EXPECT_EQ(reader.GetPosition(), 16000u);
    uint8_t byte = 0;
    ASSERT_EQ(reader.Read(&byte, 1, nullptr), 1);
    EXPECT_EQ(byte, data[16000]);
    EXPECT_EQ(reader.Seek(3), -1); // 24000 lies past the chunk
    EXPECT_EQ(reader.Seek(-1), -1);
    ASSERT_EQ(reader.Seek(0), 1);
    int last = 0;
    EXPECT_EQ(ReadAll(reader, 4096, &last).size(), 20000u);
}

} // namespace
} // namespace sonarel
