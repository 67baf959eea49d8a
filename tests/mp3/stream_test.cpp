// The push interface on the committed encoder fixtures: pieces of any size, every rate, the
// end, Reset, and the encoder's information frame. (A too-small output buffer: the decoder's
// fuzz target, whose seeds the fuzz replay test runs, offers one now and then.)
#include "decode_helpers.h"

#include <algorithm>
#include <gtest/gtest.h>
#include <random>
#include <string>
#include <vector>

namespace sonarel::test {
namespace {

// Every fixture (named kind_rate_channels.mp3), fed in pieces of any size, decodes to whole
// frames of the size its rate, channels and options give; the information frame in front
// (all but crc_22050_mono) is skipped, and the frames decoded are the ones it counts.
TEST(Stream, EveryFixtureGivesTheFramesItsInformationFrameCounts) {
    std::vector<std::string> names = {"crc_22050_mono.mp3", "crc_44100_stereo.mp3",
                                      "vbr_16000_mono.mp3", "vbr_44100_stereo.mp3"};
    for (int rate : {8000, 11025, 12000, 16000, 22050, 24000, 32000, 44100, 48000}) {
        names.push_back("cbr_" + std::to_string(rate) + "_mono.mp3");
        names.push_back("cbr_" + std::to_string(rate) + "_stereo.mp3");
    }
    for (const std::string& name : names) {
        const std::vector<uint8_t> stream = LoadFixture(name);
        const int samples = std::stoi(name.substr(4)) >= 32000 ? 1152 : 576;
        const int channels = name.find("mono") != std::string::npos ? 1 : 2;
        std::mt19937 rng(static_cast<unsigned>(stream.size()));
        const mp3::DecoderOptions options[] = {{}, {2, true, true}};
        for (const mp3::DecoderOptions& option : options) {
            SCOPED_TRACE(name + (option.mono ? " shift 2 8-bit mono" : ""));
            mp3::Mp3Decoder decoder(option);
            const DecodedStream decoded = DecodeStream(decoder, stream, [] { return 3000; });
            ASSERT_FALSE(decoded.hung);
            const int bytes = option.mono ? samples / 4 : samples * channels * 2;
            EXPECT_EQ(decoded.frame_bytes, std::vector<int>(decoded.frame_bytes.size(), bytes));
            EXPECT_EQ(decoded.frame_statuses,
                      std::vector<mp3::Mp3Status>(decoded.frame_statuses.size(), mp3::MP3_OK));
            for (const ChunkSizer& sizer : {ChunkSizer([] { return 1; }),
                                            ChunkSizer([&rng] { return 1 + int(rng() % 5000); })}) {
                mp3::Mp3Decoder other(option);
                const DecodedStream again = DecodeStream(other, stream, sizer);
                EXPECT_EQ(again.frame_statuses, decoded.frame_statuses);
                EXPECT_TRUE(again.pcm == decoded.pcm);
            }
            const mp3::EncoderInfo& info = decoder.GetEncoderInfo();
            ASSERT_EQ(info.present, name != "crc_22050_mono.mp3");
            EXPECT_TRUE(!info.present || decoded.frame_statuses.size() == info.frame_count);
            EXPECT_TRUE(!info.present || info.encoder_delay == 576);
            decoder.Reset();
            EXPECT_FALSE(decoder.GetEncoderInfo().present);
        }
    }
}

// The end stays until Reset; Reset in the middle of one stream forgets all of it.
TEST(Stream, EndIsStickyAndResetForgetsEverything) {
    const std::vector<uint8_t> a = LoadFixture("vbr_44100_stereo.mp3");
    const std::vector<uint8_t> b = LoadFixture("cbr_44100_stereo.mp3");
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
    const DecodedStream fresh = DecodeStream(a);
    EXPECT_EQ(again.frame_statuses, fresh.frame_statuses);
    EXPECT_TRUE(again.pcm == fresh.pcm);
}

} // namespace
} // namespace sonarel::test
