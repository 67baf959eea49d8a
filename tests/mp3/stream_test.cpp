// The push interface on the committed encoder fixtures: pieces of any size, every output
// option, a too-small output buffer, the end, Reset, and the encoder's information frame.
#include "decode_helpers.h"

#include <algorithm>
#include <cmath>
#include <gtest/gtest.h>
#include <random>
#include <string>
#include <vector>

namespace sonarel::test {
namespace {

using mp3::DecoderOptions;

// Every fixture, fed in pieces of any size, decodes to whole frames of the size its rate,
// channels and options give; the information frame in front is skipped, and the frames
// decoded are the ones it counts.
TEST(Stream, EveryFixtureGivesTheFramesItsInformationFrameCounts) {
    struct Case {
        std::string name;
        int sample_rate;
        int channels;
        bool info = true; // an information frame leads the stream
    };
    std::vector<Case> cases = {{"crc_22050_mono.mp3", 22050, 1, false},
                               {"crc_44100_stereo.mp3", 44100, 2},
                               {"vbr_16000_mono.mp3", 16000, 1},
                               {"vbr_44100_stereo.mp3", 44100, 2}};
    for (int rate : {8000, 11025, 12000, 16000, 22050, 24000, 32000, 44100, 48000}) {
        cases.push_back({"cbr_" + std::to_string(rate) + "_mono.mp3", rate, 1});
        cases.push_back({"cbr_" + std::to_string(rate) + "_stereo.mp3", rate, 2});
    }
    const DecoderOptions options[] = {
        {0, false, false}, {1, false, false}, {2, true, false}, {0, false, true}, {2, true, true}};
    for (const Case& c : cases) {
        const int samples = c.sample_rate >= 32000 ? 1152 : 576;
        for (const DecoderOptions& option : options) {
            SCOPED_TRACE(c.name + " shift " + std::to_string(option.downsample_shift) +
                         (option.eight_bit ? " 8-bit" : "") + (option.mono ? " mono" : ""));
            const std::vector<uint8_t> stream = LoadFixture(c.name);
            mp3::Mp3Decoder decoder(option);
            const DecodedStream decoded = DecodeStream(decoder, stream, [] { return 3000; });
            ASSERT_FALSE(decoded.hung);
            // Pieces of any size give the same frames.
            std::mt19937 rng(static_cast<unsigned>(stream.size()));
            for (const ChunkSizer& sizer : {ChunkSizer([] { return 1; }),
                                            ChunkSizer([&rng] { return 1 + int(rng() % 5000); }),
                                            ChunkSizer([] { return 1 << 20; })}) {
                mp3::Mp3Decoder other(option);
                const DecodedStream again = DecodeStream(other, stream, sizer);
                EXPECT_EQ(again.frame_statuses, decoded.frame_statuses);
                EXPECT_TRUE(again.pcm == decoded.pcm);
            }
            const int channels = option.mono ? 1 : c.channels;
            const int bytes =
                (samples >> option.downsample_shift) * channels * (option.eight_bit ? 1 : 2);
            EXPECT_EQ(std::count(decoded.frame_bytes.begin(), decoded.frame_bytes.end(), bytes),
                      long(decoded.frame_bytes.size()));
            EXPECT_EQ(std::count(decoded.frame_statuses.begin(), decoded.frame_statuses.end(),
                                 mp3::MP3_OK),
                      long(decoded.frame_statuses.size()));
            const mp3::EncoderInfo& info = decoder.GetEncoderInfo();
            ASSERT_EQ(info.present, c.info);
            if (!c.info) {
                continue;
            }
            EXPECT_EQ(decoded.frame_statuses.size(), info.frame_count);
            EXPECT_EQ(info.encoder_delay, 576);
            decoder.Reset();
            EXPECT_FALSE(decoder.GetEncoderInfo().present);
        }
    }
}

// 8-bit samples are the 16-bit ones shifted into unsigned bytes; the mono downmix of a
// stereo stream is close to the mean of the two decoded channels.
TEST(Stream, EightBitAndMonoFollowTheSixteenBitStereoOutput) {
    const std::vector<uint8_t> stream = LoadFixture("vbr_44100_stereo.mp3");
    const std::vector<int16_t> wide = AsSamples(DecodeStream(stream).pcm);
    const std::vector<uint8_t> narrow = DecodeStream(stream, {0, true, false}).pcm;
    ASSERT_EQ(narrow.size(), wide.size());
    for (size_t i = 0; i < wide.size(); ++i) {
        ASSERT_EQ(narrow[i], (wide[i] + 32768) >> 8) << i;
    }
    const std::vector<int16_t> mono = AsSamples(DecodeStream(stream, {0, false, true}).pcm);
    ASSERT_EQ(mono.size() * 2, wide.size());
    double signal = 0, error = 0;
    for (size_t i = 0; i < mono.size(); ++i) {
        const double mean = (double(wide[2 * i]) + wide[2 * i + 1]) / 2;
        signal += mean * mean;
        error += (mono[i] - mean) * (mono[i] - mean);
    }
    EXPECT_GT(10 * std::log10(signal / error), 20.0);
}

TEST(Stream, FeedTakesWhatTheRingHoldsAndTooSmallAnOutputLeavesTheFrame) {
    const std::vector<uint8_t> stream = LoadFixture("cbr_44100_stereo.mp3");
    const DecodedStream reference = DecodeStream(stream);
    mp3::Mp3Decoder decoder;
    EXPECT_EQ(decoder.Feed(stream.data(), int(stream.size())), mp3::Mp3Decoder::kInputRingBytes);
    std::vector<uint8_t> out(4608, 0xAA);
    for (int frame = 0; frame < 4; ++frame) {
        int produced = -1;
        EXPECT_EQ(decoder.DecodeFrame(out.data(), 4607, &produced), mp3::MP3_E_OUTPUT_TOO_SMALL);
        EXPECT_EQ(produced, 0);
        EXPECT_EQ(out[0], 0xAA) << "nothing is written";
        ASSERT_TRUE(mp3::ProducedPcm(decoder.DecodeFrame(out.data(), 4608, &produced)));
        EXPECT_EQ(produced, 4608);
        EXPECT_TRUE(std::equal(out.begin(), out.end(), reference.pcm.begin() + 4608 * frame));
        out.assign(out.size(), 0xAA);
    }
}

// The end stays until Reset; Reset in the middle of one stream forgets all of it.
TEST(Stream, EndIsStickyAndResetForgetsEverything) {
    const std::vector<uint8_t> a = LoadFixture("vbr_44100_stereo.mp3");
    const std::vector<uint8_t> b = LoadFixture("cbr_44100_stereo.mp3");
    const DecodedStream fresh = DecodeStream(a);
    mp3::Mp3Decoder decoder;
    DecodeStream(decoder, b, [] { return 2048; });
    ASSERT_TRUE(decoder.IsFinished());
    std::vector<uint8_t> out(4608);
    int produced = -1;
    decoder.Feed(b.data(), 4096); // new bytes do not revive a finished stream
    EXPECT_EQ(decoder.DecodeFrame(out.data(), 4608, &produced), mp3::MP3_W_END);
    EXPECT_EQ(produced, 0);
    decoder.Reset();
    EXPECT_FALSE(decoder.IsFinished());
    EXPECT_EQ(decoder.DecodeFrame(out.data(), 4608, &produced), mp3::MP3_W_SEARCHING);
    size_t offset = 0;
    for (int call = 0; call < 12; ++call) {
        offset += size_t(decoder.Feed(b.data() + offset, 1000));
        decoder.DecodeFrame(out.data(), 4608);
    }
    ASSERT_LT(offset, b.size()) << "the reset must come in the middle of the stream";
    decoder.Reset();
    const DecodedStream again = DecodeStream(decoder, a, [] { return 2048; });
    EXPECT_EQ(again.frame_statuses, fresh.frame_statuses);
    EXPECT_TRUE(again.pcm == fresh.pcm);
}

} // namespace
} // namespace sonarel::test
