// The replayable pipe keeps the start of standard input for a second reader, past any tags,
// until more than it keeps was read. The console's pipe tests run the rest end to end (the
// probe and the conversion reading one pipe, a RIFF file refused, Ctrl-C ending a read, named
// pipes refused as input files).
#include "io/pipe_reader.h"
#include "support/test_paths.h"

#include <algorithm>
#include <fcntl.h>
#include <gtest/gtest.h>
#include <unistd.h>
#include <vector>

namespace sonarel {
namespace {

std::vector<uint8_t> ReadAll(PipeReader& reader, size_t limit) {
    std::vector<uint8_t> got;
    uint8_t chunk[5000];
    for (int n = 1; got.size() < limit && n > 0;) {
        n = reader.Read(chunk, int32_t(std::min(sizeof chunk, limit - got.size())), nullptr);
        got.insert(got.end(), chunk, chunk + std::max(n, 0));
    }
    return got;
}

// A regular file stands in for the pipe: the reads are the same, and no writer is needed.
TEST(PipeReader, TheProbedStartComesAgainUntilMoreThanIsKeptWasRead) {
    std::vector<uint8_t> stream = {'I', 'D', '3', 3, 0, 0, 0, 0, 0, 10}; // a 10-byte tag
    stream.resize(20, 1);
    for (size_t i = 0; i < ReplayablePipe::kPrefixBytes + 100'000; ++i) {
        stream.push_back(static_cast<uint8_t>(i * 7 + i / 251));
    }
    const std::vector<uint8_t> audio(stream.begin() + 20, stream.end());
    test::ScratchDir scratch;
    test::WriteFileBytes(scratch / "stream", stream);
    const int fd = open((scratch / "stream").c_str(), O_RDONLY);
    ReplayablePipe pipe(fd);
    PipeReader probe(pipe, kStandardInputPath);
    ASSERT_EQ(probe.Open(), 0);
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
    close(fd);
}

} // namespace
} // namespace sonarel
