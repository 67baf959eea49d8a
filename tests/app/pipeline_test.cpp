// The input source's reader selection and the decoding stage.
#include "app/decoding_stage.h"
#include "app/dialog_texts.h"
#include "app/input_file_reader.h"
#include "support/test_paths.h"

#include <gtest/gtest.h>
#include <string>
#include <vector>

namespace sonarel {
namespace {

using test::FixturesDir;
using test::ScratchDir;

std::string CopyFixture(const ScratchDir& dir, const std::string& fixture,
                        const std::string& name) {
    test::WriteFileBytes(dir / name, test::ReadFileBytes(FixturesDir() / "mp3" / fixture));
    return (dir / name).string();
}

// Reads the stage to its end, as the pump does.
std::vector<uint8_t> DecodeAll(DecodingStage& stage) {
    std::vector<uint8_t> pcm;
    std::vector<uint8_t> frame(static_cast<size_t>(stage.GetBufferSize()));
    for (int got = 0; got >= 0;) {
        got = stage.Read(frame.data(), static_cast<int32_t>(frame.size()), nullptr);
        if (got > 0) {
            pcm.insert(pcm.end(), frame.begin(), frame.begin() + got);
        }
    }
    return pcm;
}

TEST(InputFileReader, SelectsTheReaderByExtensionInAnyCase) {
    ScratchDir dir;
    std::vector<std::string> asked;
    InputFileReader source(CopyFixture(dir, "cbr_44100_stereo.mp3", "a.Mp3"));
    source.SetQuestion([&asked](const std::string& q) {
        asked.push_back(q);
        return false;
    });
    EXPECT_EQ(source.Open(), 0);
    EXPECT_EQ(source.GetFormat(), nullptr); // the raw reader has no format record
    EXPECT_EQ(source.GetSize(), 17135u);
    EXPECT_TRUE(asked.empty());

    source.Assign(CopyFixture(dir, "riff_mp3_22050_stereo.wav", "w.WAV"));
    EXPECT_EQ(source.Open(), 0);
    ASSERT_NE(source.GetFormat(), nullptr);
    EXPECT_EQ(source.GetFormat()->Header().format_tag, kWaveFormatMpegLayer3);
    EXPECT_TRUE(asked.empty());
}

TEST(InputFileReader, AnUnknownExtensionIsReadOnlyAfterAYes) {
    ScratchDir dir;
    bool answer = false;
    InputFileReader source(CopyFixture(dir, "cbr_44100_stereo.mp3", "noextension"));
    source.SetQuestion([&answer](const std::string& q) {
        EXPECT_EQ(q, text::kAskUnknownExtension);
        return answer;
    });
    EXPECT_EQ(source.Open(), InputFileReader::kDeclined);
    EXPECT_TRUE(source.HoldsReader()); // held, but not opened
    EXPECT_EQ(source.IsOpen(), 0);
    source.Close();
    EXPECT_FALSE(source.HoldsReader());

    answer = true;
    EXPECT_EQ(source.Open(), 0);
    EXPECT_NE(source.IsOpen(), 0);
}

TEST(DecodingStage, DeliversWholeFramesThenTheEnd) {
    ScratchDir dir;
    InputFileReader source(CopyFixture(dir, "cbr_44100_stereo.mp3", "a.mp3"));
    DecodingStage stage;
    EXPECT_EQ(stage.Open(), -1); // no inner source
    stage.Attach(&source, false);
    ASSERT_EQ(stage.Open(), 0);
    EXPECT_EQ(stage.GetBufferSize(), 4608);
    EXPECT_EQ(stage.IsPcm(), 0);

    std::vector<uint8_t> frame(4608);
    int first = 0;
    while (first == 0) {
        first = stage.Read(frame.data(), 4608, nullptr);
    }
    EXPECT_EQ(first, 4608); // one MPEG-1 stereo frame per call
    std::vector<uint8_t> rest = DecodeAll(stage);
    EXPECT_EQ((rest.size() + 4608) % 4608, 0u);
    EXPECT_EQ(stage.Read(frame.data(), 4608, nullptr), -1); // the end stays the end
    EXPECT_FALSE(stage.HasFailed());
    stage.Close();
    EXPECT_EQ(source.IsOpen(), 0); // the stage opened it, so the stage closed it

    // A buffer too small for a frame is a failure, not "no frame yet" for ever.
    ASSERT_EQ(stage.Open(), 0);
    int got = 0;
    for (int calls = 0; got == 0 && calls < 100; ++calls) {
        got = stage.Read(frame.data(), 1000, nullptr);
    }
    EXPECT_EQ(got, -1);
    EXPECT_TRUE(stage.HasFailed());
    stage.Close();
}

TEST(DecodingStage, ReopeningStartsFromACleanDecoder) {
    ScratchDir dir;
    InputFileReader source(CopyFixture(dir, "vbr_44100_stereo.mp3", "a.mp3"));
    DecodingStage stage;
    stage.Attach(&source, false);
    ASSERT_EQ(stage.Open(), 0);
    std::vector<uint8_t> first = DecodeAll(stage);
    stage.Close();
    ASSERT_EQ(stage.Open(), 0);
    std::vector<uint8_t> second = DecodeAll(stage);
    stage.Close();
    EXPECT_FALSE(first.empty());
    EXPECT_EQ(first, second);
}

} // namespace
} // namespace sonarel
