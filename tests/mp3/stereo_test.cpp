// Mid/side and intensity stereo of one granule, and the mono downmix.
#include <gtest/gtest.h>

#include <cmath>
#include <random>
#include <vector>

#include "mp3/layer3_types.h"
#include "mp3/sf_band_table.h"
#include "mp3/stereo.h"

namespace sonarel::mp3 {
namespace {

constexpr double kInvSqrt2 = 0.70710678118654752440;

// One granule of a two-channel frame with random lines in both channels.
struct Granule {
    FrameParams params;
    GranuleInfo left{};
    GranuleInfo right{};
    ScaleFactors right_scalefac{};
    std::vector<float> l;
    std::vector<float> r;

    // MPEG-1 44.1 kHz (table_group 1) or MPEG-2 22.05 kHz (table_group 0).
    Granule(int mode, int mode_extension, int table_group = 1) {
        params.channels = 2;
        params.mode = mode;
        params.mode_extension = mode_extension;
        params.table_group = table_group;
        params.is_mpeg1 = table_group == 1 ? 1 : 0;
        std::mt19937 rng(static_cast<unsigned>(mode * 10 + mode_extension + table_group));
        std::uniform_real_distribution<float> dist(-1000.0f, 1000.0f);
        for (int i = 0; i < kGranuleLines; ++i) {
            l.push_back(dist(rng));
            r.push_back(dist(rng));
        }
        const int limit = params.is_mpeg1 ? 7 : 15;
        for (int b = 0; b < 23; ++b) {
            right_scalefac.LongLimit(b) = limit;
        }
        for (int b = 0; b < 13; ++b) {
            right_scalefac.ShortLimit(b) = limit;
        }
        SetLong(left, 576, 22);
        SetLong(right, 576, 22);
    }

    static void SetLong(GranuleInfo& gi, int nonzero, int bands) {
        gi.nonzero_count = nonzero;
        gi.long_bands_apply = 1;
        gi.long_band_count = bands;
    }

    const SfBandTable& Bands() const { return SfBandTableFor(params); }
    int LongStart(int b) const { return Bands().long_bounds[b]; }

    void Run(bool mono = false) {
        StereoProcess(l.data(), r.data(), left, right, right_scalefac, params, mono);
    }
};

// What a band of the original lines [begin, end) must have become.
struct Expect {
    const Granule& before;
    const Granule& after;

    void Same(int begin, int end) const { Scaled(begin, end, 1.0, 0.0, 0.0, 1.0); }

    // left' = a·l + b·r, right' = c·l + d·r
    void Scaled(int begin, int end, double a, double b, double c, double d) const {
        for (int i = begin; i < end; ++i) {
            const double l = before.l[i];
            const double r = before.r[i];
            ASSERT_NEAR(after.l[i], a * l + b * r, 1e-3) << "left line " << i;
            ASSERT_NEAR(after.r[i], c * l + d * r, 1e-3) << "right line " << i;
        }
    }

    void MidSide(int begin, int end) const {
        Scaled(begin, end, kInvSqrt2, kInvSqrt2, kInvSqrt2, -kInvSqrt2);
    }
};

TEST(StereoProcess, OneChannelFramesPassUntouched) {
    Granule g(3, 3);
    g.params.channels = 1;
    const Granule before = g;
    g.Run(true);
    EXPECT_EQ(g.l, before.l);
    EXPECT_EQ(g.r, before.r);
}

TEST(StereoProcess, PlainAndDualChannelFramesChangeOnlyForTheDownmix) {
    for (int mode : {0, 2}) {
        Granule g(mode, 3);
        g.left.nonzero_count = 100;
        g.right.nonzero_count = 300;
        const Granule before = g;
        g.Run();
        EXPECT_EQ(g.l, before.l);
        EXPECT_EQ(g.r, before.r);
        g.Run(true);
        const Expect expect{before, g};
        expect.Scaled(0, 300, 0.5, 0.5, 0.0, 1.0);
        expect.Same(300, kGranuleLines);
        // The left channel now carries the right one's lines as well.
        EXPECT_EQ(g.left.nonzero_count, 300);
    }
}

TEST(StereoProcess, JointStereoWithoutCodingIsAveragedOnlyForTheDownmix) {
    Granule g(1, 0);
    const Granule before = g;
    g.Run();
    EXPECT_EQ(g.l, before.l);
    EXPECT_EQ(g.r, before.r);
    g.Run(true);
    Expect{before, g}.Scaled(0, kGranuleLines, 0.5, 0.5, 0.0, 1.0);
}

TEST(StereoProcess, MidSideCoversEveryBandUpToTheLargerCount) {
    Granule g(1, 2);
    Granule::SetLong(g.left, g.LongStart(10), 10);
    Granule::SetLong(g.right, g.LongStart(14), 14);
    const Granule before = g;
    g.Run();
    const Expect expect{before, g};
    expect.MidSide(0, g.LongStart(14));
    expect.Same(g.LongStart(14), kGranuleLines);
}

TEST(StereoProcess, Mpeg1IntensityPositions) {
    for (int extension : {1, 3}) {
        SCOPED_TRACE(extension == 1 ? "intensity only" : "intensity and mid/side");
        Granule g(1, extension);
        Granule::SetLong(g.right, g.LongStart(5), 5); // intensity from band 5 on
        const int positions[] = {6, 0, 3, 7 /* illegal */, 2};
        for (int i = 0; i < 5; ++i) {
            g.right_scalefac.Long(5 + i) = positions[i];
        }
        const Granule before = g;
        g.Run();
        const Expect expect{before, g};
        auto plain = [&](int b) {
            if (extension == 3) {
                expect.MidSide(g.LongStart(b), g.LongStart(b + 1));
            } else {
                expect.Same(g.LongStart(b), g.LongStart(b + 1));
            }
        };
        for (int b = 0; b < 5; ++b) {
            plain(b);
        }
        const double tan2 = std::tan(2 * 3.14159265358979323846 / 12);
        expect.Scaled(g.LongStart(5), g.LongStart(6), 1.0, 0.0, 0.0, 0.0); // all left
        expect.Scaled(g.LongStart(6), g.LongStart(7), 0.0, 0.0, 1.0, 0.0); // all right
        expect.Scaled(g.LongStart(7), g.LongStart(8), 0.5, 0.0, 0.5, 0.0); // centre
        plain(8);
        expect.Scaled(g.LongStart(9), g.LongStart(10), tan2 / (1 + tan2), 0.0, 1 / (1 + tan2), 0.0);
    }
}

TEST(StereoProcess, Mpeg2IntensityPositionsAndScales) {
    Granule g(1, 1, 0);
    Granule::SetLong(g.right, 0, 0); // the whole right channel is intensity-coded
    g.right.intensity_scale = 1;
    g.right_scalefac.Long(0) = 3;
    g.right_scalefac.Long(1) = 4;
    g.right_scalefac.Long(2) = 0;
    g.right_scalefac.Long(3) = 15; // the band's illegal position
    Granule before = g;
    g.Run();
    Expect expect{before, g};
    expect.Scaled(g.LongStart(0), g.LongStart(1), 0.5, 0.0, 1.0, 0.0);
    expect.Scaled(g.LongStart(1), g.LongStart(2), 1.0, 0.0, 0.5, 0.0);
    expect.Scaled(g.LongStart(2), g.LongStart(3), 1.0, 0.0, 1.0, 0.0);
    expect.Same(g.LongStart(3), g.LongStart(4));

    Granule h(1, 1, 0);
    Granule::SetLong(h.right, 0, 0);
    h.right.intensity_scale = 0;
    h.right_scalefac.Long(0) = 3;
    before = h;
    h.Run();
    Expect{before, h}.Scaled(h.LongStart(0), h.LongStart(1), std::sqrt(0.5), 0.0, 1.0, 0.0);
}

// Band 21 carries no scale factor of its own; inside the intensity region it continues
// the position of band 20.
TEST(StereoProcess, TheTopBandTakesThePositionOfTheBandBelow) {
    for (int table_group : {0, 1}) {
        SCOPED_TRACE(table_group == 1 ? "MPEG-1" : "MPEG-2");
        Granule g(1, 1, table_group);
        Granule::SetLong(g.right, g.LongStart(19), 19);
        g.right_scalefac.Long(19) = 2;
        g.right_scalefac.Long(20) = table_group == 1 ? 6 : 4;
        g.right_scalefac.Long(21) = 0;
        g.right.intensity_scale = 1;
        const Granule before = g;
        g.Run();
        const Expect expect{before, g};
        const double right_gain = table_group == 1 ? 0.0 : 0.5;
        expect.Scaled(g.LongStart(20), g.LongStart(21), 1.0, 0.0, right_gain, 0.0);
        expect.Scaled(g.LongStart(21), kGranuleLines, 1.0, 0.0, right_gain, 0.0);
    }
    // As the first intensity band it has the position 0 that its scale factor says.
    Granule g(1, 1, 0);
    Granule::SetLong(g.right, g.LongStart(21), 21);
    g.right_scalefac.Long(20) = 4;
    g.right_scalefac.Long(21) = 0;
    g.right_scalefac.LongLimit(21) = 1;
    const Granule before = g;
    g.Run();
    const Expect expect{before, g};
    expect.Same(0, g.LongStart(21));
    expect.Scaled(g.LongStart(21), kGranuleLines, 1.0, 0.0, 1.0, 0.0);
}

// Window w of short band b in transmission order.
int ShortStart(const Granule& g, int b, int w) {
    const int16_t* s = g.Bands().short_bounds;
    return 3 * s[b] + w * (s[b + 1] - s[b]);
}

int ShortEnd(const Granule& g, int b, int w) {
    const int16_t* s = g.Bands().short_bounds;
    return ShortStart(g, b, w) + s[b + 1] - s[b];
}

void MakeShort(GranuleInfo& gi, bool mixed) {
    gi.window_switching_flag = 1;
    gi.block_type = 2;
    gi.mixed_block_flag = mixed ? 1 : 0;
    gi.long_bands_apply = 0;
    gi.short_band_count = 13;
    for (int& count : gi.window_band_count) {
        count = 13;
    }
}

TEST(StereoProcess, ShortBlocksStartIntensityPerWindow) {
    Granule g(1, 1);
    MakeShort(g.left, false);
    MakeShort(g.right, false);
    g.right.window_band_count[0] = 2;
    g.right.window_band_count[1] = 5;
    for (int w = 0; w < 3; ++w) {
        for (int b = 0; b < 13; ++b) {
            g.right_scalefac.Short(w, b) = 0; // all into the right channel
        }
    }
    const Granule before = g;
    g.Run();
    const Expect expect{before, g};
    const int first[3] = {2, 5, 13};
    for (int w = 0; w < 3; ++w) {
        for (int b = 0; b < 13; ++b) {
            SCOPED_TRACE("window " + std::to_string(w) + " band " + std::to_string(b));
            if (b < first[w]) {
                expect.Same(ShortStart(g, b, w), ShortEnd(g, b, w));
            } else {
                expect.Scaled(ShortStart(g, b, w), ShortEnd(g, b, w), 0.0, 0.0, 1.0, 0.0);
            }
        }
    }
}

TEST(StereoProcess, MixedBlocksHaveALongAndAShortPart) {
    Granule g(1, 3);
    MakeShort(g.left, true);
    MakeShort(g.right, true);
    g.right.window_band_count[0] = 4;
    g.right.window_band_count[1] = 13;
    g.right.window_band_count[2] = 13;
    for (int b = 3; b < 13; ++b) {
        g.right_scalefac.Short(0, b) = 6; // all into the left channel
    }
    const Granule before = g;
    g.Run();
    const Expect expect{before, g};
    expect.MidSide(0, g.LongStart(8)); // long bands 0..7, no intensity there
    for (int w = 0; w < 3; ++w) {
        for (int b = 3; b < 13; ++b) {
            if (w == 0 && b >= 4) {
                expect.Scaled(ShortStart(g, b, w), ShortEnd(g, b, w), 1.0, 0.0, 0.0, 0.0);
            } else {
                expect.MidSide(ShortStart(g, b, w), ShortEnd(g, b, w));
            }
        }
    }
}

TEST(StereoProcess, DownmixOfCodedBandsIsTheMeanOfTheDecodedChannels) {
    Granule g(1, 3);
    Granule::SetLong(g.right, g.LongStart(2), 2);
    g.right_scalefac.Long(2) = 1;
    Granule before = g;
    g.Run(true);
    Expect expect{before, g};
    expect.Scaled(0, g.LongStart(2), kInvSqrt2, 0.0, 0.0, 1.0);        // (M+S + M-S)/2/sqrt2
    expect.Scaled(g.LongStart(2), g.LongStart(3), 0.5, 0.0, 0.0, 1.0); // MPEG-1 factors sum to 1

    Granule h(1, 1, 0);
    Granule::SetLong(h.right, 0, 0);
    h.right.intensity_scale = 1;
    h.right_scalefac.Long(0) = 4; // right gets 0.5 of the left
    before = h;
    h.Run(true);
    Expect{before, h}.Scaled(h.LongStart(0), h.LongStart(1), 0.75, 0.0, 0.0, 1.0);
}

// Both channels of a joint-stereo granule carry every line either channel had: the side
// channel's lines reach the left output through mid/side, the left's reach the right
// through intensity stereo.
TEST(StereoProcess, BandCountsOfBothChannelsRiseToTheLarger) {
    Granule g(1, 3);
    Granule::SetLong(g.left, 400, 20);
    Granule::SetLong(g.right, 100, 11);
    g.left.short_band_count = 7;
    g.left.window_band_count[1] = 6;
    g.Run();
    EXPECT_EQ(g.right.nonzero_count, 400);
    EXPECT_EQ(g.right.long_band_count, 20);
    EXPECT_EQ(g.right.short_band_count, 7);
    EXPECT_EQ(g.right.window_band_count[1], 6);
    EXPECT_EQ(g.left.nonzero_count, 400);
    EXPECT_EQ(g.left.long_band_count, 20);

    Granule h(1, 2); // mid/side with a side channel wider than the mid channel
    Granule::SetLong(h.left, 100, 11);
    Granule::SetLong(h.right, 400, 20);
    h.right.short_band_count = 9;
    h.Run();
    EXPECT_EQ(h.left.nonzero_count, 400);
    EXPECT_EQ(h.left.long_band_count, 20);
    EXPECT_EQ(h.left.short_band_count, 9);
}

} // namespace
} // namespace sonarel::mp3
