// Outputs that are not regular files on a POSIX host.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include "output/wave_file_writer.h"
#include "support/test_paths.h"

namespace sonarel {
namespace {

TEST(WaveFileWriterOnPosix, NamedPipeIsRefusedAtOnceButTheNullDeviceIsAccepted) {
    // The sizes are patched in place at the end, which a pipe cannot take; opening
    // one without a reader would otherwise wait for ever.
    test::ScratchDir scratch;
    const std::string pipe = (scratch / "pipe.wav").string();
    ASSERT_EQ(mkfifo(pipe.c_str(), 0600), 0);
    PcmFormat format(44100, 2, 16);
    WaveFileWriter to_pipe(pipe);
    to_pipe.SetFormat(&format);
    EXPECT_EQ(to_pipe.Open(), -1);
    int reader = open(pipe.c_str(), O_RDONLY | O_NONBLOCK);
    ASSERT_GE(reader, 0);
    EXPECT_EQ(to_pipe.Open(), -1); // with a reader waiting as well
    close(reader);

    WaveFileWriter to_null("/dev/null");
    to_null.SetFormat(&format);
    ASSERT_EQ(to_null.Open(), 0);
    const uint8_t samples[8] = {1, 2, 3, 4, 5, 6, 7, 8};
    EXPECT_EQ(to_null.Write(samples, 8), 8);
    to_null.Close();
}

} // namespace
} // namespace sonarel
