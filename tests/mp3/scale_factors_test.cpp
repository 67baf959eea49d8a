#include <gtest/gtest.h>

#include <vector>

#include "frame_builder.h"
#include "mp3/scale_factors.h"

namespace sonarel::mp3 {
namespace {

using test::BitWriter;

class ScaleFactorsTest : public ::testing::Test {
protected:
    // The bits go in behind three bits of something else.
    void Load(const BitWriter& writer) {
        reservoir_.Reset();
        BitWriter shifted;
        shifted.Put(0b110, 3);
        for (int i = 0; i < writer.BitCount(); ++i) {
            shifted.Put((writer.Bytes()[i / 8] >> (7 - i % 8)) & 1, 1);
        }
        std::vector<uint8_t> bytes = shifted.Bytes();
        bytes.resize(bytes.size() + 8, 0);
        reservoir_.WriteBytes(bytes.data(), static_cast<int>(bytes.size()));
        reservoir_.Skip(3);
        reservoir_.SetConsumedBits(55); // reading restarts the count
    }
    void Read(int gr, int ch) { ReadScaleFactors(reservoir_, gi_, sf_, params_, scfsi_, gr, ch); }

    BitRingBuffer reservoir_{2048};
    GranuleInfo gi_{};
    ScaleFactors sf_{};
    FrameParams params_{2, 0, 0, 1, 0, 32, 1, 1, 0};
    int32_t scfsi_[4] = {0, 0, 0, 0};
};

TEST_F(ScaleFactorsTest, Mpeg1CompressZeroReadsNothing) {
    BitWriter w;
    w.Put(0xFFFF, 16);
    Load(w);
    for (int32_t& value : sf_.values) {
        value = 9;
    }
    Read(0, 0);
    EXPECT_EQ(reservoir_.ConsumedBits(), 0);
    for (int band = 0; band < 23; ++band) {
        EXPECT_EQ(sf_.Long(band), 0);
        EXPECT_EQ(sf_.LongLimit(band), 7);
    }
}

TEST_F(ScaleFactorsTest, Mpeg1GranuleOneKeepsTheGroupsThatScfsiSelects) {
    gi_.scalefac_compress = 15; // slen1 4, slen2 3
    BitWriter first;
    for (int band = 0; band < 21; ++band) {
        first.Put(static_cast<uint32_t>(band % 8), band < 11 ? 4 : 3);
    }
    Load(first);
    Read(0, 0);
    EXPECT_EQ(reservoir_.ConsumedBits(), 11 * 4 + 10 * 3);

    scfsi_[0] = 1, scfsi_[2] = 1;
    BitWriter second;
    for (int band = 6; band <= 10; ++band) {
        second.Put(15, 4);
    }
    for (int band = 16; band <= 20; ++band) {
        second.Put(5, 3);
    }
    Load(second);
    Read(1, 0);
    EXPECT_EQ(reservoir_.ConsumedBits(), 5 * 4 + 5 * 3);
    for (int band = 0; band < 21; ++band) {
        const bool kept = band <= 5 || (band >= 11 && band <= 15);
        const int expected = kept ? band % 8 : (band <= 10 ? 15 : 5);
        EXPECT_EQ(sf_.Long(band), expected) << band;
    }
    EXPECT_EQ(sf_.Long(21), 0);
    EXPECT_EQ(sf_.Long(22), 0);
}

TEST_F(ScaleFactorsTest, Mpeg1MixedBlockReadsEightLongThenShortBandsFromThree) {
    gi_.scalefac_compress = 12; // slen1 3, slen2 2
    gi_.window_switching_flag = 1;
    gi_.block_type = 2;
    gi_.mixed_block_flag = 1;
    BitWriter w;
    for (int band = 0; band < 8; ++band) {
        w.Put(static_cast<uint32_t>(band), 3);
    }
    for (int band = 3; band < 12; ++band) {
        for (int window = 0; window < 3; ++window) {
            w.Put(static_cast<uint32_t>((band + window) & (band < 6 ? 7 : 3)), band < 6 ? 3 : 2);
        }
    }
    Load(w);
    Read(0, 0);
    EXPECT_EQ(reservoir_.ConsumedBits(), w.BitCount());
    for (int band = 0; band < 8; ++band) {
        EXPECT_EQ(sf_.Long(band), band);
    }
    for (int band = 3; band < 12; ++band) {
        for (int window = 0; window < 3; ++window) {
            EXPECT_EQ(sf_.Short(window, band), (band + window) & (band < 6 ? 7 : 3));
        }
    }
    for (int window = 0; window < 3; ++window) {
        EXPECT_EQ(sf_.Short(window, 12), 0);
    }
    EXPECT_EQ(sf_.ShortLimit(0), 7);
    EXPECT_EQ(sf_.LongLimit(22), 7);
}

class Mpeg2ScaleFactorsTest : public ScaleFactorsTest {
protected:
    Mpeg2ScaleFactorsTest() {
        params_.is_mpeg1 = 0;
        params_.table_group = 0;
        params_.mode_extension = 1; // intensity stereo
    }
};

TEST_F(Mpeg2ScaleFactorsTest, IntensityChannelWithCompress511UsesRowFive) {
    gi_.scalefac_compress = 511; // f = 255: slen 3, 2, 0, 0; counts 8, 8, 5, 0
    gi_.preflag = 1;
    BitWriter w;
    for (int band = 0; band < 8; ++band) {
        w.Put(7, 3);
    }
    for (int band = 8; band < 16; ++band) {
        w.Put(1, 2);
    }
    Load(w);
    Read(0, 1);
    EXPECT_EQ(gi_.intensity_scale, 1);
    EXPECT_EQ(gi_.preflag, 0);
    EXPECT_EQ(reservoir_.ConsumedBits(), 8 * 3 + 8 * 2);
    EXPECT_EQ(sf_.Long(0), 7);
    EXPECT_EQ(sf_.LongLimit(0), 7);
    EXPECT_EQ(sf_.Long(8), 1);
    EXPECT_EQ(sf_.LongLimit(8), 3);
    EXPECT_EQ(sf_.Long(16), 0);
    EXPECT_EQ(sf_.LongLimit(16), 0);
    EXPECT_EQ(sf_.LongLimit(21), 1);
}

TEST_F(Mpeg2ScaleFactorsTest, PreflagFollowsTheCompressValueOutsideTheIntensityChannel) {
    BitWriter zeros;
    zeros.Put(0, 32), zeros.Put(0, 32), zeros.Put(0, 32);
    for (int compress : {499, 500, 511}) {
        gi_.scalefac_compress = compress;
        gi_.preflag = 7;
        Load(zeros);
        Read(0, 0); // channel 0 is never the intensity channel
        EXPECT_EQ(gi_.preflag, compress >= 500 ? 1 : 0) << compress;
        EXPECT_EQ(gi_.intensity_scale, 0);
    }
}

TEST_F(Mpeg2ScaleFactorsTest, MixedBlockOfRowTwo) {
    // c = 500 + 3 * 3 + 2: slen 3, 2 from row 2, mixed counts 15 and 18.
    gi_.scalefac_compress = 511;
    gi_.window_switching_flag = 1;
    gi_.block_type = 2;
    gi_.mixed_block_flag = 1;
    BitWriter w;
    for (int band = 0; band < 6; ++band) {
        w.Put(5, 3);
    }
    for (int i = 0; i < 9; ++i) { // short bands 3..5, three windows each
        w.Put(6, 3);
    }
    for (int i = 0; i < 18; ++i) { // short bands 6..11
        w.Put(2, 2);
    }
    Load(w);
    Read(0, 0);
    EXPECT_EQ(gi_.preflag, 1);
    EXPECT_EQ(reservoir_.ConsumedBits(), w.BitCount());
    EXPECT_EQ(sf_.Long(5), 5);
    EXPECT_EQ(sf_.Short(2, 3), 6);
    EXPECT_EQ(sf_.Short(0, 5), 6);
    EXPECT_EQ(sf_.Short(1, 6), 2);
    EXPECT_EQ(sf_.Short(2, 11), 2);
    EXPECT_EQ(sf_.ShortLimit(11), 3);
    EXPECT_EQ(sf_.ShortLimit(12), 1);
}

} // namespace
} // namespace sonarel::mp3
