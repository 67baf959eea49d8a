// The encoder's information frame: recognised in each layout, skipped at the start of a
// stream, and what it says is kept.
#include <gtest/gtest.h>

#include <cstring>

#include "decode_helpers.h"
#include "mp3/encoder_info.h"
#include "support/test_paths.h"

namespace sonarel::test {
namespace {

using mp3::EncoderInfo;
using mp3::ParseEncoderInfo;

void PutBigEndian(std::vector<uint8_t>& frame, size_t at, uint32_t value) {
    for (int i = 0; i < 4; ++i) {
        frame[at + static_cast<size_t>(i)] = static_cast<uint8_t>(value >> (24 - 8 * i));
    }
}

std::vector<uint8_t> Frame(uint32_t header, size_t tag_at, const char* tag) {
    std::vector<uint8_t> frame(400, 0);
    PutBigEndian(frame, 0, header);
    std::memcpy(frame.data() + tag_at, tag, 4);
    return frame;
}

TEST(EncoderInfo, EachLayoutIsRecognisedWhereItsTagBelongs) {
    // MPEG-2 mono: the Xing fields follow 9 bytes of side information.
    std::vector<uint8_t> xing = Frame(0xFFF3A8C4, 4 + 9, "Xing");
    PutBigEndian(xing, 17, 1); // frame count only
    PutBigEndian(xing, 21, 1234);
    const EncoderInfo info = ParseEncoderInfo(xing.data(), 200);
    EXPECT_TRUE(info.present);
    EXPECT_EQ(info.frame_count, 1234u);
    EXPECT_FALSE(info.has_gapless);
    // The same tag one place off is audio.
    EXPECT_FALSE(ParseEncoderInfo(Frame(0xFFF3A8C4, 4 + 17, "Xing").data(), 200).present);
    // With a CRC word the tag may stand after it, or where it would stand without one.
    EXPECT_TRUE(ParseEncoderInfo(Frame(0xFFF2A8C4, 4 + 2 + 9, "Info").data(), 200).present);
    EXPECT_TRUE(ParseEncoderInfo(Frame(0xFFF2A8C4, 4 + 9, "Info").data(), 200).present);

    std::vector<uint8_t> vbri = Frame(0xFFFB9064, 36, "VBRI");
    PutBigEndian(vbri, 46, 5000);
    PutBigEndian(vbri, 50, 321);
    const EncoderInfo from_vbri = ParseEncoderInfo(vbri.data(), 200);
    EXPECT_TRUE(from_vbri.present);
    EXPECT_EQ(from_vbri.byte_count, 5000u);
    EXPECT_EQ(from_vbri.frame_count, 321u);
}

TEST(EncoderInfo, TheLameFrameIsSkippedAndItsCountsKept) {
    const auto stream = LoadFile(FixturesDir() / "mp3" / "cbr_44100_stereo.mp3");
    mp3::Mp3Decoder decoder;
    const DecodedStream decoded = DecodeStream(decoder, stream, [] { return 2048; });
    const EncoderInfo& info = decoder.GetEncoderInfo();
    ASSERT_TRUE(info.present);
    EXPECT_EQ(decoded.frame_statuses.size(), info.frame_count);
    EXPECT_EQ(info.frame_count, 40u);
    EXPECT_TRUE(info.has_gapless);
    EXPECT_EQ(info.encoder_delay, 576);
    EXPECT_GT(info.encoder_padding, 0);
    decoder.Reset();
    EXPECT_FALSE(decoder.GetEncoderInfo().present);
}

} // namespace
} // namespace sonarel::test
