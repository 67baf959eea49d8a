// The decoding stage and its channel fitting. (The input's reader chosen by its extension, and
// the question about another name: the dialog and window tests.)
#include "app/channel_fit.h"
#include "app/decoding_stage.h"
#include "app/dialog_texts.h"
#include "app/input_file_reader.h"
#include "dialog_fixture.h"
#include "support/byte_strings.h"

#include <algorithm>
#include <numeric>

namespace sonarel::test {
namespace {

// Without a source the stage does not open; a trim that starts inside a later frame moves the
// kept part to the front and writes nothing past the length given; a buffer too small for a
// frame is a failure, not "no frame yet" for ever. (Whole frames: the he_mode case below; the end,
// and a clean decoder after reopening: the cancellation test's hundred conversions through one
// stage.)
TEST_F(DialogTest, TheDecodingStageNeedsASourceAndRoomForAFrame) {
    InputFileReader source(CopyFixture("vbr_44100_stereo.mp3", "a.mp3"));
    DecodingStage stage;
    EXPECT_EQ(stage.Open(), -1);
    stage.Attach(&source, false);
    ASSERT_EQ(stage.Open(), 0);
    EXPECT_EQ(stage.GetBufferSize(), 4608);
    stage.SetTrim(1500, UINT64_MAX); // frames of 1152: the first goes, 348 of the second too
    std::vector<uint8_t> pcm(4 * 4608);
    std::iota(pcm.begin(), pcm.end(), uint8_t{0});
    const std::vector<uint8_t> beyond(pcm.begin() + 4608, pcm.end());
    int got = 0;
    while (got == 0) {
        got = stage.Read(pcm.data(), 4608, nullptr);
    }
    EXPECT_EQ(got, (2304 - 1500) * 4);
    EXPECT_TRUE(std::equal(beyond.begin(), beyond.end(), pcm.begin() + 4608));
    std::vector<uint8_t> frame(1000);
    got = 0;
    for (int calls = 0; got == 0 && calls < 100; ++calls) {
        got = stage.Read(frame.data(), 1000, nullptr);
    }
    EXPECT_EQ(got, -1);
    EXPECT_TRUE(stage.HasFailed());
}

// Mono is spread to both channels, stereo folded into the mean; what does not fit is refused.
TEST(FitChannels, SpreadsMonoFoldsStereoAndRefusesWhatDoesNotFit) {
    const struct {
        std::vector<uint8_t> in;
        int from, to, capacity;
        std::vector<uint8_t> out; // empty: refused, the input unchanged
    } cases[] = {
        {Samples16({1, -2, 32767}), 1, 2, 12, Samples16({1, 1, -2, -2, 32767, 32767})},
        {Samples16({100, 300, -32768, -32768, 32767, -32768}), 2, 1, 12,
         Samples16({200, -32768, -1})},
        {Samples16({5, 6}), 1, 2, 6, {}},
        {Samples16({5, 6}), 2, 2, 4, Samples16({5, 6})},
    };
    for (const auto& c : cases) {
        std::vector<uint8_t> pcm = c.in;
        pcm.resize(size_t(c.capacity));
        const int bytes = FitChannels(pcm.data(), int(c.in.size()), c.from, c.to, c.capacity);
        EXPECT_EQ(bytes, int(c.out.size()));
        pcm.resize(c.out.empty() ? c.in.size() : c.out.size());
        EXPECT_EQ(pcm, c.out.empty() ? c.in : c.out);
    }
}

// l3-he_mode switches between mono and stereo frames: with either output every frame still
// arrives, whole, so no audio is lost.
TEST_F(DialogTest, TheDecodingStageKeepsEveryFrameOfAStreamThatSwitchesChannels) {
    if (VectorsDir().empty()) {
        GTEST_SKIP() << "conformance streams not found beside the checkout: skipped";
    }
    WriteFileBytes(dir / "mode.mp3", ReadFileBytes(VectorsDir() / "l3-he_mode.bit"));
    size_t frames = 0;
    for (uint32_t channels : {0u, 1u, 2u}) { // 0: as decoded, to count the frames
        InputFileReader source(Scratch("mode.mp3"));
        DecodingStage stage;
        stage.Attach(&source, false);
        ASSERT_EQ(stage.Open(), 0);
        std::vector<uint8_t> frame(4608);
        size_t reads = 0;
        stage.SetOutputFormat(channels == 0 ? 0 : 44100, channels);
        for (int got = 0; got >= 0; reads += got > 0 ? 1 : 0) {
            got = stage.Read(frame.data(), 4608, nullptr);
            EXPECT_TRUE(got <= 0 || channels == 0 || got == int(1152 * 2 * channels)) << got;
        }
        frames = channels == 0 ? reads : frames;
        EXPECT_EQ(reads, frames) << channels;
    }
    EXPECT_GT(frames, 100u);
}

} // namespace
} // namespace sonarel::test
