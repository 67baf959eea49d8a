// The writer's outputs on a POSIX host: a file readable as WAVE from its first moment, pipes
// and devices.
#include "output/wave_file_writer.h"
#include "support/test_paths.h"
#include "support/wave_file.h"

#include <algorithm>
#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

namespace sonarel {
namespace {

const PcmFormat kCd(44100, 2, 16);

// A conversion killed at any moment leaves a WAVE file: an old file is replaced by a valid
// empty one at Open, not emptied first.
TEST(WaveFileWriterOnPosix, AFileIsAValidWaveFromItsOpenOn) {
    test::ScratchDir scratch;
    test::WriteFileBytes(scratch / "out.wav", std::vector<unsigned char>(5000, 0xCC));
    WaveFileWriter writer((scratch / "out.wav").string());
    writer.SetFormat(&kCd);
    ASSERT_EQ(writer.Open(), 0);
    const test::WaveFile wave = test::ReadWaveFile(scratch / "out.wav");
    EXPECT_EQ(test::WaveInconsistency(wave), "");
    EXPECT_EQ(wave.dataSize, 0u);
}

// A pipe cannot be patched: its header goes out once, with the announced sizes when they are
// exact, else with the streaming convention (0xFFFFFFFF). A pipe without a reader is refused
// at once instead of waited on. The console's pipe tests cover the rest end to end (a stream
// shorter than its Info frame claims, headers read by sox).
TEST(WaveFileWriterOnPosix, APipeGetsItsHeaderOnceWithExactOrStreamingSizes) {
    test::ScratchDir scratch;
    const std::string pipe = (scratch / "pipe.wav").string();
    ASSERT_EQ(mkfifo(pipe.c_str(), 0600), 0);
    const struct {
        uint64_t expected;
        bool exact;
        int written;
        uint32_t data_size; // in the header
        int error;          // after FinishData
    } cases[] = {
        {400, false, 400, 0xFFFFFFFF, 0},
        {400, true, 400, 400, 0},
        {400, true, 600, 400, WaveFileWriter::kErrorLengthChanged}, // nothing beyond 400 goes out
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.written);
        WaveFileWriter writer(pipe);
        writer.SetFormat(&kCd);
        writer.SetExpectedDataBytes(c.expected, c.exact);
        EXPECT_EQ(writer.Open(), WaveFileWriter::kOpenFailed); // no reader yet
        const int reader = open(pipe.c_str(), O_RDONLY | O_NONBLOCK);
        ASSERT_GE(reader, 0);
        ASSERT_EQ(writer.Open(), 0);
        EXPECT_TRUE(writer.IsStreaming());
        const std::vector<uint8_t> pcm(static_cast<size_t>(c.written), 0x5A);
        EXPECT_EQ(writer.Write(pcm.data(), c.written),
                  c.written > 400 && c.exact ? c.error : c.written);
        EXPECT_EQ(writer.FinishData(), c.error);
        writer.Close();
        std::vector<unsigned char> bytes(4096);
        const ssize_t got = read(reader, bytes.data(), bytes.size());
        close(reader);
        bytes.resize(static_cast<size_t>(std::max<ssize_t>(got, 0)));
        test::WriteFileBytes(scratch / "got.wav", bytes);
        const test::WaveFile wave = test::ReadWaveFile(scratch / "got.wav");
        EXPECT_EQ(wave.riffSize, c.data_size == 400 ? 448u : 0xFFFFFFFFu);
        EXPECT_EQ(wave.dataSize, c.data_size);
        EXPECT_EQ(wave.data.size(),
                  static_cast<size_t>(std::min(c.written, c.exact ? 400 : c.written)));
    }
    WaveFileWriter to_null("/dev/null"); // a device that seeks is written as a file
    to_null.SetFormat(&kCd);
    ASSERT_EQ(to_null.Open(), 0);
    EXPECT_FALSE(to_null.IsStreaming());
    EXPECT_EQ(to_null.Write(std::vector<uint8_t>(8, 0).data(), 8), 8);
}

} // namespace
} // namespace sonarel
