// The concealment history: what it keeps, and the noise it makes from it.
#include "mp3/concealment.h"
#include "mp3/layer3_types.h"
#include "mp3/sf_band_table.h"

#include <algorithm>
#include <cmath>
#include <gtest/gtest.h>
#include <random>
#include <vector>

namespace sonarel::mp3 {
namespace {

std::vector<float> Random(unsigned seed) {
    std::mt19937 rng(seed);
    std::vector<float> xr(kGranuleLines);
    std::generate(xr.begin(), xr.end(), [&rng] { return float(rng() % 2001) - 1000.0f; });
    return xr;
}

class History {
public:
    explicit History(int table_group = 1, int sample_rate_index = 0) {
        params_.channels = 2;
        params_.table_group = table_group;
        params_.sample_rate_index = sample_rate_index;
        params_.is_mpeg1 = table_group == 1 ? 1 : 0;
    }
    void Store(std::vector<float> lines, int block_type = 0) {
        side_.Granule(0, 0) = GranuleInfo{};
        side_.Granule(0, 0).window_switching_flag = block_type != 0 ? 1 : 0;
        side_.Granule(0, 0).block_type = block_type;
        history_.Step(false, params_, side_, lines.data(), 0, 0);
    }
    std::vector<float> Conceal(int ch = 0) {
        std::vector<float> xr(kGranuleLines, 12345.0f);
        side_.Granule(0, ch).block_type = 2;
        history_.Step(true, params_, side_, xr.data(), 0, ch);
        EXPECT_EQ(side_.Granule(0, ch).block_type, 0) << "concealment is a long block";
        return xr;
    }
    int BandStart(int b) const { return SfBandTableFor(params_).long_bounds[b]; }
    void Reset() { history_.Reset(); }

private:
    FrameParams params_;
    SideInfo side_{};
    ConcealmentHistory history_;
};

double BandEnergy(const History& h, const std::vector<float>& xr, int b) {
    double sum = 0.0;
    for (int j = h.BandStart(b); j < h.BandStart(b + 1); ++j) {
        sum += double(xr[j]) * xr[j];
    }
    return sum;
}

// Band 0 keeps the mean magnitudes of the three newest long-block granules with signs of
// its own (line 0 is never repeated); every other band is noise with the energy of the
// mean, new noise each time. The bands are those of the frame's sample rate; short
// blocks are not kept, and each channel has a history of its own.
TEST(ConcealmentHistory, BandsKeepTheMeanOfTheThreeNewestGranules) {
    for (auto [group, rate] : {std::pair{1, 0}, std::pair{2, 2}}) {
        History h(group, rate);
        h.Store(std::vector<float>(kGranuleLines, 100.0f));
        const std::vector<float> a = Random(2), b = Random(3), c = Random(4);
        h.Store(a);
        h.Store(b);
        h.Store(c);
        h.Store(Random(9), 2);
        std::vector<float> mean(kGranuleLines);
        for (int j = 0; j < kGranuleLines; ++j) {
            mean[j] = (std::abs(a[j]) + std::abs(b[j]) + std::abs(c[j])) / 3;
        }
        const std::vector<float> first = h.Conceal();
        const std::vector<float> second = h.Conceal();
        EXPECT_EQ(first[0], 0.0f);
        for (int j = 1; j < h.BandStart(1); ++j) {
            EXPECT_NEAR(std::abs(first[j]), mean[j], 1e-3) << j;
        }
        for (int band = 1; band < 22; ++band) {
            const double target = BandEnergy(h, mean, band);
            EXPECT_NEAR(BandEnergy(h, first, band), target, 1e-4 * target) << band;
            EXPECT_NEAR(BandEnergy(h, second, band), target, 1e-4 * target) << band;
            EXPECT_NE(first[h.BandStart(band)], second[h.BandStart(band)]) << band;
        }
        EXPECT_EQ(h.Conceal(1), std::vector<float>(kGranuleLines, 0.0f));
    }
}

// After a reset the uniform generator (ran3, seed 42) first gives 0.63467079, 0.79164416,
// 0.94162339, 0.89489138; the sign generator (state 1044180) gives twelve minus signs,
// then plus signs. Band 0 at 8 kHz is lines 0..11 (line 0 takes a sign but is never
// repeated), band 1 lines 12..23, so its lines are those draws less 0.5, all scaled by
// one factor. A reset starts both generators again.
TEST(ConcealmentHistory, NoiseFollowsTheSeededGenerators) {
    History h(2, 2);
    for (int round = 0; round < 2; ++round) {
        h.Store(Random(30));
        const std::vector<float> first = h.Conceal();
        for (int j = 1; j < 12; ++j) {
            EXPECT_LT(first[j], 0.0f) << j;
        }
        const double draws[4] = {0.13467079, 0.29164416, 0.44162339, 0.39489138};
        for (int j = 1; j < 4; ++j) {
            EXPECT_NEAR(first[12 + j] / first[12], draws[j] / draws[0], 1e-5) << j;
        }
        const std::vector<float> second = h.Conceal();
        EXPECT_GT(second[1], 0.0f);
        EXPECT_GT(second[2], 0.0f);
        h.Reset();
    }
}

} // namespace
} // namespace sonarel::mp3
