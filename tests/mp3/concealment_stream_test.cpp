// Whole streams with damaged side information or missing main data.
#include <gtest/gtest.h>

#include <cmath>
#include <vector>

#include "decode_helpers.h"
#include "mp3/frame_header.h"
#include "support/test_paths.h"

namespace sonarel::test {
namespace {

// Byte offsets of the frames: from the first header confirmed by the next one, frame by
// frame.
std::vector<size_t> FrameOffsets(const std::vector<uint8_t>& stream) {
    auto header_at = [&stream](size_t at, mp3::FrameHeader& header) {
        if (at + 4 > stream.size()) {
            return false;
        }
        const uint32_t w = uint32_t{stream[at]} << 24 | uint32_t{stream[at + 1]} << 16 |
                           uint32_t{stream[at + 2]} << 8 | stream[at + 3];
        return header.Parse(w);
    };
    std::vector<size_t> offsets;
    mp3::FrameHeader header;
    mp3::FrameHeader next;
    for (size_t at = 0; at < stream.size(); ++at) {
        if (header_at(at, header) && header_at(at + size_t(header.frame_bits / 8), next)) {
            for (; header_at(at, header); at += size_t(header.frame_bits / 8)) {
                offsets.push_back(at);
            }
            break;
        }
    }
    return offsets;
}

double Rms(const std::vector<uint8_t>& pcm, size_t first_byte, size_t bytes) {
    const std::vector<int16_t> samples =
        AsSamples({pcm.begin() + static_cast<long>(first_byte),
                   pcm.begin() + static_cast<long>(first_byte + bytes)});
    double sum = 0;
    for (int16_t s : samples) {
        sum += double(s) * s;
    }
    return std::sqrt(sum / double(samples.size()));
}

class CrcConcealmentTest : public ::testing::Test {
protected:
    void SetUp() override {
        clean_stream_ = LoadFile(FixturesDir() / "mp3" / "crc_44100_stereo.mp3");
        offsets_ = FrameOffsets(clean_stream_);
        ASSERT_GT(offsets_.size(), 30u);
        offsets_.erase(offsets_.begin()); // the encoder's information frame: not audio
        damaged_stream_ = clean_stream_;
        for (size_t frame : kDamaged) {
            damaged_stream_[offsets_[frame] + 6 + 3] ^= 0x10; // a side-information bit
        }
        clean_ = DecodeStream(clean_stream_);
        damaged_ = DecodeStream(damaged_stream_);
        ASSERT_FALSE(clean_.hung);
        ASSERT_FALSE(damaged_.hung);
    }

    static constexpr size_t kDamaged[2] = {12, 13};
    std::vector<uint8_t> clean_stream_;
    std::vector<uint8_t> damaged_stream_;
    std::vector<size_t> offsets_;
    DecodedStream clean_;
    DecodedStream damaged_;
};

TEST_F(CrcConcealmentTest, IntactCrcWordsPass) {
    for (mp3::Mp3Status status : clean_.frame_statuses) {
        EXPECT_EQ(status, mp3::MP3_OK);
    }
    EXPECT_EQ(clean_.frame_statuses.size(), offsets_.size());
}

TEST_F(CrcConcealmentTest, DamagedFramesAreConcealedAtFullLength) {
    ASSERT_EQ(damaged_.frame_statuses.size(), clean_.frame_statuses.size());
    for (size_t frame : kDamaged) {
        EXPECT_EQ(damaged_.frame_statuses[frame], mp3::MP3_I_CRC_CONCEALED) << frame;
        EXPECT_EQ(damaged_.frame_bytes[frame], 4608);
    }
    // Until the damage the audio is untouched.
    const size_t before = kDamaged[0] * 4608;
    EXPECT_TRUE(
        std::equal(damaged_.pcm.begin(), damaged_.pcm.begin() + long(before), clean_.pcm.begin()));
    // The concealment is noise shaped like the recent past: neither silence nor a blast.
    const double clean_rms = Rms(clean_.pcm, before, 2 * 4608);
    const double concealed_rms = Rms(damaged_.pcm, before, 2 * 4608);
    EXPECT_GT(concealed_rms, 0.25 * clean_rms);
    EXPECT_LT(concealed_rms, 4.0 * clean_rms);
}

// A damaged side information spoils its own frame only: the frame's main data still went
// into the reservoir, so the next frames, which refer back into it, decode as usual.
TEST_F(CrcConcealmentTest, TheFramesAfterTheDamageDecodeFromTheIntactReservoir) {
    for (size_t f = kDamaged[1] + 1; f < damaged_.frame_statuses.size(); ++f) {
        EXPECT_EQ(damaged_.frame_statuses[f], mp3::MP3_OK) << f;
    }
    // One frame later, overlap and synthesis history are clean again.
    const size_t from = (kDamaged[1] + 2) * 4608;
    EXPECT_TRUE(std::equal(damaged_.pcm.begin() + long(from), damaged_.pcm.end(),
                           clean_.pcm.begin() + long(from)));
}

TEST_F(CrcConcealmentTest, ConcealmentIsDeterministic) {
    const DecodedStream again = DecodeStream(damaged_stream_);
    EXPECT_TRUE(again.pcm == damaged_.pcm);
    mp3::Mp3Decoder reused;
    DecodeStream(reused, clean_stream_, [] { return 4000; });
    reused.Reset();
    EXPECT_TRUE(DecodeStream(reused, damaged_stream_, [] { return 777; }).pcm == damaged_.pcm);
}

TEST(ReservoirConcealment, AStreamCutMidwayStartsWithConcealedSilence) {
    const std::vector<uint8_t> whole = LoadFile(FixturesDir() / "mp3" / "cbr_44100_stereo.mp3");
    const std::vector<size_t> offsets = FrameOffsets(whole);
    ASSERT_GT(offsets.size(), 12u);
    // Cut inside frame 10; the first complete frame after it refers back into frame 10.
    const size_t cut = offsets[10] + 200;
    const DecodedStream decoded = DecodeStream({whole.begin() + long(cut), whole.end()});
    ASSERT_FALSE(decoded.hung);
    ASSERT_FALSE(decoded.frame_statuses.empty());
    EXPECT_EQ(decoded.frame_statuses[0], mp3::MP3_I_RESERVOIR_CONCEALED);
    EXPECT_EQ(decoded.frame_bytes[0], 4608);
    EXPECT_EQ(Rms(decoded.pcm, 0, 4608), 0.0) << "nothing to conceal from yet: silence";
    EXPECT_EQ(decoded.frame_statuses.size(), offsets.size() - 11);
    EXPECT_EQ(decoded.frame_statuses.back(), mp3::MP3_OK);
}

} // namespace
} // namespace sonarel::test
