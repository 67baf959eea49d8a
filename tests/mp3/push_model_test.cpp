// The push interface: pieces of any size, a too-small output buffer, the end, and Reset.
#include <gtest/gtest.h>

#include <algorithm>
#include <random>
#include <string>
#include <vector>

#include "decode_helpers.h"
#include "support/test_paths.h"

namespace sonarel::test {
namespace {

namespace fs = std::filesystem;

std::vector<fs::path> PushStreams() {
    std::vector<fs::path> streams = {FixturesDir() / "mp3" / "cbr_44100_stereo.mp3",
                                     FixturesDir() / "mp3" / "cbr_8000_mono.mp3",
                                     FixturesDir() / "mp3" / "vbr_44100_stereo.mp3",
                                     FixturesDir() / "mp3" / "crc_22050_mono.mp3"};
    if (!VectorsDir().empty()) {
        for (const char* name : {"l3-he_mode.bit", "M2L3_compl24.bit", "l3-sin1k0db.bit"}) {
            streams.push_back(VectorsDir() / name);
        }
    }
    return streams;
}

void ExpectSameDecode(const DecodedStream& actual, const DecodedStream& expected) {
    ASSERT_FALSE(actual.hung);
    EXPECT_EQ(actual.frame_statuses, expected.frame_statuses);
    EXPECT_TRUE(actual.pcm == expected.pcm);
}

TEST(PushModel, AnyPieceSizeGivesIdenticalPcm) {
    for (const fs::path& path : PushStreams()) {
        SCOPED_TRACE(path.filename().string());
        const std::vector<uint8_t> stream = LoadFile(path);
        const DecodedStream reference = DecodeStream(stream);
        ASSERT_FALSE(reference.hung);
        ASSERT_GT(reference.frame_statuses.size(), 10u);

        mp3::Mp3Decoder bytewise;
        ExpectSameDecode(DecodeStream(bytewise, stream, [] { return 1; }), reference);

        std::mt19937 rng(static_cast<unsigned>(stream.size()));
        mp3::Mp3Decoder random;
        ExpectSameDecode(DecodeStream(random, stream, [&rng] { return 1 + int(rng() % 5000); }),
                         reference);

        mp3::Mp3Decoder whole; // more than the ring takes at once
        ExpectSameDecode(DecodeStream(whole, stream, [] { return 1 << 20; }), reference);
    }
}

TEST(PushModel, OutputTooSmallLeavesTheFrameForTheNextCall) {
    const std::vector<uint8_t> stream = LoadFile(FixturesDir() / "mp3" / "cbr_44100_stereo.mp3");
    const DecodedStream reference = DecodeStream(stream);
    mp3::Mp3Decoder decoder;
    ASSERT_EQ(decoder.Feed(stream.data(), 8192), 8192);
    std::vector<uint8_t> out(4608, 0xAA);
    std::vector<uint8_t> pcm;
    for (int frame = 0; frame < 4; ++frame) {
        int produced = -1;
        EXPECT_EQ(decoder.DecodeFrame(out.data(), 4607, &produced), mp3::MP3_E_OUTPUT_TOO_SMALL);
        EXPECT_EQ(produced, 0);
        EXPECT_EQ(out[0], 0xAA) << "nothing is written";
        ASSERT_TRUE(mp3::ProducedPcm(decoder.DecodeFrame(out.data(), 4608, &produced)));
        EXPECT_EQ(produced, 4608);
        pcm.insert(pcm.end(), out.begin(), out.end());
        out.assign(out.size(), 0xAA);
    }
    EXPECT_TRUE(std::equal(pcm.begin(), pcm.end(), reference.pcm.begin()));
}

TEST(PushModel, EndIsStickyUntilReset) {
    const std::vector<uint8_t> stream = LoadFile(FixturesDir() / "mp3" / "cbr_22050_stereo.mp3");
    mp3::Mp3Decoder decoder;
    const DecodedStream first = DecodeStream(decoder, stream, [] { return 2048; });
    ASSERT_TRUE(decoder.IsFinished());
    EXPECT_EQ(first.other_statuses.back(), mp3::MP3_W_END);
    std::vector<uint8_t> out(4608);
    int produced = -1;
    decoder.Feed(stream.data(), 4096); // new bytes do not revive a finished stream
    for (int i = 0; i < 3; ++i) {
        EXPECT_EQ(decoder.DecodeFrame(out.data(), 4608, &produced), mp3::MP3_W_END);
        EXPECT_EQ(produced, 0);
        EXPECT_TRUE(decoder.IsFinished());
    }
    decoder.Reset();
    EXPECT_FALSE(decoder.IsFinished());
    EXPECT_EQ(decoder.DecodeFrame(out.data(), 4608, &produced), mp3::MP3_W_SEARCHING);
    const DecodedStream second = DecodeStream(decoder, stream, [] { return 2048; });
    ExpectSameDecode(second, first);
}

TEST(PushModel, ResetInTheMiddleOfAStreamForgetsEverything) {
    const std::vector<uint8_t> a = LoadFile(FixturesDir() / "mp3" / "vbr_44100_stereo.mp3");
    const std::vector<uint8_t> b = LoadFile(FixturesDir() / "mp3" / "cbr_44100_stereo.mp3");
    const DecodedStream fresh = DecodeStream(a);
    mp3::Mp3Decoder decoder;
    std::vector<uint8_t> out(4608);
    size_t offset = 0;
    for (int call = 0; call < 12; ++call) {
        const int piece = static_cast<int>(std::min<size_t>(1000, b.size() - offset));
        offset += static_cast<size_t>(decoder.Feed(b.data() + offset, piece));
        decoder.DecodeFrame(out.data(), 4608);
    }
    ASSERT_LT(offset, b.size()) << "the reset must come in the middle of the stream";
    decoder.Reset();
    ExpectSameDecode(DecodeStream(decoder, a, [] { return 2048; }), fresh);
}

TEST(PushModel, FrameSizesFollowTheStream) {
    struct Case {
        const char* name;
        int bytes;
        int sample_rate;
        int channels;
    } cases[] = {
        {"cbr_44100_stereo.mp3", 4608, 44100, 2}, {"cbr_48000_mono.mp3", 2304, 48000, 1},
        {"cbr_22050_stereo.mp3", 2304, 22050, 2}, {"cbr_8000_mono.mp3", 1152, 8000, 1},
        {"cbr_11025_stereo.mp3", 2304, 11025, 2},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        mp3::Mp3Decoder decoder;
        const DecodedStream decoded =
            DecodeStream(decoder, LoadFile(FixturesDir() / "mp3" / c.name), [] { return 2048; });
        ASSERT_FALSE(decoded.frame_bytes.empty());
        for (int bytes : decoded.frame_bytes) {
            ASSERT_EQ(bytes, c.bytes);
        }
        EXPECT_EQ(decoder.CurrentHeader().sample_rate, c.sample_rate);
        EXPECT_EQ(decoder.CurrentHeader().channels, c.channels);
    }
}

TEST(PushModel, FeedTakesNoMoreThanTheRingHolds) {
    const std::vector<uint8_t> stream = LoadFile(FixturesDir() / "mp3" / "cbr_44100_stereo.mp3");
    mp3::Mp3Decoder decoder;
    EXPECT_EQ(decoder.Feed(stream.data(), static_cast<int>(stream.size())), 8192);
    EXPECT_EQ(decoder.Feed(stream.data(), 10), 0);
    EXPECT_EQ(decoder.Feed(nullptr, 10), 0);
    EXPECT_EQ(decoder.Feed(stream.data(), -1), 0);
}

} // namespace
} // namespace sonarel::test
