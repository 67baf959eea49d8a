#include <gtest/gtest.h>

#include <cmath>

#include "mp3/requantize.h"
#include "mp3/requantize_tables.h"

namespace sonarel::mp3 {
namespace {

TEST(RequantizeTables, GainAndPowerEntries) {
    EXPECT_EQ(kGainTable[0], 32768.0f);
    EXPECT_EQ(kGainTable[4], 16384.0f);
    EXPECT_EQ(kGainTable[8], 8192.0f);
    EXPECT_NEAR(kGainTable[127], 9.07e-6f, 1e-8f);
    EXPECT_FLOAT_EQ(kGainTable[1], static_cast<float>(32768.0 * std::pow(2.0, -0.25)));
    EXPECT_EQ(kPowTable[0], 0.0f);
    EXPECT_EQ(kPowTable[1], 1.0f);
    EXPECT_EQ(kPowTable[8], 16.0f);
    EXPECT_EQ(kPowTable[27], 81.0f);
    EXPECT_NEAR(kPowTable[127], 638.37f, 0.01f);
    for (int i = 1; i < kGainSteps; ++i) {
        EXPECT_LT(kGainTable[i], kGainTable[i - 1]);
        EXPECT_GT(kPowTable[i], kPowTable[i - 1]);
    }
}

class RequantizeTest : public ::testing::Test {
protected:
    RequantizeTest() {
        gi_.global_gain = 210;
        gi_.nonzero_count = 576;
        gi_.long_bands_apply = 1;
        gi_.long_band_count = 22;
        for (int32_t& v : ix_) {
            v = 0;
        }
        for (float& v : xr_) {
            v = 123.0f;
        }
    }
    void Run() { Requantize(ix_, xr_, gi_, sf_, params_); }

    GranuleInfo gi_{};
    ScaleFactors sf_{};
    FrameParams params_{2, 0, 0, 0, 0, 32, 1, 1, 0}; // MPEG-1 44.1 kHz
    int32_t ix_[576];
    float xr_[576];
};

TEST_F(RequantizeTest, UnitGainIsTheSixteenBitScale) {
    ix_[0] = 1;
    ix_[1] = -8;
    ix_[2] = 0;
    Run();
    EXPECT_EQ(xr_[0], 32768.0f);
    EXPECT_EQ(xr_[1], -524288.0f);
    EXPECT_EQ(xr_[2], 0.0f);
}

// Indices beyond the table keep the formula's gain: a large escape value still carries
// more than a sample's worth of signal at index 128, and a global gain above 210 is loud,
// not silent.
TEST_F(RequantizeTest, GlobalGainStepsBothSidesOfTheTable) {
    ix_[0] = 1;
    ix_[1] = 8206;
    gi_.global_gain = 206;
    Run();
    EXPECT_EQ(xr_[0], 16384.0f);
    gi_.global_gain = 211; // index -1
    Run();
    EXPECT_EQ(xr_[0], static_cast<float>(32768.0 * std::pow(2.0, 0.25)));
    gi_.global_gain = 255; // index -45, the loudest
    Run();
    EXPECT_EQ(xr_[0], static_cast<float>(32768.0 * std::pow(2.0, 45 / 4.0)));
    gi_.global_gain = 82; // index 128, the first beyond the table
    Run();
    EXPECT_EQ(xr_[0], static_cast<float>(32768.0 * std::pow(2.0, -32.0)));
    EXPECT_NEAR(xr_[1], std::pow(8206.0, 4.0 / 3.0) * std::pow(2.0, -17.0), 1e-5);
    EXPECT_GT(xr_[1], 1.0f);
}

TEST_F(RequantizeTest, LargeMagnitudesUseTheExactPower) {
    ix_[0] = 8206; // 15 + 2^13 - 1, the largest escape value
    ix_[1] = -128;
    Run();
    EXPECT_EQ(xr_[0], static_cast<float>(std::pow(8206.0, 4.0 / 3.0) * 32768.0));
    EXPECT_EQ(xr_[1], -static_cast<float>(std::pow(128.0, 4.0 / 3.0) * 32768.0));
}

TEST_F(RequantizeTest, PreflagRaisesTheHighLongBands) {
    gi_.preflag = 1;
    gi_.scalefac_scale = 0;
    for (int i = 0; i < 576; ++i) {
        ix_[i] = 1;
    }
    Run();
    const int16_t bounds[] = {0,  4,  8,  12,  16,  20,  24,  30,  36,  44,  52,
                              62, 74, 90, 110, 134, 162, 196, 238, 288, 342, 418};
    const int pretab[] = {0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 1, 1, 1, 1, 2, 2, 3, 3, 3, 2, 0};
    for (int band = 0; band < 22; ++band) {
        EXPECT_EQ(xr_[bounds[band]], kGainTable[static_cast<size_t>(2 * pretab[band])]) << band;
    }
}

TEST_F(RequantizeTest, ShortWindowsUseSubblockGainAndTheirOwnScaleFactors) {
    gi_.window_switching_flag = 1;
    gi_.block_type = 2;
    gi_.long_bands_apply = 0;
    gi_.short_band_count = 1;
    gi_.nonzero_count = 12;
    gi_.subblock_gain[1] = 1; // index + 8
    sf_.Short(2, 0) = 1;      // index + 2
    gi_.scalefac_scale = 1;   // index + 4 instead
    for (int i = 0; i < 12; ++i) {
        ix_[i] = 1;
    }
    Run();
    EXPECT_EQ(xr_[0], 32768.0f);     // window 0, lines 0..3
    EXPECT_EQ(xr_[4], 32768.0f / 4); // window 1: 2^(-8/4)
    EXPECT_EQ(xr_[8], 32768.0f / 2); // window 2: 2^(-4/4)
    EXPECT_EQ(xr_[12], 0.0f);        // the tail is cleared
}

TEST_F(RequantizeTest, LinesFromNonzeroCountOnAreClearedInEveryBlockKind) {
    for (int i = 0; i < 576; ++i) {
        ix_[i] = 1;
    }
    gi_.nonzero_count = 100;
    gi_.long_band_count = 22;
    Run();
    EXPECT_EQ(xr_[99], 32768.0f);
    for (int i = 100; i < 576; ++i) {
        ASSERT_EQ(xr_[i], 0.0f) << i;
    }
    gi_.window_switching_flag = 1;
    gi_.block_type = 2;
    gi_.mixed_block_flag = 1;
    gi_.long_bands_apply = 0;
    gi_.short_band_count = 13;
    gi_.nonzero_count = 50;
    Run();
    EXPECT_EQ(xr_[35], 32768.0f); // long part: bands 0..7
    for (int i = 50; i < 576; ++i) {
        ASSERT_EQ(xr_[i], 0.0f) << i;
    }
}

} // namespace
} // namespace sonarel::mp3
