// Pipes as input. Standard input is read twice: the probe's bytes come again for the
// conversion, tags in front are read past, memory stays bounded (past the kept bytes no
// new start is possible), and a read that waits ends when it is cancelled. Named pipes
// are refused.
#include "io/pipe_reader.h"
#include "io/raw_file_reader.h"
#include "io/riff_wave_reader.h"
#include "support/test_paths.h"

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <thread>
#include <unistd.h>
#include <vector>

namespace sonarel {
namespace {

// A pipe written from another thread (it holds only 64 KiB) and then closed.
struct FedPipe {
    explicit FedPipe(std::vector<uint8_t> bytes) {
        EXPECT_EQ(pipe(fds), 0);
        writer = std::thread([this, bytes = std::move(bytes)] {
            for (size_t at = 0; at < bytes.size();) {
                at += size_t(
                    std::max<ssize_t>(write(fds[1], bytes.data() + at, bytes.size() - at), 0));
            }
            close(fds[1]);
        });
    }
    ~FedPipe() {
        writer.join();
        close(fds[0]);
    }
    int fds[2] = {-1, -1};
    std::thread writer;
};

std::vector<uint8_t> ReadAll(PipeReader& reader, size_t limit) {
    std::vector<uint8_t> got;
    uint8_t chunk[5000];
    for (int n = 1; got.size() < limit && n > 0;) {
        n = reader.Read(chunk, int32_t(std::min(sizeof chunk, limit - got.size())), nullptr);
        got.insert(got.end(), chunk, chunk + std::max(n, 0));
    }
    return got;
}

TEST(PipeReader, TheProbedStartComesAgainUntilMoreThanIsKeptWasRead) {
    const std::vector<uint8_t> tag = {'I', 'D', '3', 3, 0, 0, 0, 0, 0, 10,
                                      1,   2,   3,   4, 5, 6, 7, 8, 9, 10};
    std::vector<uint8_t> audio(ReplayablePipe::kPrefixBytes + 100'000);
    for (size_t i = 0; i < audio.size(); ++i) {
        audio[i] = static_cast<uint8_t>(i * 7 + i / 251);
    }
    std::vector<uint8_t> stream = tag;
    stream.insert(stream.end(), audio.begin(), audio.end());
    FedPipe fed(stream);
    ReplayablePipe pipe(fed.fds[0]);
    PipeReader probe(pipe, kStandardInputPath);
    ASSERT_EQ(probe.Open(), 0);
    EXPECT_EQ(probe.IsSeekable(), 0);
    const size_t probed = ReplayablePipe::kPrefixBytes;
    EXPECT_TRUE(ReadAll(probe, probed) ==
                std::vector<uint8_t>(audio.begin(), audio.begin() + probed));
    EXPECT_EQ(probe.GetPosition(), probed);
    PipeReader conversion(pipe, kStandardInputPath);
    ASSERT_EQ(conversion.Open(), 0);
    EXPECT_TRUE(ReadAll(conversion, audio.size() + 1) == audio);
    EXPECT_FALSE(conversion.HasFailed());
    PipeReader third(pipe, kStandardInputPath);
    EXPECT_EQ(third.Open(), -1); // the start is no longer kept
}

TEST(PipeReader, ARiffFileIsRecognisedAndAWaitingReadEndsOnCancel) {
    {
        FedPipe fed({'R', 'I', 'F', 'F', 4, 0, 0, 0, 'W', 'A', 'V', 'E'});
        ReplayablePipe riff(fed.fds[0]);
        PipeReader reader(riff, kStandardInputPath);
        EXPECT_EQ(reader.Open(), PipeReader::kNeedsSeeking);
    }
    int waiting[2];
    ASSERT_EQ(pipe(waiting), 0);
    ASSERT_EQ(write(waiting[1], "0123456789abc", 13), 13); // the writer end stays open
    ReplayablePipe pipe(waiting[0]);
    bool cancelled = false;
    pipe.SetCancelCheck([&cancelled] { return cancelled; });
    PipeReader reader(pipe, kStandardInputPath);
    ASSERT_EQ(reader.Open(), 0);
    uint8_t buffer[64];
    EXPECT_EQ(reader.Read(buffer, sizeof buffer, nullptr), 10); // the bytes looked at first
    EXPECT_EQ(reader.Read(buffer, sizeof buffer, nullptr), 3);
    cancelled = true; // the next read would wait for ever
    EXPECT_EQ(reader.Read(buffer, sizeof buffer, nullptr), 0);
    EXPECT_FALSE(reader.HasFailed());
    close(waiting[0]);
    close(waiting[1]);
}

// Named pipes and devices as inputs are refused at once: opening a pipe nobody writes to
// would wait for ever, and neither can be read twice (once to look at the stream, once to
// convert it).
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
