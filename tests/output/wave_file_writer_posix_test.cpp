// Outputs that are not regular files on a POSIX host: pipes and devices.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <vector>

#include "output/wave_file_writer.h"
#include "support/test_paths.h"

namespace sonarel {
namespace {

uint32_t Le32At(const std::vector<unsigned char>& bytes, size_t at) {
    return static_cast<uint32_t>(bytes[at]) | static_cast<uint32_t>(bytes[at + 1]) << 8 |
           static_cast<uint32_t>(bytes[at + 2]) << 16 | static_cast<uint32_t>(bytes[at + 3]) << 24;
}

std::vector<uint8_t> Samples(size_t n) {
    return std::vector<uint8_t>(n, 0x5A);
}

// A pipe cannot be patched: its header goes out once, with the announced sizes when they are
// exact, else with the streaming convention (0xFFFFFFFF). A pipe without a reader is refused
// at once instead of waited on.
TEST(WaveFileWriterOnPosix, APipeGetsItsHeaderOnceWithExactOrStreamingSizes) {
    test::ScratchDir scratch;
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
    to_null.SetFormat(&format);
    ASSERT_EQ(to_null.Open(), 0);
    EXPECT_EQ(to_null.Write(Samples(8).data(), 8), 8);
    EXPECT_FALSE(to_null.IsStreaming());
}

} // namespace
} // namespace sonarel
