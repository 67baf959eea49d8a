// Named pipes and devices as inputs are refused at once: opening a pipe nobody writes to
// would wait for ever, and neither can be read twice (once to look at the stream, once to
// convert it).
#include <gtest/gtest.h>
#include <sys/stat.h>

#include "io/raw_file_reader.h"
#include "io/riff_wave_reader.h"
#include "support/test_paths.h"

namespace sonarel {
namespace {

TEST(InputFiles, NamedPipesAndDevicesAreRefusedWithoutWaiting) {
    test::ScratchDir scratch;
    const std::string pipe = (scratch / "pipe.mp3").string();
    ASSERT_EQ(mkfifo(pipe.c_str(), 0600), 0);
    RawFileReader raw_pipe(pipe);
    EXPECT_EQ(raw_pipe.Open(), -1);
    RawFileReader raw_device("/dev/zero");
    EXPECT_EQ(raw_device.Open(), -1);
    RiffWaveReader riff_pipe(pipe);
    EXPECT_EQ(riff_pipe.Open(), RiffWaveReader::kCannotOpen);
    RiffWaveReader riff_device("/dev/zero");
    EXPECT_EQ(riff_device.Open(), RiffWaveReader::kCannotOpen);
}

} // namespace
} // namespace sonarel
