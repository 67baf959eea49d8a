// Standard input read twice: the probe's bytes come again for the conversion, tags in front
// are read past, memory stays bounded (past the kept bytes no new start is possible), and a
// read that waits ends when it is cancelled.
#include "io/pipe_reader.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <thread>
#include <vector>

namespace sonarel {
namespace {

class PipeReaderTest : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_EQ(pipe(fds_), 0); }
    void TearDown() override {
        for (int fd : fds_) {
            if (fd >= 0) {
                close(fd);
            }
        }
    }
    // Writes bytes from another thread (a pipe holds only 64 KiB) and then closes the pipe.
    void Feed(std::vector<uint8_t> bytes) {
        writer_ = std::thread([this, bytes = std::move(bytes)] {
            for (size_t at = 0; at < bytes.size();) {
                at += static_cast<size_t>(
                    std::max<ssize_t>(write(fds_[1], bytes.data() + at, bytes.size() - at), 0));
            }
            close(fds_[1]);
            fds_[1] = -1;
        });
    }
    std::vector<uint8_t> ReadAll(PipeReader& reader, size_t limit) {
        std::vector<uint8_t> got;
        uint8_t chunk[5000];
        int n = 0;
        while (got.size() < limit &&
               (n = reader.Read(chunk,
                                static_cast<int32_t>(std::min(sizeof chunk, limit - got.size())),
                                nullptr)) > 0) {
            got.insert(got.end(), chunk, chunk + n);
        }
        return got;
    }
    int fds_[2] = {-1, -1};
    std::thread writer_;
};

TEST_F(PipeReaderTest, TheProbedStartComesAgainUntilMoreThanIsKeptWasRead) {
    const std::vector<uint8_t> tag = {'I', 'D', '3', 3, 0, 0, 0, 0, 0, 10,
                                      1,   2,   3,   4, 5, 6, 7, 8, 9, 10};
    std::vector<uint8_t> audio(ReplayablePipe::kPrefixBytes + 100'000);
    for (size_t i = 0; i < audio.size(); ++i) {
        audio[i] = static_cast<uint8_t>(i * 7 + i / 251);
    }
    std::vector<uint8_t> stream = tag;
    stream.insert(stream.end(), audio.begin(), audio.end());
    Feed(stream);
    ReplayablePipe pipe(fds_[0]);
    PipeReader probe(pipe, kStandardInputPath);
    ASSERT_EQ(probe.Open(), 0);
    const size_t probed = ReplayablePipe::kPrefixBytes;
    EXPECT_TRUE(ReadAll(probe, probed) ==
                std::vector<uint8_t>(audio.begin(), audio.begin() + probed));
    PipeReader conversion(pipe, kStandardInputPath);
    ASSERT_EQ(conversion.Open(), 0);
    EXPECT_TRUE(ReadAll(conversion, audio.size() + 1) == audio);
    EXPECT_EQ(conversion.GetSize(), 0u);
    EXPECT_FALSE(conversion.HasFailed());
    PipeReader third(pipe, kStandardInputPath);
    EXPECT_EQ(third.Open(), -1); // the start is no longer kept
    writer_.join();
}

TEST_F(PipeReaderTest, ARiffFileIsRecognisedAndAWaitingReadEndsOnCancel) {
    {
        Feed({'R', 'I', 'F', 'F', 4, 0, 0, 0, 'W', 'A', 'V', 'E'});
        ReplayablePipe riff(fds_[0]);
        PipeReader reader(riff, kStandardInputPath);
        EXPECT_EQ(reader.Open(), PipeReader::kNeedsSeeking);
        writer_.join();
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

} // namespace
} // namespace sonarel
