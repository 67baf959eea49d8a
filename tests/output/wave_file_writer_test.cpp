// The WAVE writer: every kind of format with its sample count, and sizes that always describe
// what the file holds, whatever happens (short writes, a full disk, I/O errors, the RIFF
// limit, RF64); files that are replaced, locked or cannot be made. Files are walked chunk by
// chunk by the tests' own checker.
#include "support/limited_writer.h"
#include "support/test_paths.h"
#include "support/wave_file.h"

#include <filesystem>
#include <gtest/gtest.h>
#include <initializer_list>
#include <optional>
#include <string>

namespace sonarel {
namespace {

using Bytes = std::vector<uint8_t>;
using test::Disk;

constexpr int kFull = WaveFileWriter::kErrorDiskFull, kLimit = WaveFileWriter::kErrorSizeLimit;
constexpr int32_t kGib = 1 << 30;

class WaveFileWriterTest : public ::testing::Test {
protected:
    Bytes Prefix(uint64_t n) const { return Bytes(pcm.begin(), pcm.begin() + int64_t(n)); }

    test::ScratchDir scratch;
    std::string path = (scratch / "out.wav").string();
    const PcmFormat cd{44100, 2, 16};
    const Bytes pcm = [] {
        Bytes bytes(8192);
        for (size_t i = 0; i < bytes.size(); ++i) {
            bytes[i] = uint8_t(i * 31 + 5);
        }
        return bytes;
    }();
};

// Whatever goes wrong, the file keeps a gap-free prefix of the data that its sizes describe;
// after an error nothing more is tried until the next Open, which starts afresh. Odd data is
// followed by a pad byte when there is room for one.
TEST_F(WaveFileWriterTest, SizesDescribeWhatTheFileHoldsWhateverHappens) {
    Mp3WaveFormat mp3, low;
    ASSERT_TRUE(mp3.Build(128, 44100, 2) && low.Build(64, 22050, 1));
    const int block = mp3.Mp3Extension().block_size, low_block = low.Mp3Extension().block_size;
    const PcmFormat mono8(8000, 1, 8);
    const struct {
        const WaveFormatHolder* format;
        Disk disk;
        std::vector<std::pair<int, int>> writes; // length, result
        uint64_t stored;
        std::optional<uint64_t> fact = {}; // PCM: the checker's count of sample frames
        uint64_t expected = 0;             // data bytes announced before Open
        const char* first = "fmt ";        // chunk
        const char* inconsistency = "";
    } cases[] = {
        {&cd, {}, {{1000, 1000}, {3000, 3000}}, 4000},
        {&cd, {}, {}, 0},
        {&mono8, {}, {{1001, 1001}}, 1001},
        {&mp3, {}, {{3 * block, 3 * block}}, 3u * block, 2 * 1152}, // a frame of decoder delay
        {&low, {}, {{2 * low_block + 5, 2 * low_block + 5}}, 2u * low_block + 5, 576},
        {&mp3, {}, {}, 0, 0}, // no frame: no samples rather than a wrapped count
        {&cd, {.per_call = 7}, {{1000, 1000}}, 1000},
        // The frame stored in part when the disk fills is cut off again, if it can be.
        {&cd,
         {.capacity = 56 + 1301, .per_call = 512},
         {{1000, 1000}, {1000, kFull}, {4, kFull}},
         1300},
        {&cd,
         {.capacity = 56 + 1301, .truncates = false},
         {{2000, kFull}},
         1301,
         {},
         0,
         "fmt ",
         "the data ends inside a sample frame"},
        {&mono8, {.capacity = 56 + 1301, .per_call = 512}, {{1000, 1000}, {1000, kFull}}, 1301},
        {&cd, {.good_calls = 1}, {{100, WaveFileWriter::kErrorWriteFailed}}, 0},
        {&cd, {.data_limit = 2000}, {{1500, 1500}, {1500, kLimit}, {4, kLimit}}, 2000},
        // Expected data beyond 2 GiB reserves a chunk that turns into "ds64" past the limit.
        {&cd,
         {.data_limit = 2000},
         {{1500, 1500}, {500, 500}},
         2000,
         {},
         3 * uint64_t{kGib},
         "JUNK"},
        {&cd,
         {.data_limit = 2000},
         {{1500, 1500}, {2500, 2500}},
         4000,
         {},
         3 * uint64_t{kGib},
         "ds64"},
        // The real limit: the data is only pretended, then the file stretched to its length.
        {&cd,
         {.real_calls = 1},
         {{kGib, kGib}, {kGib, kGib}, {kGib, kGib}, {kGib, kLimit}},
         4294967244},
        {&cd,
         {.real_calls = 1},
         std::vector(5, std::pair(kGib, kGib)),
         5 * uint64_t{kGib},
         {},
         5 * uint64_t{kGib},
         "ds64"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(&c - cases);
        test::LimitedWriter writer(path);
        writer.disk = c.disk;
        writer.SetExpectedDataBytes(c.expected, true);
        writer.SetFormat(c.format);
        ASSERT_EQ(writer.Open(), 0);
        int error = 0;
        for (const auto& [length, result] : c.writes) {
            const int calls = writer.raw_calls;
            EXPECT_EQ(writer.Write(pcm.data() + (writer.DataBytes() % kGib), length), result);
            EXPECT_TRUE(error == 0 || writer.raw_calls == calls);
            error = error != 0 ? error : std::min(result, 0);
        }
        EXPECT_EQ(writer.DataBytes(), c.stored);
        EXPECT_EQ(writer.LastError(), error);
        EXPECT_EQ(writer.IsRf64(), c.first == std::string("ds64"));
        writer.Close();
        const bool pretended = c.stored > pcm.size();
        if (pretended) {
            std::filesystem::resize_file(path, std::filesystem::file_size(path) + c.stored);
        }
        test::WaveFile wave = test::ReadWaveFile(path, !pretended);
        EXPECT_EQ(test::WaveInconsistency(wave, test::WaveEnd::kPadMayBeMissing),
                  c.inconsistency); // the pad: see below
        EXPECT_EQ(wave.form, c.first == std::string("ds64") ? "RF64" : "RIFF");
        EXPECT_EQ(wave.chunks.front(), c.first);
        EXPECT_EQ(wave.format, Bytes(c.format->Get(), c.format->Get() + c.format->Size()));
        EXPECT_EQ(wave.fact, c.fact ? c.fact : wave.fact);
        EXPECT_EQ(wave.dataSize, c.stored);
        EXPECT_EQ(wave.fileSize % 2, c.stored % 2 == 1 && c.disk.capacity != UINT64_MAX); // no pad
        wave.data.resize(pretended ? 0 : c.stored);
        EXPECT_EQ(wave.data, Prefix(pretended ? 0 : c.stored));

        writer.disk = {};
        ASSERT_EQ(writer.Open(), 0);
        EXPECT_EQ(writer.LastError(), 0);
        EXPECT_EQ(writer.Write(pcm.data(), 12), 12);
        writer.Close();
        EXPECT_EQ(test::ReadWaveFile(path).dataSize, 12u);
    }
}

// Nothing is left of a file that could not be made; an old file is replaced from its first
// byte; while a file is written a second writer cannot open it and leaves it alone; a
// destroyed writer completes its file.
TEST_F(WaveFileWriterTest, OpenFailsWithoutLeavingAFileAndLocksTheFileItWrites) {
    WaveFileWriter unnamed, no_folder((scratch / "missing" / "out.wav").string()), no_format(path);
    test::LimitedWriter no_room(path);
    no_room.disk.capacity = 20;
    for (WaveFileWriter* writer :
         {&unnamed, &no_folder, &no_format, static_cast<WaveFileWriter*>(&no_room)}) {
        writer->SetFormat(writer != &no_format ? &cd : nullptr);
        EXPECT_EQ(writer->Open(), WaveFileWriter::kOpenFailed);
        EXPECT_EQ(writer->Write(pcm.data(), 1), WaveFileWriter::kErrorNotOpen);
    }
    EXPECT_FALSE(std::filesystem::exists(path));

    test::WriteFileBytes(path, Bytes(50000, 0xCC));
    {
        WaveFileWriter first(path), second(path);
        first.SetFormat(&cd);
        ASSERT_EQ(first.Open(), 0);
        ASSERT_EQ(first.Write(pcm.data(), 4608), 4608);
        second.SetFormat(first.GetFormat());
        EXPECT_EQ(second.Open(), WaveFileWriter::kOpenBusy);
        EXPECT_FALSE(second.IsOpen());
    }
    const test::WaveFile wave = test::ReadWaveFile(path);
    EXPECT_EQ(test::WaveInconsistency(wave), "");
    EXPECT_EQ(wave.data, Prefix(4608));
}

} // namespace
} // namespace sonarel
