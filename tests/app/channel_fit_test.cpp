#include "app/channel_fit.h"
#include "app/decoding_stage.h"
#include "app/input_file_reader.h"
#include "support/test_paths.h"

#include <gtest/gtest.h>
#include <vector>

namespace sonarel {
namespace {

std::vector<uint8_t> Samples(std::initializer_list<int16_t> values) {
    std::vector<uint8_t> bytes;
    for (int16_t v : values) {
        bytes.push_back(static_cast<uint8_t>(static_cast<uint16_t>(v) & 0xFF));
        bytes.push_back(static_cast<uint8_t>(static_cast<uint16_t>(v) >> 8));
    }
    return bytes;
}

TEST(FitChannels, SpreadsMonoToBothChannelsInPlace) {
    std::vector<uint8_t> pcm = Samples({1, -2, 32767});
    pcm.resize(12);
    EXPECT_EQ(FitChannels(pcm.data(), 6, 1, 2, 12), 12);
    EXPECT_EQ(pcm, Samples({1, 1, -2, -2, 32767, 32767}));
}

TEST(FitChannels, FoldsStereoIntoTheMeanOfBothChannels) {
    std::vector<uint8_t> pcm = Samples({100, 300, -32768, -32768, 32767, -32768});
    EXPECT_EQ(FitChannels(pcm.data(), 12, 2, 1, 12), 6);
    pcm.resize(6);
    EXPECT_EQ(pcm, Samples({200, -32768, -1}));
}

TEST(FitChannels, RefusesWhatDoesNotFitAndKeepsEqualCounts) {
    std::vector<uint8_t> pcm = Samples({5, 6});
    EXPECT_EQ(FitChannels(pcm.data(), 4, 1, 2, 6), 0);
    EXPECT_EQ(FitChannels(pcm.data(), 4, 2, 2, 4), 4);
    EXPECT_EQ(pcm, Samples({5, 6}));
}

// l3-he_mode switches between mono and stereo frames: with a stereo output every frame
// must still arrive, as a whole stereo frame, so no audio is lost.
TEST(DecodingStage, KeepsEveryFrameOfAStreamThatSwitchesChannels) {
    if (test::VectorsDir().empty()) {
        GTEST_SKIP() << "conformance streams not found beside the checkout: skipped";
    }
    test::ScratchDir dir;
    const auto input = dir / "mode.mp3";
    test::WriteFileBytes(input, test::ReadFileBytes(test::VectorsDir() / "l3-he_mode.bit"));
    for (uint32_t channels : {1u, 2u}) {
        InputFileReader source(input.string());
        DecodingStage stage;
        stage.Attach(&source, false);
        ASSERT_EQ(stage.Open(), 0);
        stage.SetOutputFormat(44100, channels);
        std::vector<uint8_t> frame(4608);
        int frames = 0;
        for (int got = 0; got >= 0;) {
            got = stage.Read(frame.data(), 4608, nullptr);
            if (got > 0) {
                EXPECT_EQ(got, static_cast<int>(1152 * 2 * channels));
                ++frames;
            }
        }
        stage.Close();
        EXPECT_GT(frames, 100) << channels;
    }
}

} // namespace
} // namespace sonarel
