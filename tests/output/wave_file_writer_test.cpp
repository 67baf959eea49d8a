#include "output/wave_file_writer.h"

#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdio>
#include <filesystem>
#include <limits>
#include <string>
#include <vector>

#include "io/riff_wave_reader.h"
#include "support/test_paths.h"

namespace sonarel {
namespace {

uint32_t Le32At(const std::vector<unsigned char>& bytes, size_t at) {
    return static_cast<uint32_t>(bytes[at]) | static_cast<uint32_t>(bytes[at + 1]) << 8 |
           static_cast<uint32_t>(bytes[at + 2]) << 16 | static_cast<uint32_t>(bytes[at + 3]) << 24;
}

std::string TextAt(const std::vector<unsigned char>& bytes, size_t at) {
    return std::string(bytes.begin() + static_cast<std::ptrdiff_t>(at),
                       bytes.begin() + static_cast<std::ptrdiff_t>(at + 4));
}

std::vector<uint8_t> Samples(size_t n) {
    std::vector<uint8_t> bytes(n);
    for (size_t i = 0; i < n; ++i) {
        bytes[i] = static_cast<uint8_t>(i * 31 + 5);
    }
    return bytes;
}

class WaveFileWriterTest : public ::testing::Test {
protected:
    test::ScratchDir scratch;
    std::string path = (scratch / "out.wav").string();

    std::vector<unsigned char> WriteFile(const WaveFormatHolder& format,
                                         const std::vector<uint8_t>& pcm, size_t piece = 4608) {
        WaveFileWriter writer(path);
        writer.SetFormat(&format);
        EXPECT_EQ(writer.Open(), 0);
        for (size_t at = 0; at < pcm.size(); at += piece) {
            int n = static_cast<int>(std::min(piece, pcm.size() - at));
            EXPECT_EQ(writer.Write(pcm.data() + at, n), n);
        }
        writer.Close();
        EXPECT_FALSE(writer.IsOpen());
        return test::ReadFileBytes(path);
    }

    static void OpenAndWrite(WaveFileWriter& writer, const WaveFormatHolder& format, int bytes) {
        writer.SetFormat(&format);
        ASSERT_EQ(writer.Open(), 0);
        const std::vector<uint8_t> pcm = Samples(static_cast<size_t>(bytes));
        ASSERT_EQ(writer.Write(pcm.data(), bytes), bytes);
    }
};

TEST_F(WaveFileWriterTest, StereoLayoutByteByByte) {
    const size_t frames = 1000;
    std::vector<uint8_t> pcm = Samples(4 * frames);
    std::vector<unsigned char> file = WriteFile(PcmFormat(44100, 2, 16), pcm);
    ASSERT_EQ(file.size(), 56 + 4 * frames);
    EXPECT_EQ(TextAt(file, 0), "RIFF");
    EXPECT_EQ(Le32At(file, 4), 48 + 4 * frames);
    EXPECT_EQ(TextAt(file, 8), "WAVE");
    EXPECT_EQ(TextAt(file, 12), "fmt ");
    EXPECT_EQ(Le32At(file, 16), 16u);
    std::vector<unsigned char> record(file.begin() + 20, file.begin() + 36);
    std::vector<unsigned char> expected = {1,    0,    2, 0, 0x44, 0xAC, 0,  0,
                                           0x10, 0xB1, 2, 0, 4,    0,    16, 0};
    EXPECT_EQ(record, expected);
    EXPECT_EQ(TextAt(file, 36), "fact");
    EXPECT_EQ(Le32At(file, 40), 4u);
    EXPECT_EQ(Le32At(file, 44), frames);
    EXPECT_EQ(TextAt(file, 48), "data");
    EXPECT_EQ(Le32At(file, 52), 4 * frames);
    EXPECT_TRUE(std::equal(pcm.begin(), pcm.end(), file.begin() + 56));
}

TEST_F(WaveFileWriterTest, MonoSampleCountIsHalfTheDataLength) {
    std::vector<unsigned char> file = WriteFile(PcmFormat(22050, 1, 16), Samples(3000), 1000);
    ASSERT_EQ(file.size(), 56u + 3000u);
    EXPECT_EQ(file[32], 2); // block align
    EXPECT_EQ(Le32At(file, 44), 1500u);
    EXPECT_EQ(Le32At(file, 52), 3000u);
}

TEST_F(WaveFileWriterTest, NoPcmGivesAValidEmptyFile) {
    std::vector<unsigned char> file = WriteFile(PcmFormat(44100, 2, 16), {});
    ASSERT_EQ(file.size(), 56u);
    EXPECT_EQ(Le32At(file, 4), 48u);
    EXPECT_EQ(Le32At(file, 44), 0u);
    EXPECT_EQ(Le32At(file, 52), 0u);
}

TEST_F(WaveFileWriterTest, OddDataLengthCarriesAPadByte) {
    std::vector<uint8_t> pcm = Samples(1001);
    std::vector<unsigned char> file = WriteFile(PcmFormat(8000, 1, 16), pcm);
    ASSERT_EQ(file.size(), 56u + 1001u + 1u);
    EXPECT_EQ(Le32At(file, 52), 1001u);          // the chunk size excludes the pad
    EXPECT_EQ(Le32At(file, 4), file.size() - 8); // the RIFF size includes it
    EXPECT_EQ(file.back(), 0);
    EXPECT_EQ(Le32At(file, 44), 500u);
}

TEST_F(WaveFileWriterTest, EachConversionStartsItsOwnCount) {
    WaveFileWriter writer;
    PcmFormat format(44100, 2, 16);
    writer.SetFormat(&format);
    std::vector<uint8_t> pcm = Samples(4000);
    std::string first = (scratch / "first.wav").string();
    std::string second = (scratch / "second.wav").string();

    writer.Assign(first);
    ASSERT_EQ(writer.Open(), 0);
    ASSERT_EQ(writer.Write(pcm.data(), 4000), 4000);
    writer.Close();
    writer.Assign(second);
    ASSERT_EQ(writer.Open(), 0);
    ASSERT_EQ(writer.Write(pcm.data(), 400), 400);
    writer.Close();

    EXPECT_EQ(Le32At(test::ReadFileBytes(first), 44), 1000u);
    EXPECT_EQ(Le32At(test::ReadFileBytes(second), 44), 100u);
}

TEST_F(WaveFileWriterTest, OpenTruncatesAnExistingFile) {
    test::WriteFileBytes(path, std::vector<unsigned char>(5000, 0xCC));
    std::vector<unsigned char> file = WriteFile(PcmFormat(44100, 2, 16), Samples(8));
    EXPECT_EQ(file.size(), 64u);
}

// A second writer of a file that is being written fails at Open and leaves the file as
// the first one keeps it; once the first is done, the file is free again.
TEST_F(WaveFileWriterTest, AFileBeingWrittenIsLockedAgainstASecondWriter) {
    const PcmFormat format(44100, 2, 16);
    WaveFileWriter first(path);
    OpenAndWrite(first, format, 4608);
    WaveFileWriter second(path);
    second.SetFormat(&format);
    EXPECT_EQ(second.Open(), WaveFileWriter::kOpenBusy);
    EXPECT_FALSE(second.IsOpen());
    first.Close();
    const std::vector<unsigned char> bytes = test::ReadFileBytes(path);
    ASSERT_EQ(bytes.size(), 56u + 4608);
    EXPECT_EQ(Le32At(bytes, 52), 4608u);
    EXPECT_EQ(second.Open(), 0);
}

TEST_F(WaveFileWriterTest, DestructionCompletesTheFile) {
    {
        WaveFileWriter writer(path);
        PcmFormat format(44100, 2, 16);
        writer.SetFormat(&format);
        ASSERT_EQ(writer.Open(), 0);
        std::vector<uint8_t> pcm = Samples(40);
        writer.Write(pcm.data(), 40);
    }
    std::vector<unsigned char> file = test::ReadFileBytes(path);
    EXPECT_EQ(Le32At(file, 52), 40u);
    EXPECT_EQ(Le32At(file, 44), 10u);
}

TEST_F(WaveFileWriterTest, FailuresToOpenAndUseWhenClosed) {
    WaveFileWriter writer((scratch / "missing" / "out.wav").string());
    PcmFormat format(44100, 2, 16);
    writer.SetFormat(&format);
    EXPECT_EQ(writer.Open(), -1);
    EXPECT_FALSE(writer.IsOpen());
    uint8_t byte = 0;
    EXPECT_EQ(writer.Write(&byte, 1), WaveFileWriter::kErrorNotOpen);
    writer.Close(); // nothing to do

    WaveFileWriter no_format(path);
    EXPECT_EQ(no_format.GetFormat(), nullptr);
    EXPECT_EQ(no_format.Open(), -1);
    EXPECT_FALSE(std::filesystem::exists(path));
}

// A pipe cannot be patched: its header goes out once, with the announced sizes when they are
// exact, else with the streaming convention (0xFFFFFFFF). A pipe without a reader is refused
// at once instead of waited on.
TEST_F(WaveFileWriterTest, APipeGetsItsHeaderOnceWithExactOrStreamingSizes) {
    const std::string pipe = (scratch / "pipe.wav").string();
    ASSERT_EQ(mkfifo(pipe.c_str(), 0600), 0);
    const PcmFormat format(44100, 2, 16);
    struct Case {
        uint64_t expected;
        bool exact;
        int written;
        uint32_t sizeField; // RIFF size, data size
        int error;          // after FinishData
    } cases[] = {
        {0, false, 400, 0xFFFFFFFF, 0},
        {400, false, 400, 0xFFFFFFFF, 0},
        {400, true, 400, 400, 0},
        {400, true, 200, 400, WaveFileWriter::kErrorLengthChanged}, // the stream fell short
        {400, true, 600, 400, WaveFileWriter::kErrorLengthChanged}, // nothing beyond 400 goes out
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.written);
        WaveFileWriter writer(pipe);
        writer.SetFormat(&format);
        writer.SetExpectedDataBytes(c.expected, c.exact);
        EXPECT_EQ(writer.Open(), WaveFileWriter::kOpenFailed); // no reader yet
        const int reader = open(pipe.c_str(), O_RDONLY | O_NONBLOCK);
        ASSERT_GE(reader, 0);
        ASSERT_EQ(writer.Open(), 0);
        EXPECT_TRUE(writer.IsStreaming());
        const std::vector<uint8_t> pcm = Samples(static_cast<size_t>(c.written));
        const int wrote = writer.Write(pcm.data(), c.written);
        EXPECT_EQ(wrote, c.written > 400 && c.exact ? c.error : c.written);
        EXPECT_EQ(writer.FinishData(), c.error);
        writer.Close();
        std::vector<unsigned char> file(4096);
        const ssize_t got = read(reader, file.data(), file.size());
        close(reader);
        ASSERT_GE(got, 56);
        file.resize(static_cast<size_t>(got));
        EXPECT_EQ(Le32At(file, 4), c.sizeField == 400 ? 448u : 0xFFFFFFFFu);
        EXPECT_EQ(Le32At(file, 52), c.sizeField);
        EXPECT_EQ(file.size(), 56u + std::min(c.written, c.exact ? 400 : c.written));
    }
    WaveFileWriter to_null("/dev/null"); // a device that seeks is written as a file
    OpenAndWrite(to_null, format, 8);
    EXPECT_FALSE(to_null.IsStreaming());
}

TEST_F(WaveFileWriterTest, FormatIsCopied) {
    WaveFileWriter writer(path);
    {
        PcmFormat format(32000, 1, 16);
        writer.SetFormat(&format);
    }
    ASSERT_NE(writer.GetFormat(), nullptr);
    EXPECT_EQ(writer.GetFormat()->Header().samples_per_sec, 32000u);
    writer.SetFormat(nullptr);
    EXPECT_EQ(writer.GetFormat(), nullptr);
}

TEST_F(WaveFileWriterTest, Mp3FormatIsWrittenWholeWithItsSampleCount) {
    Mp3WaveFormat format;
    ASSERT_TRUE(format.Build(128, 44100, 2));
    std::vector<unsigned char> file = WriteFile(format, Samples(3 * 417));
    EXPECT_EQ(Le32At(file, 16), 30u);
    EXPECT_EQ(TextAt(file, 50), "fact");
    EXPECT_EQ(Le32At(file, 58), 2u * 1152u); // (3 blocks - 1) frames of 1152 samples
    EXPECT_EQ(TextAt(file, 62), "data");

    ASSERT_TRUE(format.Build(64, 22050, 1));
    uint16_t block = format.Mp3Extension().block_size;
    file = WriteFile(format, Samples(2u * block + 5));
    EXPECT_EQ(Le32At(file, 58), 576u);
    file = WriteFile(format, {});
    EXPECT_EQ(Le32At(file, 58), 0u); // no frame at all: no samples rather than a wrapped count
}

TEST_F(WaveFileWriterTest, OddFormatChunkIsPadded) {
    WaveFormatHolder format;
    std::vector<uint8_t> record = EncodeWaveFormat({2, 1, 8000, 4096, 256, 4, 1});
    record.push_back(0x42);
    format.Set(record);
    ASSERT_EQ(format.Size(), 19u);
    std::vector<unsigned char> file = WriteFile(format, Samples(10));
    EXPECT_EQ(Le32At(file, 16), 19u);
    EXPECT_EQ(file[39], 0);
    EXPECT_EQ(TextAt(file, 40), "fact");
    EXPECT_EQ(Le32At(file, 48), 0u); // neither PCM nor Layer-3: no sample count
    EXPECT_EQ(TextAt(file, 52), "data");
    EXPECT_EQ(file.size(), 60u + 10u);
}

TEST_F(WaveFileWriterTest, OwnReaderGetsBackWhatWasWritten) {
    std::vector<uint8_t> pcm = Samples(10000);
    WriteFile(PcmFormat(48000, 2, 16), pcm, 777);
    RiffWaveReader reader(path);
    ASSERT_EQ(reader.Open(), 0);
    EXPECT_EQ(reader.IsPcm(), 1);
    EXPECT_EQ(reader.GetSize(), 10000u);
    std::vector<uint8_t> got(10000);
    EXPECT_EQ(reader.Read(got.data(), 20000, nullptr), 10000);
    EXPECT_EQ(got, pcm);
}

// Python's wave module is a reader written independently of ours.
std::string DescribeWithPython(const std::string& path) {
    std::string command =
        "python3 -c \"import sys, wave; w = wave.open(sys.argv[1], 'rb'); "
        "d = w.readframes(w.getnframes()); "
        "print(w.getframerate(), w.getnchannels(), w.getsampwidth(), w.getnframes(), len(d))\" '" +
        path + "' 2>&1";
    std::FILE* pipe = popen(command.c_str(), "r");
    if (pipe == nullptr) {
        return std::string();
    }
    std::string out;
    char line[256];
    while (std::fgets(line, sizeof line, pipe) != nullptr) {
        out += line;
    }
    return pclose(pipe) == 0 ? out : "failed: " + out;
}

bool HavePython() {
    return std::system("python3 -c 'import wave' >/dev/null 2>&1") == 0;
}

TEST_F(WaveFileWriterTest, IndependentReaderAcceptsTheFile) {
    if (!HavePython()) {
        GTEST_SKIP() << "python3 is not installed; the independent reader check was skipped";
    }
    WriteFile(PcmFormat(44100, 2, 16), Samples(4 * 1234), 1000);
    EXPECT_EQ(DescribeWithPython(path), "44100 2 2 1234 4936\n");

    WriteFile(PcmFormat(16000, 1, 16), Samples(2 * 333));
    EXPECT_EQ(DescribeWithPython(path), "16000 1 2 333 666\n");
}

TEST_F(WaveFileWriterTest, IndependentReaderAcceptsAnOddDataChunk) {
    if (!HavePython()) {
        GTEST_SKIP() << "python3 is not installed; the independent reader check was skipped";
    }
    std::vector<unsigned char> file = WriteFile(PcmFormat(8000, 1, 16), Samples(2 * 50 + 1));
    EXPECT_EQ(file.size() % 2, 0u);
    EXPECT_EQ(DescribeWithPython(path), "8000 1 2 50 100\n");
}

} // namespace
} // namespace sonarel
