// Short-block reordering and the alias-reduction butterflies.
#include <gtest/gtest.h>

#include <cmath>
#include <random>
#include <tuple>
#include <vector>

#include "mp3/layer3_types.h"
#include "mp3/reorder_antialias.h"
#include "mp3/sf_band_table.h"

namespace sonarel::mp3 {
namespace {

FrameParams Params(int table_group, int sample_rate_index) {
    FrameParams p;
    p.channels = 1;
    p.table_group = table_group;
    p.sample_rate_index = sample_rate_index;
    p.is_mpeg1 = table_group == 1 ? 1 : 0;
    return p;
}

GranuleInfo Short(bool mixed) {
    GranuleInfo gi{};
    gi.window_switching_flag = 1;
    gi.block_type = 2;
    gi.mixed_block_flag = mixed ? 1 : 0;
    return gi;
}

// Where coefficient c of window j sits in transmission order: band by band, and within
// a band window by window.
int TransmittedLine(const SfBandTable& bands, int window, int c) {
    int b = 0;
    while (bands.short_bounds[b + 1] <= c) {
        ++b;
    }
    const int start = bands.short_bounds[b];
    const int width = bands.short_bounds[b + 1] - start;
    return 3 * start + window * width + (c - start);
}

std::vector<float> Numbered() {
    std::vector<float> xr(kGranuleLines);
    for (int i = 0; i < kGranuleLines; ++i) {
        xr[i] = static_cast<float>(i);
    }
    return xr;
}

TEST(ReorderShortBlocks, PutsTheThreeWindowsSideBySideForEverySampleRate) {
    for (int group = 0; group < 3; ++group) {
        for (int rate = 0; rate < 3; ++rate) {
            SCOPED_TRACE("table set " + std::to_string(3 * group + rate));
            const FrameParams params = Params(group, rate);
            const SfBandTable& bands = SfBandTableFor(params);
            std::vector<float> xr = Numbered();
            ReorderShortBlocks(xr.data(), Short(false), params);
            for (int s = 0; s < 32; ++s) {
                for (int n = 0; n < 6; ++n) {
                    for (int j = 0; j < 3; ++j) {
                        ASSERT_EQ(xr[18 * s + 3 * n + j], TransmittedLine(bands, j, 6 * s + n))
                            << "subband " << s << " window " << j << " coefficient " << n;
                    }
                }
            }
        }
    }
}

TEST(ReorderShortBlocks, MixedBlocksKeepTheirLongPart) {
    // The short part starts at band 3: line 36 for most rates, 72 at 8 kHz.
    for (auto [group, rate, long_lines] : {std::tuple{1, 0, 36}, {0, 1, 36}, {2, 2, 72}}) {
        const FrameParams params = Params(group, rate);
        const SfBandTable& bands = SfBandTableFor(params);
        ASSERT_EQ(3 * bands.short_bounds[3], long_lines);
        std::vector<float> xr = Numbered();
        ReorderShortBlocks(xr.data(), Short(true), params);
        for (int i = 0; i < long_lines; ++i) {
            ASSERT_EQ(xr[i], i);
        }
        for (int i = long_lines; i < kGranuleLines; ++i) {
            const int s = i / 18;
            const int n = (i % 18) / 3;
            const int j = i % 3;
            ASSERT_EQ(xr[i], TransmittedLine(bands, j, 6 * s + n)) << i;
        }
    }
}

TEST(ReorderShortBlocks, LeavesOtherBlocksAlone) {
    const FrameParams params = Params(1, 0);
    for (int type : {0, 1, 3}) {
        GranuleInfo gi{};
        gi.window_switching_flag = type != 0;
        gi.block_type = type;
        std::vector<float> xr = Numbered();
        ReorderShortBlocks(xr.data(), gi, params);
        EXPECT_EQ(xr, Numbered());
    }
}

// The butterflies of the standard, in double precision, over the listed seams.
std::vector<float> DirectButterflies(std::vector<float> xr, int seams) {
    const double c[8] = {-0.6, -0.535, -0.33, -0.185, -0.095, -0.041, -0.0142, -0.0037};
    for (int i = 0; i < seams; ++i) {
        for (int k = 0; k < 8; ++k) {
            const double cs = 1.0 / std::sqrt(1.0 + c[k] * c[k]);
            const double ca = c[k] / std::sqrt(1.0 + c[k] * c[k]);
            const int lower = 18 * i + 17 - k;
            const int upper = 18 * (i + 1) + k;
            const double u = xr[lower];
            const double v = xr[upper];
            xr[lower] = static_cast<float>(u * cs - v * ca);
            xr[upper] = static_cast<float>(v * cs + u * ca);
        }
    }
    return xr;
}

std::vector<float> RandomLines(unsigned seed) {
    std::mt19937 rng(seed);
    std::uniform_real_distribution<float> dist(-1000.0f, 1000.0f);
    std::vector<float> xr(kGranuleLines);
    for (float& v : xr) {
        v = dist(rng);
    }
    return xr;
}

GranuleInfo Long(int nonzero_count) {
    GranuleInfo gi{};
    gi.nonzero_count = nonzero_count;
    gi.long_bands_apply = 1;
    return gi;
}

// Applies Antialias and checks subband_count and that exactly `seams` seams changed.
void ExpectSeams(GranuleInfo gi, const FrameParams& params, int shift, int subband_count,
                 int seams) {
    const std::vector<float> before = RandomLines(static_cast<unsigned>(seams + 100));
    std::vector<float> xr = before;
    Antialias(xr.data(), gi, params, shift);
    EXPECT_EQ(gi.subband_count, subband_count);
    const std::vector<float> expected = DirectButterflies(before, seams);
    for (int i = 0; i < kGranuleLines; ++i) {
        ASSERT_NEAR(xr[i], expected[i], 2e-4) << "line " << i;
    }
}

TEST(Antialias, LongBlocksProcessEverySeamUpToTheSubbandCount) {
    const FrameParams params = Params(1, 0);
    ExpectSeams(Long(0), params, 0, 0, 0);
    ExpectSeams(Long(1), params, 0, 1, 1);
    ExpectSeams(Long(37), params, 0, 3, 3);
    ExpectSeams(Long(575), params, 0, 32, 31);
    ExpectSeams(Long(576), params, 0, 32, 31);
}

TEST(Antialias, DownsamplingStopsAtTheLastKeptSubband) {
    const FrameParams params = Params(1, 0);
    ExpectSeams(Long(576), params, 1, 32, 15);
    ExpectSeams(Long(576), params, 2, 32, 7);
    ExpectSeams(Long(60), params, 2, 4, 4);
}

TEST(Antialias, MixedBlocksOnlyAtTheSeamsOfTheLongPart) {
    GranuleInfo mixed = Short(true);
    mixed.nonzero_count = 576;
    mixed.short_band_count = 13;
    ExpectSeams(mixed, Params(1, 0), 0, 32, 1);
    ExpectSeams(mixed, Params(0, 1), 0, 32, 1);
    ExpectSeams(mixed, Params(2, 2), 0, 32, 3); // MPEG-2.5 at 8 kHz: four long subbands
    // Energy only in the long part: the count follows nonzero_count.
    mixed.long_bands_apply = 1;
    mixed.nonzero_count = 20;
    ExpectSeams(mixed, Params(1, 0), 0, 2, 1);
}

TEST(Antialias, PureShortBlocksHaveNoButterflies) {
    const FrameParams params = Params(1, 0); // short bounds ... 22, 30, 40, ...
    GranuleInfo gi = Short(false);
    gi.nonzero_count = 100;
    gi.short_band_count = 6; // 3 * 30 = 90 lines: five subbands
    ExpectSeams(gi, params, 0, 5, 0);
    gi.short_band_count = 7; // 3 * 40 = 120 lines: six and a bit
    ExpectSeams(gi, params, 0, 7, 0);
}

} // namespace
} // namespace sonarel::mp3
