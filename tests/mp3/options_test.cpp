// The construction options: half and quarter rate, 8-bit samples, mono output.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <numbers>
#include <vector>

#include "decode_helpers.h"
#include "support/test_paths.h"

namespace sonarel::test {
namespace {

using mp3::DecoderOptions;

TEST(Options, FrameSizes) {
    struct Case {
        const char* name;
        DecoderOptions options;
        int bytes;
    } cases[] = {
        {"cbr_44100_stereo.mp3", {0, false, false}, 4608},
        {"cbr_44100_stereo.mp3", {1, false, false}, 2304},
        {"cbr_44100_stereo.mp3", {2, false, false}, 1152},
        {"cbr_44100_stereo.mp3", {0, true, false}, 2304},
        {"cbr_44100_stereo.mp3", {0, false, true}, 2304},
        {"cbr_44100_stereo.mp3", {2, true, true}, 288},
        {"cbr_44100_mono.mp3", {0, false, true}, 2304},
        {"cbr_22050_stereo.mp3", {1, true, false}, 576},
        {"cbr_8000_mono.mp3", {2, false, false}, 288},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(c.name) + " shift " + std::to_string(c.options.downsample_shift) +
                     (c.options.eight_bit ? " 8-bit" : "") + (c.options.mono ? " mono" : ""));
        const DecodedStream decoded =
            DecodeStream(LoadFile(FixturesDir() / "mp3" / c.name), c.options);
        ASSERT_FALSE(decoded.hung);
        ASSERT_GT(decoded.frame_bytes.size(), 10u);
        for (int bytes : decoded.frame_bytes) {
            ASSERT_EQ(bytes, c.bytes);
        }
    }
}

// 8-bit samples are the 16-bit ones shifted into unsigned bytes.
TEST(Options, EightBitSamplesAreTheTopBytes) {
    const std::vector<uint8_t> stream = LoadFile(FixturesDir() / "mp3" / "vbr_44100_stereo.mp3");
    const std::vector<int16_t> wide = AsSamples(DecodeStream(stream).pcm);
    const std::vector<uint8_t> narrow = DecodeStream(stream, {0, true, false}).pcm;
    ASSERT_EQ(narrow.size(), wide.size());
    for (size_t i = 0; i < wide.size(); ++i) {
        ASSERT_EQ(narrow[i], (wide[i] + 32768) >> 8) << i;
    }
}

// Amplitude and phase of a tone of `hz` in the samples, by least squares, and what is
// left after removing it.
struct ToneFit {
    double amplitude;
    double residual_db; // residual power relative to the tone
};

ToneFit FitTone(const std::vector<double>& x, double hz, double rate) {
    double cc = 0, ss = 0, cs = 0, xc = 0, xs = 0;
    for (size_t n = 0; n < x.size(); ++n) {
        const double c = std::cos(2 * std::numbers::pi * hz * double(n) / rate);
        const double s = std::sin(2 * std::numbers::pi * hz * double(n) / rate);
        cc += c * c, ss += s * s, cs += c * s, xc += x[n] * c, xs += x[n] * s;
    }
    const double det = cc * ss - cs * cs;
    const double a = (xc * ss - xs * cs) / det;
    const double b = (xs * cc - xc * cs) / det;
    double residual = 0;
    for (size_t n = 0; n < x.size(); ++n) {
        const double fit = a * std::cos(2 * std::numbers::pi * hz * double(n) / rate) +
                           b * std::sin(2 * std::numbers::pi * hz * double(n) / rate);
        residual += (x[n] - fit) * (x[n] - fit);
    }
    const double amplitude = std::hypot(a, b);
    const double tone_power = amplitude * amplitude / 2 * double(x.size());
    return {amplitude, 10 * std::log10(residual / tone_power)};
}

// Channel `channel` of interleaved samples, from `skip` frames on, `count` samples.
std::vector<double> Channel(const std::vector<int16_t>& pcm, int channels, int channel, size_t skip,
                            size_t count) {
    std::vector<double> out;
    for (size_t i = skip; i < skip + count && i * channels + channel < pcm.size(); ++i) {
        out.push_back(pcm[i * size_t(channels) + size_t(channel)]);
    }
    return out;
}

// The 1 kHz sine stream at half and quarter rate is the same tone at 22050 and 11025 Hz.
TEST(Options, ReducedRatesKeepTheToneOfTheSineStream) {
    if (VectorsDir().empty()) {
        GTEST_SKIP() << "conformance streams skipped: ../shared/vectors is not present";
    }
    const std::vector<uint8_t> stream = LoadFile(VectorsDir() / "l3-sin1k0db.bit");
    const std::vector<int16_t> full = AsSamples(DecodeStream(stream).pcm);
    const ToneFit reference = FitTone(Channel(full, 2, 0, 20000, 44100), 1000, 44100);
    ASSERT_LT(reference.residual_db, -25.0);
    for (int shift : {1, 2}) {
        SCOPED_TRACE(shift);
        const double rate = 44100.0 / (1 << shift);
        const std::vector<int16_t> reduced =
            AsSamples(DecodeStream(stream, {shift, false, false}).pcm);
        EXPECT_EQ(reduced.size(), full.size() >> shift);
        const ToneFit fit =
            FitTone(Channel(reduced, 2, 0, 20000 >> shift, 44100 >> shift), 1000, rate);
        std::printf("[ TONE     ] shift %d: amplitude %.1f (full rate %.1f), residual %.1f dB "
                    "(full rate %.1f dB)\n",
                    shift, fit.amplitude, reference.amplitude, fit.residual_db,
                    reference.residual_db);
        EXPECT_NEAR(fit.amplitude / reference.amplitude, 1.0, 0.05);
        // The stream is a full-scale sine that clips a little: what is not the tone must
        // not grow at the lower rates.
        EXPECT_LT(fit.residual_db, reference.residual_db + 1.0);
    }
}

// The mono downmix of a stereo stream is close to the mean of the two decoded channels.
TEST(Options, MonoDownmixIsTheMeanOfBothChannels) {
    const std::vector<uint8_t> stream = LoadFile(FixturesDir() / "mp3" / "cbr_44100_stereo.mp3");
    const std::vector<int16_t> stereo = AsSamples(DecodeStream(stream).pcm);
    const std::vector<int16_t> mono = AsSamples(DecodeStream(stream, {0, false, true}).pcm);
    ASSERT_EQ(mono.size() * 2, stereo.size());
    double signal = 0, error = 0;
    for (size_t i = 0; i < mono.size(); ++i) {
        const double mean = (double(stereo[2 * i]) + stereo[2 * i + 1]) / 2;
        signal += mean * mean;
        error += (mono[i] - mean) * (mono[i] - mean);
    }
    const double snr_db = 10 * std::log10(signal / error);
    std::printf("[ MONO     ] downmix against the mean of the channels: %.1f dB\n", snr_db);
    EXPECT_GT(snr_db, 20.0);
}

// Every option decodes every conformance stream without fault.
TEST(Options, EveryConformanceStreamWithEveryOption) {
    if (VectorsDir().empty()) {
        GTEST_SKIP() << "conformance streams skipped: ../shared/vectors is not present";
    }
    const char* streams[] = {"l3-compl",
                             "l3-he_32khz",
                             "l3-he_44khz",
                             "l3-he_48khz",
                             "l3-he_mode",
                             "l3-hecommon",
                             "l3-si",
                             "l3-si_block",
                             "l3-si_huff",
                             "l3-sin1k0db",
                             "l3-test45",
                             "l3-test46",
                             "M2L3_bitrate_16_all",
                             "M2L3_bitrate_22_all",
                             "M2L3_bitrate_24_all",
                             "M2L3_compl24",
                             "M2L3_noise"};
    const DecoderOptions options[] = {{1, false, false}, {2, false, false}, {0, true, false},
                                      {0, false, true},  {1, true, true},   {2, false, true}};
    for (const char* name : streams) {
        const std::vector<uint8_t> stream = LoadFile(VectorsDir() / (std::string(name) + ".bit"));
        const DecodedStream full = DecodeStream(stream);
        for (const DecoderOptions& option : options) {
            SCOPED_TRACE(std::string(name) + " shift " + std::to_string(option.downsample_shift) +
                         (option.eight_bit ? " 8-bit" : "") + (option.mono ? " mono" : ""));
            const DecodedStream decoded = DecodeStream(stream, option);
            ASSERT_FALSE(decoded.hung);
            ASSERT_EQ(decoded.frame_statuses, full.frame_statuses);
            for (size_t f = 0; f < decoded.frame_bytes.size(); ++f) {
                int expected = full.frame_bytes[f] >> option.downsample_shift;
                expected >>= option.eight_bit ? 1 : 0;
                if (option.mono && full.frame_channels[f] == 2) {
                    expected /= 2;
                }
                ASSERT_EQ(decoded.frame_bytes[f], expected) << "frame " << f;
            }
        }
    }
}

} // namespace
} // namespace sonarel::test
