// The writer at the edges: a disk that fills up, the system refusing a write,
// and the 4 GiB size limit of RIFF files.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <limits>
#include <string>
#include <vector>

#include "io/riff_wave_reader.h"
#include "output/wave_file_writer.h"
#include "support/test_paths.h"

namespace sonarel {
namespace {

uint32_t Le32At(const std::vector<unsigned char>& bytes, size_t at) {
    return static_cast<uint32_t>(bytes[at]) | static_cast<uint32_t>(bytes[at + 1]) << 8 |
           static_cast<uint32_t>(bytes[at + 2]) << 16 | static_cast<uint32_t>(bytes[at + 3]) << 24;
}

// A writer whose storage can be limited: after `capacity` bytes in all (header
// included) the disk is full; each call stores at most `per_call` bytes; or the
// system fails every write.
class LimitedWriter : public WaveFileWriter {
public:
    using WaveFileWriter::WaveFileWriter;
    uint64_t capacity = std::numeric_limits<uint64_t>::max();
    size_t per_call = std::numeric_limits<size_t>::max();
    bool fail = false;
    bool refuse_truncate = false;
    uint64_t data_limit = 0; // 0: the real limit
    int raw_calls = 0;

protected:
    int64_t WriteRaw(const uint8_t* data, size_t size) override {
        ++raw_calls;
        if (fail) {
            return -1;
        }
        size_t allowed =
            static_cast<size_t>(std::min<uint64_t>({size, per_call, capacity - used_}));
        if (allowed == 0) {
            return 0;
        }
        int64_t stored = WaveFileWriter::WriteRaw(data, allowed);
        used_ += static_cast<uint64_t>(stored);
        return stored;
    }
    uint64_t DataLimit() const override { return data_limit != 0 ? data_limit : MaxDataBytes(); }
    bool TruncateRaw(uint64_t size) override {
        if (refuse_truncate) {
            return false;
        }
        used_ = std::min(used_, size);
        return WaveFileWriter::TruncateRaw(size);
    }

private:
    uint64_t used_ = 0;
};

std::vector<uint8_t> Samples(size_t n) {
    std::vector<uint8_t> bytes(n);
    for (size_t i = 0; i < n; ++i) {
        bytes[i] = static_cast<uint8_t>(i * 17 + 3);
    }
    return bytes;
}

class WriterLimitsTest : public ::testing::Test {
protected:
    test::ScratchDir scratch;
    std::string path = (scratch / "out.wav").string();
    PcmFormat format{44100, 2, 16};
    std::vector<uint8_t> pcm = Samples(4608);

    // The file must be a valid WAVE holding exactly `count` leading bytes of pcm.
    void ExpectValidFileWith(uint64_t count) {
        std::vector<unsigned char> file = test::ReadFileBytes(path);
        ASSERT_GE(file.size(), 56u);
        EXPECT_EQ(Le32At(file, 4), file.size() - 8);
        EXPECT_EQ(Le32At(file, 52), count);
        RiffWaveReader reader(path);
        ASSERT_EQ(reader.Open(), 0);
        EXPECT_EQ(reader.GetSize(), count);
        std::vector<uint8_t> got(4608 * 4);
        int n = reader.Read(got.data(), static_cast<int32_t>(got.size()), nullptr);
        got.resize(n > 0 ? static_cast<size_t>(n) : 0);
        EXPECT_EQ(got, std::vector<uint8_t>(pcm.begin(), pcm.begin() + static_cast<long>(count)));
    }
};

TEST_F(WriterLimitsTest, ShortWritesAreRepeatedUntilAllIsStored) {
    LimitedWriter writer(path);
    writer.SetFormat(&format);
    writer.per_call = 7;
    ASSERT_EQ(writer.Open(), 0);
    EXPECT_EQ(writer.Write(pcm.data(), 1000), 1000);
    EXPECT_EQ(writer.LastError(), 0);
    writer.Close();
    ExpectValidFileWith(1000);
}

TEST_F(WriterLimitsTest, DiskFullEndsTheWriteOnTheLastWholeFrame) {
    LimitedWriter writer(path);
    writer.SetFormat(&format);
    writer.capacity = 56 + 1000 + 301; // room for the header and 1301 data bytes
    writer.per_call = 512;
    ASSERT_EQ(writer.Open(), 0);
    EXPECT_EQ(writer.Write(pcm.data(), 1000), 1000);
    EXPECT_EQ(writer.Write(pcm.data() + 1000, 1000), WaveFileWriter::kErrorDiskFull);
    // The frame that was stored in part is cut off again.
    EXPECT_EQ(writer.DataBytes(), 1300u);
    EXPECT_EQ(writer.LastError(), WaveFileWriter::kErrorDiskFull);

    // Later writes are refused at once, so the data stays a gap-free prefix.
    int calls = writer.raw_calls;
    EXPECT_EQ(writer.Write(pcm.data() + 2000, 100), WaveFileWriter::kErrorDiskFull);
    EXPECT_EQ(writer.raw_calls, calls);
    writer.Close();
    ExpectValidFileWith(1300);
}

TEST_F(WriterLimitsTest, SizesDescribeThePartFrameWhenItCannotBeCutOff) {
    LimitedWriter writer(path);
    writer.SetFormat(&format);
    writer.capacity = 56 + 1301;
    writer.refuse_truncate = true;
    ASSERT_EQ(writer.Open(), 0);
    EXPECT_EQ(writer.Write(pcm.data(), 2000), WaveFileWriter::kErrorDiskFull);
    EXPECT_EQ(writer.DataBytes(), 1301u);
    writer.Close(); // no room for the pad byte either
    ExpectValidFileWith(1301);
}

TEST_F(WriterLimitsTest, SystemErrorIsReported) {
    LimitedWriter writer(path);
    writer.SetFormat(&format);
    ASSERT_EQ(writer.Open(), 0);
    writer.fail = true;
    EXPECT_EQ(writer.Write(pcm.data(), 100), WaveFileWriter::kErrorWriteFailed);
    EXPECT_EQ(writer.DataBytes(), 0u);
    writer.Close();
    ExpectValidFileWith(0);
}

TEST_F(WriterLimitsTest, HeaderThatCannotBeStoredFailsTheOpen) {
    LimitedWriter writer(path);
    writer.SetFormat(&format);
    writer.capacity = 20;
    EXPECT_EQ(writer.Open(), -1);
    EXPECT_FALSE(writer.IsOpen());
}

TEST_F(WriterLimitsTest, ErrorIsClearedByTheNextOpen) {
    LimitedWriter writer(path);
    writer.SetFormat(&format);
    writer.data_limit = 8;
    ASSERT_EQ(writer.Open(), 0);
    EXPECT_EQ(writer.Write(pcm.data(), 12), WaveFileWriter::kErrorSizeLimit);
    writer.Close();
    writer.data_limit = 0;
    ASSERT_EQ(writer.Open(), 0);
    EXPECT_EQ(writer.LastError(), 0);
    EXPECT_EQ(writer.Write(pcm.data(), 12), 12);
    writer.Close();
    ExpectValidFileWith(12);
}

TEST_F(WriterLimitsTest, LimitRefusesOnlyTheBytesThatDoNotFit) {
    LimitedWriter writer(path);
    writer.SetFormat(&format);
    writer.data_limit = 2000;
    ASSERT_EQ(writer.Open(), 0);
    EXPECT_EQ(writer.Write(pcm.data(), 1500), 1500);
    EXPECT_EQ(writer.Write(pcm.data() + 1500, 1500), WaveFileWriter::kErrorSizeLimit);
    EXPECT_EQ(writer.DataBytes(), 2000u);
    EXPECT_EQ(writer.Write(pcm.data() + 2000, 4), WaveFileWriter::kErrorSizeLimit);
    writer.Close();
    ExpectValidFileWith(2000);
}

TEST(WriterMaxDataTest, RealLimitKeepsSizesIn32BitsWithWholeFrames) {
    struct Case {
        WaveFormatHolder format;
        uint64_t header;
    };
    Mp3WaveFormat mp3;
    ASSERT_TRUE(mp3.Build(128, 44100, 2));
    std::vector<Case> cases = {{PcmFormat(44100, 2, 16), 56},
                               {PcmFormat(22050, 1, 16), 56},
                               {PcmFormat(8000, 1, 8), 56},
                               {mp3, 70}};
    for (const Case& c : cases) {
        WaveFileWriter writer;
        writer.SetFormat(&c.format);
        uint64_t max = writer.MaxDataBytes();
        uint64_t pad = max & 1u;
        uint64_t align = std::max<uint64_t>(c.format.Header().block_align, 1);
        EXPECT_LE(c.header + max + pad - 8, 0xFFFFFFFFull);
        EXPECT_EQ(max % align, 0u);
        // Not needlessly small: one more frame would not fit.
        uint64_t next = max + align;
        EXPECT_GT(c.header + next + (next & 1u) - 8, 0xFFFFFFFFull);
    }
    WaveFileWriter stereo;
    PcmFormat cd(44100, 2, 16);
    stereo.SetFormat(&cd);
    EXPECT_EQ(stereo.MaxDataBytes(), 4294967244ull);
}

// Pretends to store the data (and really stores the header), so a file can
// reach the 4 GiB limit without using the disk.
class PretendWriter : public WaveFileWriter {
public:
    using WaveFileWriter::WaveFileWriter;
    bool pretend = false;

protected:
    int64_t WriteRaw(const uint8_t* data, size_t size) override {
        return pretend ? static_cast<int64_t>(size) : WaveFileWriter::WriteRaw(data, size);
    }
};

TEST_F(WriterLimitsTest, SizesAtTheRiffLimitAreExactNeverWrapped) {
    PretendWriter writer(path);
    writer.SetFormat(&format);
    ASSERT_EQ(writer.Open(), 0);
    writer.pretend = true;
    const int32_t gib = 1 << 30;
    for (int i = 0; i < 3; ++i) {
        EXPECT_EQ(writer.Write(pcm.data(), gib), gib);
    }
    EXPECT_EQ(writer.Write(pcm.data(), gib), WaveFileWriter::kErrorSizeLimit);
    const uint64_t limit = 4294967244ull;
    EXPECT_EQ(writer.DataBytes(), limit);
    writer.Close();
    std::vector<unsigned char> file = test::ReadFileBytes(path);
    ASSERT_EQ(file.size(), 56u);
    EXPECT_EQ(Le32At(file, 4), 56 + limit - 8);
    EXPECT_EQ(Le32At(file, 44), limit / 4);
    EXPECT_EQ(Le32At(file, 52), limit);
}

std::string TextAt(const std::vector<unsigned char>& bytes, size_t at) {
    return std::string(bytes.begin() + static_cast<std::ptrdiff_t>(at),
                       bytes.begin() + static_cast<std::ptrdiff_t>(at + 4));
}

bool HaveSox() {
    return std::system("command -v sox >/dev/null 2>&1") == 0;
}

// Expected data above 2 GiB reserves a JUNK chunk after "WAVE". With the limit lowered to
// 2000 bytes: a file that stays below it is an ordinary RIFF file whose JUNK chunk readers
// skip; one that passes it becomes RF64. sox and our reader read every byte of both.
TEST_F(WriterLimitsTest, AReservedFileTurnsIntoRf64WhenItPassesTheLimit) {
    for (const size_t written : {1500u, 2000u, 4000u}) {
        SCOPED_TRACE(written);
        LimitedWriter writer(path);
        writer.SetFormat(&format);
        writer.data_limit = 2000;
        writer.SetExpectedDataBytes(uint64_t{3} << 30, false);
        ASSERT_EQ(writer.Open(), 0);
        for (size_t at = 0; at < written; at += 1500) {
            const int n = static_cast<int>(std::min<size_t>(1500, written - at));
            EXPECT_EQ(writer.Write(pcm.data() + at, n), n);
        }
        EXPECT_EQ(writer.IsRf64(), written > 2000);
        writer.Close();
        const std::vector<unsigned char> file = test::ReadFileBytes(path);
        ASSERT_EQ(file.size(), 92 + written);
        EXPECT_EQ(TextAt(file, 0), written > 2000 ? "RF64" : "RIFF");
        EXPECT_EQ(TextAt(file, 12), written > 2000 ? "ds64" : "JUNK");
        EXPECT_EQ(Le32At(file, 88), written > 2000 ? 0xFFFFFFFFu : written);
        const std::vector<uint8_t> expected(pcm.begin(), pcm.begin() + static_cast<long>(written));
        RiffWaveReader reader(path);
        ASSERT_EQ(reader.Open(), 0);
        EXPECT_EQ(reader.DataLength(), written);
        std::vector<uint8_t> got(8192);
        got.resize(static_cast<size_t>(std::max(reader.Read(got.data(), 8192, nullptr), 0)));
        EXPECT_EQ(got, expected);
        if (HaveSox()) {
            const std::string raw = (scratch / "sox.raw").string();
            ASSERT_EQ(std::system(("sox -t wav '" + path + "' -t raw '" + raw + "'").c_str()), 0);
            EXPECT_EQ(test::ReadFileBytes(raw), expected);
        }
    }
}

// The real limit, once: 5 GiB of data on a sparse file. Only the header is really written;
// the file is then stretched to its length without using the disk. (ffprobe reads only the
// header; sox would read all 5 GiB.)
TEST_F(WriterLimitsTest, FiveGibibytesMakeAnRf64FileThatFfprobeAndOurReaderMeasure) {
    const uint64_t data = uint64_t{5} << 30;
    PretendWriter writer(path);
    writer.SetFormat(&format);
    writer.SetExpectedDataBytes(data, true);
    ASSERT_EQ(writer.Open(), 0);
    writer.pretend = true;
    for (int i = 0; i < 5; ++i) {
        ASSERT_EQ(writer.Write(pcm.data(), 1 << 30), 1 << 30);
    }
    writer.Close();
    std::filesystem::resize_file(path, 92 + data);
    RiffWaveReader reader(path);
    ASSERT_EQ(reader.Open(), 0);
    EXPECT_EQ(reader.DataLength(), data);
    EXPECT_EQ(reader.GetSize(), 0xFFFFFFFFu);
    if (std::system("command -v ffprobe >/dev/null 2>&1") == 0) {
        const std::string count = (scratch / "count.txt").string();
        ASSERT_EQ(std::system(("ffprobe -v error -show_entries stream=duration_ts -of csv=p=0 '" +
                               path + "' > '" + count + "'")
                                  .c_str()),
                  0);
        const std::vector<unsigned char> text = test::ReadFileBytes(count);
        EXPECT_EQ(std::string(text.begin(), text.end()), std::to_string(data / 4) + "\n");
    }
}

} // namespace
} // namespace sonarel
