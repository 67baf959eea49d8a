// The spectrum stages at the edges the conformance streams do not reach: Huffman data at
// the ends of a granule's bits, the band counts of each window of a short block,
// requantisation gains beyond the gain table, the alias-reduction seams of mixed blocks at
// 8 kHz and of the reduced output rates, and side information that claims more lines than a
// granule has; and the concealment history, what it keeps and the noise it makes from it.
// (The scale factor bands of every rate: the conformance streams for MPEG-1 and MPEG-2, the
// differential check against mpg123 for MPEG-2.5.)
#include "mp3/concealment.h"
#include "mp3/huffman_decoder.h"
#include "mp3/layer3_types.h"
#include "mp3/reorder_antialias.h"
#include "mp3/requantize.h"
#include "mp3/scale_factors.h"
#include "mp3/sf_band_table.h"
#include "mp3/side_info.h"

#include <algorithm>
#include <bitset>
#include <cmath>
#include <gtest/gtest.h>
#include <initializer_list>
#include <map>
#include <random>
#include <string>
#include <vector>

namespace sonarel::mp3 {
namespace {

// A reservoir holding the code bits behind three bits of something else, read from them.
void Load(BitRingBuffer& reservoir, const std::string& codes) {
    std::string bits = "101" + codes;
    std::erase(bits, ' ');
    std::vector<uint8_t> bytes(bits.size() / 8 + 9, 0xFF);
    for (size_t i = 0; i < bits.size(); ++i) {
        const uint8_t mask = uint8_t(0x80 >> (i % 8));
        bytes[i / 8] = bits[i] == '1' ? bytes[i / 8] | mask : bytes[i / 8] & ~mask;
    }
    reservoir.Reset();
    reservoir.WriteBytes(bytes.data(), static_cast<int>(bytes.size()));
    reservoir.Skip(3);
    reservoir.SetConsumedBits(0);
}

std::vector<float> Random(unsigned seed) {
    std::mt19937 rng(seed);
    std::vector<float> xr(kGranuleLines);
    std::generate(xr.begin(), xr.end(), [&rng] { return float(rng() % 2001) - 1000.0f; });
    return xr;
}

// Big values of table 1 (or 0, which reads nothing) in region 0, then count-one
// quadruples of table B (four fixed bits and signs). A quadruple that would run past the
// granule's bits is dropped; data that already ran past them (damaged side information)
// keeps its lines, drops nothing, and the reader goes back to the granule's end.
TEST(Huffman, GranuleEdges) {
    const struct Case {
        int big_values;
        int table;
        int already_read; // bits the scale factors took
        int part2_3_length;
        const char* codes;
        std::map<int, int> lines; // the non-zero ones
        int nonzero_count;
    } cases[] = {
        {0, 1, 0, 0, "", {}, 0},                                    // nothing coded
        {4, 0, 0, 5, "0111 1", {{8, -1}}, 9},                       // table 0 reads nothing
        {0, 1, 0, 7, "1110 0 0000 1111", {{3, 1}}, 4},              // a quadruple past the end
        {286, 0, 0, 17, "1110 1 0000 0000 0000", {{575, -1}}, 576}, // stuffing after line 575
        {2, 1, 0, 3, "001 1 001 0", {{1, -1}, {3, 1}}, 4},          // big values past the end
        {0, 1, 12, 5, "0000000000", {}, 0},                         // scale factors past the end
        {2, 1, 0, 5, "1 001 0", {{3, 1}}, 4},                       // a count on a band boundary
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.codes);
        BitRingBuffer reservoir(2048);
        Load(reservoir, c.codes);
        reservoir.SetConsumedBits(c.already_read);
        GranuleInfo gi{};
        gi.big_values = c.big_values;
        gi.table_select[0] = c.table;
        gi.region0_count = gi.region1_count = 7;
        gi.count1table_select = 1;
        gi.part2_3_length = c.part2_3_length;
        int32_t ix[576];
        const FrameParams params{2, 0, 0, 0, 0, 32, 1, 1, 0}; // MPEG-1 44.1 kHz
        DecodeSpectrum(reservoir, ix, gi, params);
        EXPECT_EQ(reservoir.ConsumedBits(), c.part2_3_length);
        EXPECT_EQ(gi.nonzero_count, c.nonzero_count);
        for (int i = 0; i < 576; ++i) {
            const auto line = c.lines.find(i);
            ASSERT_EQ(ix[i], line == c.lines.end() ? 0 : line->second) << i;
        }
    }
}

// A short block counts the bands of each window up to the last one holding a line of that
// window: here line 12 (band 1 of window 0) and line 4 (band 0 of window 1), as count-one
// quadruples of table B. Window 2 holds no line, so all its bands are open to intensity stereo.
TEST(Huffman, ShortBlocksCountTheBandsOfEachWindow) {
    BitRingBuffer reservoir(2048);
    Load(reservoir, "1111 0111 0 1111 0111 0");
    EXPECT_FALSE(reservoir.Skip(0) || reservoir.Skip(-3)); // nothing moves: all 18 bits are read
    GranuleInfo gi{};
    gi.window_switching_flag = 1;
    gi.block_type = 2;
    gi.count1table_select = 1;
    gi.part2_3_length = 18;
    int32_t ix[576];
    DecodeSpectrum(reservoir, ix, gi, FrameParams{2, 0, 0, 0, 0, 32, 1, 1, 0});
    EXPECT_EQ(gi.nonzero_count, 13);
    EXPECT_EQ(gi.short_band_count, 2);
    EXPECT_EQ(gi.window_band_count[0], 2);
    EXPECT_EQ(gi.window_band_count[1], 1);
    EXPECT_EQ(gi.window_band_count[2], 0);
}

// A global gain above 210 is loud, and one far below keeps the formula's gain, so that a
// large escape value still carries more than a sample's worth of signal, instead of
// silencing the band.
TEST(Requantize, GainsOnBothSidesOfTheTable) {
    const struct Case {
        int global_gain;
        int ix;
    } cases[] = {{210, 1}, {210, -8},  {206, 1},    {211, 1},   {255, 1},
                 {82, 1},  {82, 8206}, {210, 8206}, {210, -128}};
    for (const Case& c : cases) {
        GranuleInfo gi{};
        gi.global_gain = c.global_gain;
        gi.nonzero_count = 576;
        gi.long_bands_apply = 1;
        gi.long_band_count = 22;
        int32_t ix[576] = {c.ix};
        float xr[576];
        Requantize(ix, xr, gi, ScaleFactors{}, FrameParams{2, 0, 0, 0, 0, 32, 1, 1, 0});
        const double magnitude = std::pow(std::abs(double(c.ix)), 4.0 / 3.0);
        const double expected =
            std::copysign(magnitude, c.ix) * 32768.0 * std::pow(2.0, (c.global_gain - 210) / 4.0);
        EXPECT_NEAR(xr[0], expected, 1e-6 * std::abs(expected)) << c.global_gain << " " << c.ix;
        EXPECT_EQ(xr[1], 0.0f);
    }
}

// The alias-reduction butterflies of the standard over the first `seams` seams, in double
// precision.
std::vector<float> DirectButterflies(std::vector<float> xr, int seams) {
    const double c[8] = {-0.6, -0.535, -0.33, -0.185, -0.095, -0.041, -0.0142, -0.0037};
    for (int i = 0; i < seams; ++i) {
        for (int k = 0; k < 8; ++k) {
            const double cs = 1.0 / std::sqrt(1.0 + c[k] * c[k]);
            const double ca = c[k] / std::sqrt(1.0 + c[k] * c[k]);
            const double u = xr[18 * i + 17 - k];
            const double v = xr[18 * (i + 1) + k];
            xr[18 * i + 17 - k] = static_cast<float>(u * cs - v * ca);
            xr[18 * (i + 1) + k] = static_cast<float>(v * cs + u * ca);
        }
    }
    return xr;
}

// Each row: block kind ('l' long, 's' short, 'm' mixed), table group (1 MPEG-1 44.1 kHz,
// 0 MPEG-2 24 kHz, 2 MPEG-2.5 8 kHz), downsampling shift, non-zero lines, short bands,
// and the subband count and seams expected.
TEST(Antialias, SeamsFollowTheBlockKindAndTheOutputRate) {
    const int cases[][7] = {
        {'l', 1, 0, 0, 0, 0, 0},     {'l', 1, 0, 1, 0, 1, 1},     {'l', 1, 0, 37, 0, 3, 3},
        {'l', 1, 0, 575, 0, 32, 31}, {'l', 1, 0, 576, 0, 32, 31}, {'l', 1, 1, 576, 0, 32, 15},
        {'l', 1, 2, 576, 0, 32, 7},  {'l', 1, 2, 60, 0, 4, 4},    {'m', 1, 0, 576, 13, 32, 1},
        {'m', 0, 0, 576, 13, 32, 1}, {'m', 2, 0, 576, 13, 32, 3}, // 8 kHz: four long subbands
        {'s', 1, 0, 100, 6, 5, 0},   {'s', 1, 0, 100, 7, 7, 0},   // 90 lines; six and a bit
    };
    for (const auto& [kind, group, shift, nonzero, short_bands, subbands, seams] : cases) {
        FrameParams params;
        params.channels = 1;
        params.table_group = group;
        params.sample_rate_index = group == 1 ? 0 : group == 0 ? 1 : 2;
        params.is_mpeg1 = group == 1 ? 1 : 0;
        GranuleInfo gi{};
        gi.window_switching_flag = kind == 'l' ? 0 : 1;
        gi.long_bands_apply = kind == 'l' ? 1 : 0;
        gi.block_type = kind == 'l' ? 0 : 2;
        gi.mixed_block_flag = kind == 'm' ? 1 : 0;
        gi.nonzero_count = nonzero;
        gi.short_band_count = short_bands;
        const std::vector<float> before = Random(static_cast<unsigned>(seams + 100));
        std::vector<float> xr = before;
        Antialias(xr.data(), gi, params, shift);
        EXPECT_EQ(gi.subband_count, subbands);
        const std::vector<float> expected = DirectButterflies(before, seams);
        for (int i = 0; i < kGranuleLines; ++i) {
            ASSERT_NEAR(xr[i], expected[i], 2e-4) << "line " << i;
        }
    }
}

// MPEG-2 scale factors that no conformance stream has: a mixed block (compress 511: lengths 3
// and 2 from row two) reads 15 and 18, the mixed counts; the intensity channel's long block
// (411: lengths 1, 2 and 1 from row four, six bands each) has lengths and a scale of its own.
TEST(ScaleFactors, Mpeg2LengthsAndCountsFollowTheCompressValue) {
    std::string codes;
    for (auto [code, count] : {std::pair{"101", 6}, {"110", 9}, {"10", 18}}) {
        for (int n = 0; n < count; ++n) {
            codes += code; // long bands 0..5, short bands 3..5 and 6..11 (three windows each)
        }
    }
    BitRingBuffer reservoir(2048);
    Load(reservoir, codes);
    GranuleInfo gi{};
    gi.scalefac_compress = 511;
    gi.window_switching_flag = 1;
    gi.block_type = 2;
    gi.mixed_block_flag = 1;
    FrameParams params{2, 0, 0, 1, 0, 32, 1, 1, 0};
    params.is_mpeg1 = 0;
    params.table_group = 0;
    params.mode_extension = 1; // intensity stereo
    ScaleFactors sf{};
    int32_t scfsi[4] = {0, 0, 0, 0};
    ReadScaleFactors(reservoir, gi, sf, params, scfsi, 0, 0);
    EXPECT_EQ(gi.preflag, 1);
    EXPECT_EQ(reservoir.ConsumedBits(), int(codes.size()));
    EXPECT_EQ(sf.Long(5), 5);
    EXPECT_EQ(sf.Short(2, 3), 6);
    EXPECT_EQ(sf.Short(0, 5), 6);
    EXPECT_EQ(sf.Short(1, 6), 2);
    EXPECT_EQ(sf.Short(2, 11), 2);
    EXPECT_EQ(sf.ShortLimit(11), 3);
    EXPECT_EQ(sf.ShortLimit(12), 1);
    Load(reservoir, "111111 101010101010 000001");
    gi = GranuleInfo{};
    gi.scalefac_compress = 411;
    ReadScaleFactors(reservoir, gi, sf, params, scfsi, 0, 1);
    EXPECT_EQ(gi.intensity_scale, 1);
    EXPECT_EQ(reservoir.ConsumedBits(), 24);
    EXPECT_EQ(sf.Long(5) * 100 + sf.Long(6) * 10 + sf.Long(17), 121);
}

// Side information that gives a granule more big values than it has lines (288 pairs) is
// damaged: the granule is read as empty, so no stage reads or writes past its 576 lines.
TEST(SideInfo, MoreBigValuesThanAGranuleHasLinesEmptyIt) {
    for (int big_values : {288, 289}) {
        BitRingBuffer reservoir(2048);
        // MPEG-2 mono: main_data_begin and the private bit, then the granule.
        Load(reservoir, std::string(9, '0') + std::bitset<12>(100).to_string() +
                            std::bitset<9>(uint32_t(big_values)).to_string() +
                            std::string(60, '0'));
        FrameParams params;
        params.channels = 1;
        SideInfo side{};
        ASSERT_TRUE(ReadSideInfo(reservoir, side, params));
        EXPECT_EQ(side.Granule(0, 0).big_values, big_values == 288 ? 288 : 0);
        EXPECT_EQ(side.Granule(0, 0).part2_3_length, big_values == 288 ? 100 : 0);
    }
}

// The concealment history: what it keeps, and the noise it makes from it.
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
