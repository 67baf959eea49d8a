// Hybrid filterbank against the standard's IMDCT written out directly, in double
// precision: x_i = sum over k of X_k cos(pi/(2n) (2i + 1 + n/2)(2k + 1)), windowed,
// overlap-added, with frequency inversion of the odd subbands.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <vector>

#include "decode_helpers.h"
#include "mp3/hybrid_filterbank.h"
#include "mp3/layer3_types.h"

namespace sonarel::mp3 {
namespace {

constexpr double kPi = 3.14159265358979323846;

double LongSine(int i) {
    return std::sin(kPi * (i + 0.5) / 36);
}
double ShortSine(int i) {
    return std::sin(kPi * (i + 0.5) / 12);
}

// The Layer III window of a long, start or stop block at sample i of 36.
double LongWindow(int type, int i) {
    if (type == 1) {
        return i < 18 ? LongSine(i) : i < 24 ? 1.0 : i < 30 ? ShortSine(i - 18) : 0.0;
    }
    if (type == 3) {
        return i < 6 ? 0.0 : i < 12 ? ShortSine(i - 6) : i < 18 ? 1.0 : LongSine(i);
    }
    return LongSine(i);
}

// One subband of one granule: 18 coefficients in (short blocks: window j's coefficient
// n at 3n + j), 18 samples out; `overlap` carries the second half to the next granule.
void DirectSubband(const float* x, int type, bool odd_subband, double* overlap, double* out) {
    double z[36] = {};
    if (type != 2) {
        for (int i = 0; i < 36; ++i) {
            double sum = 0.0;
            for (int k = 0; k < 18; ++k) {
                sum += x[k] * std::cos(kPi / 72 * (2 * i + 1 + 18) * (2 * k + 1));
            }
            z[i] = sum * LongWindow(type, i);
        }
    } else {
        for (int j = 0; j < 3; ++j) {
            for (int i = 0; i < 12; ++i) {
                double sum = 0.0;
                for (int k = 0; k < 6; ++k) {
                    sum += x[3 * k + j] * std::cos(kPi / 24 * (2 * i + 1 + 6) * (2 * k + 1));
                }
                z[6 + 6 * j + i] += sum * ShortSine(i);
            }
        }
    }
    for (int i = 0; i < 18; ++i) {
        out[i] = z[i] + overlap[i];
        overlap[i] = z[18 + i];
        if (odd_subband && i % 2 == 1) {
            out[i] = -out[i];
        }
    }
}

// The whole channel: per subband its block type, or -1 for "not transformed".
class DirectHybrid {
public:
    void Run(const float* xr, const std::vector<int>& types, double* out) {
        for (int s = 0; s < 32; ++s) {
            if (types[s] < 0) {
                const float zeros[18] = {};
                DirectSubband(zeros, 0, s % 2 == 1, overlap_[s], out + 18 * s);
            } else {
                DirectSubband(xr + 18 * s, types[s], s % 2 == 1, overlap_[s], out + 18 * s);
            }
        }
    }

private:
    double overlap_[32][18] = {};
};

FrameParams Params(int table_group = 1, int sample_rate_index = 0) {
    FrameParams p;
    p.channels = 2;
    p.table_group = table_group;
    p.sample_rate_index = sample_rate_index;
    return p;
}

GranuleInfo Granule(int block_type, bool mixed, int subband_count) {
    GranuleInfo gi{};
    gi.window_switching_flag = block_type != 0 ? 1 : 0;
    gi.block_type = block_type;
    gi.mixed_block_flag = mixed ? 1 : 0;
    gi.subband_count = subband_count;
    return gi;
}

// Runs granules through the filterbank and the direct form side by side; every subband
// sample must agree to single-precision accuracy.
class HybridComparison {
public:
    explicit HybridComparison(const FrameParams& params, int shift = 0)
        : params_(params), bank_(params_, shift) {}

    void Granule(const GranuleInfo& gi, const std::vector<int>& types, std::vector<float> xr) {
        std::vector<double> expected(kGranuleLines);
        direct_.Run(xr.data(), types, expected.data());
        bank_.Run(1, gi, xr.data());
        double scale = 1.0;
        for (double v : expected) {
            scale = std::max(scale, std::abs(v));
        }
        for (int i = 0; i < kGranuleLines; ++i) {
            ASSERT_NEAR(xr[i], expected[i], 2e-6 * scale)
                << "subband " << i / 18 << " sample " << i % 18;
        }
    }

private:
    FrameParams params_;
    HybridFilterbank bank_;
    DirectHybrid direct_;
};

std::vector<int> Types(int type, int transformed = 32, int long_part = 0) {
    std::vector<int> types(32);
    for (int s = 0; s < 32; ++s) {
        types[s] = s >= transformed ? -1 : s < long_part ? 0 : type;
    }
    return types;
}

TEST(HybridFilterbank, ImpulsesMatchTheStandardImdctForEveryBlockType) {
    for (int type : {0, 1, 3, 2}) {
        for (int line = 0; line < 18; ++line) {
            SCOPED_TRACE("block type " + std::to_string(type) + ", line " + std::to_string(line));
            HybridComparison cmp(Params());
            std::vector<float> xr(kGranuleLines, 0.0f);
            for (int s = 0; s < 32; ++s) {
                xr[18 * s + line] = 1000.0f;
            }
            cmp.Granule(Granule(type, false, 31), Types(type), xr);
            // The next, silent granule brings out the stored second half.
            cmp.Granule(Granule(0, false, 0), Types(0, 1), std::vector<float>(kGranuleLines));
        }
    }
}

TEST(HybridFilterbank, RandomGranulesOfChangingBlockTypesMatchTheDirectForm) {
    HybridComparison cmp(Params());
    // Normal, start, short, stop, normal: a typical switch, overlaps running through.
    const int sequence[] = {0, 1, 2, 2, 3, 0, 0};
    unsigned seed = 1;
    for (int type : sequence) {
        SCOPED_TRACE(type);
        cmp.Granule(Granule(type, false, 31), Types(type), test::RandomGranule(seed++));
    }
}

TEST(HybridFilterbank, OnlySubbandsUpToTheCountAreTransformed) {
    // subband_count 5: subbands 0..5 are transformed (the last butterfly may have moved
    // energy into subband 5); the rest only give out their overlap, whatever their lines
    // hold. Subbands 4 and 5 share a group of four with untransformed ones.
    HybridComparison cmp(Params());
    cmp.Granule(Granule(0, false, 31), Types(0), test::RandomGranule(11));
    cmp.Granule(Granule(0, false, 5), Types(0, 6), test::RandomGranule(12));
    cmp.Granule(Granule(0, false, 0), Types(0, 1), test::RandomGranule(13));
}

TEST(HybridFilterbank, MixedBlocksUseTheNormalWindowForTheLongPart) {
    {
        SCOPED_TRACE("MPEG-1: two long subbands");
        HybridComparison cmp(Params(1, 0));
        cmp.Granule(Granule(2, true, 31), Types(2, 32, 2), test::RandomGranule(21));
        cmp.Granule(Granule(2, true, 31), Types(2, 32, 2), test::RandomGranule(22));
    }
    {
        SCOPED_TRACE("MPEG-2.5 at 8 kHz: four long subbands");
        HybridComparison cmp(Params(2, 2));
        cmp.Granule(Granule(2, true, 31), Types(2, 32, 4), test::RandomGranule(23));
        cmp.Granule(Granule(2, true, 31), Types(2, 32, 4), test::RandomGranule(24));
    }
}

TEST(HybridFilterbank, SilenceAfterSoundGivesTheTailOnceThenNothing) {
    FrameParams params = Params();
    HybridFilterbank bank(params, 0);
    std::vector<float> loud = test::RandomGranule(31);
    bank.Run(0, Granule(0, false, 31), loud.data());
    std::vector<float> tail(kGranuleLines, 0.0f);
    bank.Run(0, Granule(0, false, 0), tail.data());
    EXPECT_GT(*std::max_element(tail.begin(), tail.end()), 1.0f);
    std::vector<float> after(kGranuleLines, 0.0f);
    bank.Run(0, Granule(0, false, 0), after.data());
    for (float v : after) {
        ASSERT_EQ(v, 0.0f);
    }
}

TEST(HybridFilterbank, StartBlocksEndInSilenceAndStopBlocksBeginInIt) {
    FrameParams params = Params();
    {
        HybridFilterbank bank(params, 0);
        std::vector<float> xr = test::RandomGranule(41);
        bank.Run(0, Granule(1, false, 31), xr.data());
        std::vector<float> next(kGranuleLines, 0.0f);
        bank.Run(0, Granule(0, false, 0), next.data());
        for (int s = 0; s < 32; ++s) {
            for (int i = 12; i < 18; ++i) {
                ASSERT_EQ(next[18 * s + i], 0.0f) << s << " " << i;
            }
        }
    }
    {
        HybridFilterbank bank(params, 0);
        std::vector<float> xr = test::RandomGranule(42);
        bank.Run(0, Granule(3, false, 31), xr.data());
        for (int s = 0; s < 32; ++s) {
            for (int i = 0; i < 6; ++i) {
                ASSERT_EQ(xr[18 * s + i], 0.0f) << s << " " << i;
            }
        }
    }
}

TEST(HybridFilterbank, DownsamplingLeavesTheHighSubbandsAlone) {
    FrameParams params = Params();
    for (int shift : {1, 2}) {
        HybridFilterbank bank(params, shift);
        HybridFilterbank full(params, 0);
        const std::vector<float> spectrum = test::RandomGranule(51 + shift);
        std::vector<float> xr = spectrum;
        std::vector<float> reference = spectrum;
        bank.Run(0, Granule(0, false, 31), xr.data());
        full.Run(0, Granule(0, false, 31), reference.data());
        const int produced = 18 * (32 >> shift);
        for (int i = 0; i < kGranuleLines; ++i) {
            ASSERT_EQ(xr[i], i < produced ? reference[i] : spectrum[i]) << "shift " << shift;
        }
    }
}

TEST(HybridFilterbank, ChannelsKeepTheirOwnOverlapAndResetClearsIt) {
    FrameParams params = Params();
    HybridFilterbank bank(params, 0);
    std::vector<float> loud = test::RandomGranule(61);
    bank.Run(0, Granule(0, false, 31), loud.data());
    std::vector<float> other(kGranuleLines, 0.0f);
    bank.Run(1, Granule(0, false, 0), other.data());
    EXPECT_TRUE(std::all_of(other.begin(), other.end(), [](float v) { return v == 0.0f; }));
    bank.Reset();
    std::vector<float> after(kGranuleLines, 0.0f);
    bank.Run(0, Granule(0, false, 0), after.data());
    EXPECT_TRUE(std::all_of(after.begin(), after.end(), [](float v) { return v == 0.0f; }));
}

} // namespace
} // namespace sonarel::mp3
