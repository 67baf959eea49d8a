// Side information, its CRC, and the bit reservoir fill.
#include <gtest/gtest.h>

#include <algorithm>
#include <vector>

#include "frame_builder.h"
#include "mp3/crc16_table.h"
#include "mp3/frame_header.h"
#include "mp3/crc16.h"
#include "mp3/reservoir.h"
#include "mp3/side_info.h"

namespace sonarel::mp3 {
namespace {

using test::BitWriter;
using test::BuildFrame;
using test::HeaderFields;

FrameParams ParamsOf(const HeaderFields& fields) {
    FrameHeader header;
    EXPECT_TRUE(header.Parse(test::HeaderWord(fields)));
    FrameParams params;
    params.channels = header.channels;
    params.sample_rate_index = header.sample_rate_index;
    params.frame_bits = header.frame_bits;
    params.mode = header.mode;
    params.mode_extension = header.mode_extension;
    params.header_bits = header.crc_present ? 48 : 32;
    params.is_mpeg1 = header.version == 0;
    params.table_group = header.version == 0 ? 1 : (header.version == 1 ? 0 : 2);
    params.crc_present = header.crc_present;
    return params;
}

// A ring holding the frame, positioned behind its header bits as the driver leaves it.
void LoadFrame(BitRingBuffer& ring, const std::vector<uint8_t>& frame, const FrameParams& params) {
    ring.Reset();
    ASSERT_EQ(ring.WriteBytes(frame.data(), static_cast<int>(frame.size())),
              static_cast<int>(frame.size()));
    ring.Skip(params.header_bits);
}

uint16_t BitwiseTableEntry(unsigned i) {
    unsigned crc = i << 8;
    for (int bit = 0; bit < 8; ++bit) {
        crc = (crc & 0x8000) ? ((crc << 1) ^ 0x8005) : (crc << 1);
    }
    return static_cast<uint16_t>(crc);
}

TEST(Crc16, TableMatchesTheGeneratorBitByBit) {
    EXPECT_EQ(kCrc16Table[0], 0x0000);
    EXPECT_EQ(kCrc16Table[1], 0x8005);
    EXPECT_EQ(kCrc16Table[2], 0x800F);
    EXPECT_EQ(kCrc16Table[3], 0x000A);
    for (unsigned i = 0; i < 256; ++i) {
        EXPECT_EQ(kCrc16Table[i], BitwiseTableEntry(i)) << i;
    }
}

// 13 bits: one byte through the table, then five single bits.
TEST(Crc16, LeftoverBitsGoThroughTheRegisterOneByOne) {
    const std::vector<uint8_t> bytes = {0xA7, 0x31, 0xC4, 0x0F};
    BitRingBuffer ring(16);
    ring.WriteBytes(bytes.data(), static_cast<int>(bytes.size()));
    uint32_t expected = 0xFFFF;
    for (int i = 0; i < 13; ++i) {
        const uint32_t bit = (bytes[i / 8] >> (7 - i % 8)) & 1;
        expected = ((expected & 0x7FFF) << 1) ^ (bit != ((expected >> 15) & 1) ? 0x8005 : 0);
    }
    EXPECT_EQ(Crc16Update(ring, 13, 0xFFFF), expected);
    EXPECT_EQ(ring.ConsumedBits(), 13);
}

TEST(CheckCrc, AcceptsTheRightWordAndLeavesTheReaderOnTheSideInfo) {
    HeaderFields fields;
    fields.crc = true;
    fields.mode = 3;
    const FrameParams params = ParamsOf(fields);
    std::vector<uint8_t> side(17, 0x5A);
    const std::vector<uint8_t> frame = BuildFrame(fields, side);
    BitRingBuffer ring(4096);
    LoadFrame(ring, frame, params);
    ring.SetConsumedBits(0);
    EXPECT_TRUE(CheckCrc(ring, params));
    EXPECT_EQ(ring.ReadPos(), 48);
}

TEST(CheckCrc, MonoMpeg1CoversSixteenHeaderBitsAnd136SideInfoBits) {
    HeaderFields fields;
    fields.crc = true;
    fields.mode = 3;
    const FrameParams params = ParamsOf(fields);
    const std::vector<uint8_t> frame = BuildFrame(fields, std::vector<uint8_t>(17, 0x33));
    BitRingBuffer ring(4096);
    auto check_with_flipped_bit = [&](int bit) {
        std::vector<uint8_t> damaged = frame;
        damaged[bit / 8] ^= static_cast<uint8_t>(0x80 >> (bit % 8));
        LoadFrame(ring, damaged, params);
        return CheckCrc(ring, params);
    };
    EXPECT_TRUE(check_with_flipped_bit(15)) << "header bits 0..15 are not covered";
    EXPECT_FALSE(check_with_flipped_bit(16));
    EXPECT_FALSE(check_with_flipped_bit(40)) << "the stored word itself";
    EXPECT_FALSE(check_with_flipped_bit(48 + 135)) << "last side-information bit";
    EXPECT_TRUE(check_with_flipped_bit(48 + 136)) << "main data is not covered";
    // After a mismatch the reader stays behind the side information.
    check_with_flipped_bit(48);
    EXPECT_EQ(ring.ReadPos(), 48 + 136);
}

TEST(CheckCrc, WithoutCrcWordAlwaysPasses) {
    const HeaderFields fields;
    const FrameParams params = ParamsOf(fields);
    BitRingBuffer ring(4096);
    LoadFrame(ring, BuildFrame(fields), params);
    EXPECT_TRUE(CheckCrc(ring, params));
    EXPECT_EQ(ring.ReadPos(), 32);
}

// MPEG-2 stereo: 8-bit main_data_begin, 2 private bits, no scfsi, one granule, 9-bit
// scalefac_compress and no preflag.
TEST(SideInfo, ReadsAnMpeg2StereoGranule) {
    const HeaderFields fields{1, 3, false, 8, 0, 0, 1, 2};
    BitWriter w;
    w.Put(0xAB, 8); // main_data_begin
    w.Put(0b10, 2); // private bits
    // channel 0: long block
    w.Put(1234, 12), w.Put(200, 9), w.Put(150, 8), w.Put(0x1F3, 9), w.Put(0, 1);
    w.Put(5, 5), w.Put(17, 5), w.Put(31, 5), w.Put(9, 4), w.Put(6, 3), w.Put(1, 1), w.Put(0, 1);
    // channel 1: short block, not mixed
    w.Put(77, 12), w.Put(10, 9), w.Put(99, 8), w.Put(300, 9), w.Put(1, 1);
    w.Put(2, 2), w.Put(0, 1), w.Put(3, 5), w.Put(4, 5), w.Put(1, 3), w.Put(2, 3), w.Put(7, 3);
    w.Put(0, 1), w.Put(1, 1);
    ASSERT_LE(w.BitCount(), 17 * 8);
    const FrameParams params = ParamsOf(fields);
    BitRingBuffer ring(4096);
    LoadFrame(ring, BuildFrame(fields, w.Bytes()), params);
    SideInfo si{};
    si.Granule(0, 0).nonzero_count = 99; // derived fields are cleared
    ASSERT_TRUE(ReadSideInfo(ring, si, params));
    EXPECT_EQ(ring.ReadPos(), 32 + w.BitCount());
    EXPECT_EQ(si.main_data_begin, 0xAB);
    EXPECT_EQ(si.private_bits, 2);
    const GranuleInfo& a = si.Granule(0, 0);
    EXPECT_EQ(a.part2_3_length, 1234);
    EXPECT_EQ(a.big_values, 200);
    EXPECT_EQ(a.global_gain, 150);
    EXPECT_EQ(a.scalefac_compress, 0x1F3);
    EXPECT_EQ(a.table_select[0], 5);
    EXPECT_EQ(a.table_select[2], 31);
    EXPECT_EQ(a.region0_count, 9);
    EXPECT_EQ(a.region1_count, 6);
    EXPECT_EQ(a.scalefac_scale, 1);
    EXPECT_EQ(a.count1table_select, 0);
    EXPECT_EQ(a.nonzero_count, 0);
    const GranuleInfo& b = si.Granule(0, 1);
    EXPECT_EQ(b.block_type, 2);
    EXPECT_EQ(b.table_select[1], 4);
    EXPECT_EQ(b.table_select[2], 0);
    EXPECT_EQ(b.subblock_gain[2], 7);
    EXPECT_EQ(b.region0_count, 8);
    EXPECT_EQ(b.region1_count, 12);
    EXPECT_EQ(b.count1table_select, 1);
}

// Writes one MPEG-1 mono granule with window switching.
void PutSwitchedGranule(BitWriter& w, int big_values, int block_type, int mixed) {
    w.Put(500, 12), w.Put(static_cast<uint32_t>(big_values), 9), w.Put(100, 8), w.Put(9, 4);
    w.Put(1, 1), w.Put(static_cast<uint32_t>(block_type), 2),
        w.Put(static_cast<uint32_t>(mixed), 1);
    w.Put(1, 5), w.Put(2, 5), w.Put(0, 9), w.Put(1, 1), w.Put(0, 1), w.Put(0, 1);
}

TEST(SideInfo, RegionCountsOfSwitchedBlocksAndEmptiedGranules) {
    const HeaderFields fields{0, 3, false, 9, 0, 0, 3};
    BitWriter w;
    w.Put(0, 9), w.Put(0, 5), w.Put(0, 4);
    PutSwitchedGranule(w, 100, 2, 1); // mixed: 7 and 13
    PutSwitchedGranule(w, 300, 1, 0); // big_values above 288: empty
    const FrameParams params = ParamsOf(fields);
    BitRingBuffer ring(4096);
    LoadFrame(ring, BuildFrame(fields, w.Bytes()), params);
    SideInfo si{};
    ASSERT_TRUE(ReadSideInfo(ring, si, params));
    EXPECT_EQ(si.Granule(0, 0).region0_count, 7);
    EXPECT_EQ(si.Granule(0, 0).region1_count, 13);
    EXPECT_EQ(si.Granule(0, 0).preflag, 1);
    const GranuleInfo& emptied = si.Granule(1, 0);
    EXPECT_EQ(emptied.big_values, 0);
    EXPECT_EQ(emptied.part2_3_length, 0);
    EXPECT_EQ(emptied.scalefac_compress, 0);
    EXPECT_EQ(emptied.block_type, 1) << "reading goes on after the emptied fields";

    BitWriter reserved;
    reserved.Put(0, 18);
    PutSwitchedGranule(reserved, 100, 0, 0); // window switching with block type 0
    LoadFrame(ring, BuildFrame(fields, reserved.Bytes()), params);
    ASSERT_TRUE(ReadSideInfo(ring, si, params));
    EXPECT_EQ(si.Granule(0, 0).part2_3_length, 0);
    EXPECT_EQ(si.Granule(0, 0).big_values, 0);
}

TEST(SideInfo, CrcFailureEmptiesEveryGranule) {
    HeaderFields fields;
    fields.crc = true;
    fields.mode = 0;
    const FrameParams params = ParamsOf(fields);
    std::vector<uint8_t> frame = BuildFrame(fields, std::vector<uint8_t>(32, 0x77));
    frame[10] ^= 1;
    BitRingBuffer ring(4096);
    LoadFrame(ring, frame, params);
    SideInfo si{};
    EXPECT_FALSE(ReadSideInfo(ring, si, params));
    for (int gr = 0; gr < 2; ++gr) {
        for (int ch = 0; ch < 2; ++ch) {
            EXPECT_EQ(si.Granule(gr, ch).part2_3_length, 0);
            EXPECT_EQ(si.Granule(gr, ch).big_values, 0);
            EXPECT_EQ(si.Granule(gr, ch).scalefac_compress, 0);
        }
    }
}

class ReservoirTest : public ::testing::Test {
protected:
    // Puts a frame with the given main_data_begin and main data in the input ring,
    // reads its side information and fills the reservoir.
    bool Fill(int main_data_begin, uint8_t fill_byte) {
        BitWriter w;
        w.Put(static_cast<uint32_t>(main_data_begin), 9);
        const std::vector<uint8_t> main(static_cast<size_t>(main_bytes_), fill_byte);
        const std::vector<uint8_t> frame = BuildFrame(fields_, w.Bytes(), main);
        EXPECT_EQ(input_.WriteBytes(frame.data(), static_cast<int>(frame.size())),
                  static_cast<int>(frame.size()));
        input_.Skip(params_.header_bits);
        EXPECT_TRUE(ReadSideInfo(input_, side_info_, params_));
        return FillReservoir(input_, reservoir_, side_info_, params_, held_);
    }

    HeaderFields fields_{0, 3, false, 9, 0, 0, 3};
    FrameParams params_ = ParamsOf(fields_);
    int main_bytes_ = 417 - 4 - 17;
    BitRingBuffer input_{8192};
    BitRingBuffer reservoir_{2048};
    SideInfo side_info_{};
    int held_ = 0;
};

TEST_F(ReservoirTest, MainDataBeginZeroDecodesRightAfterAReset) {
    ASSERT_TRUE(Fill(0, 0x11));
    EXPECT_EQ(reservoir_.AvailBits(), 8 * main_bytes_);
    EXPECT_EQ(reservoir_.GetBits(8), 0x11u);
    EXPECT_EQ(input_.AvailBits(), 0) << "the whole frame is taken from the input";
}

TEST_F(ReservoirTest, AReferenceBeforeTheDataFailsButTheDataIsKept) {
    EXPECT_FALSE(Fill(10, 0x22));
    // The next frame reaches back 10 bytes into the previous frame's main data.
    ASSERT_TRUE(Fill(10, 0x33));
    EXPECT_EQ(reservoir_.AvailBits(), 8 * (main_bytes_ + 10));
    for (int i = 0; i < 10; ++i) {
        EXPECT_EQ(reservoir_.GetBits(8), 0x22u);
    }
    EXPECT_EQ(reservoir_.GetBits(8), 0x33u);
}

TEST_F(ReservoirTest, UnreadDataOfManyFramesNeverFillsTheReservoir) {
    // Frames whose granules read nothing leave all their main data behind; only what a
    // 9-bit main_data_begin can reach has to be kept.
    for (int frame = 0; frame < 20; ++frame) {
        const int reach_back = std::min(511, main_bytes_ * frame);
        ASSERT_TRUE(Fill(reach_back, static_cast<uint8_t>(frame))) << frame;
    }
}

TEST_F(ReservoirTest, AReaderThatRanPastTheDataIsBroughtBack) {
    ASSERT_TRUE(Fill(0, 0x44));
    reservoir_.Skip(8 * main_bytes_ + 100); // a damaged part2_3_length overran
    ASSERT_TRUE(Fill(0, 0x55));
    EXPECT_EQ(reservoir_.GetBits(8), 0x55u);
}

} // namespace
} // namespace sonarel::mp3
