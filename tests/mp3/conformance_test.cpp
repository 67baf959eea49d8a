// The ISO/IEC 11172-4 and 13818-4 Layer III streams against the reference decoder's PCM, in
// every output form. (Damaged streams, other layers and free format: the damage tests and the
// decoder's fuzz seeds.)
#include "decode_helpers.h"
#include "support/test_paths.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <gtest/gtest.h>
#include <initializer_list>
#include <numbers>
#include <string>

namespace sonarel::test {
namespace {

namespace fs = std::filesystem;

#define SKIP_WITHOUT_VECTORS()                                                                     \
    if (VectorsDir().empty())                                                                      \
    GTEST_SKIP() << "conformance streams skipped: ../shared/vectors is not present beside the "    \
                    "checkout"

// The reference decoder discards a frame whose main data reaches back before the start
// of the stream; this decoder outputs concealment for it instead. Such frames can only
// lead the stream, so they are left out of the comparison.
void ExpectMatchesReference(const std::string& label, const DecodedStream& decoded,
                            const fs::path& reference_path) {
    ASSERT_FALSE(decoded.hung);
    const std::vector<int16_t> reference = AsSamples(ReadFileBytes(reference_path));
    ASSERT_FALSE(reference.empty()) << reference_path;
    size_t skip = 0;
    size_t dropped = 0;
    for (; dropped < decoded.frame_statuses.size() &&
           decoded.frame_statuses[dropped] == mp3::MP3_I_RESERVOIR_CONCEALED;
         ++dropped) {
        skip += static_cast<size_t>(decoded.frame_bytes[dropped]);
    }
    const std::vector<int16_t> samples =
        AsSamples({decoded.pcm.begin() + long(skip), decoded.pcm.end()});
    ASSERT_GE(samples.size(), reference.size());
    int max_diff = 0;
    double squares = 0;
    for (size_t i = 0; i < reference.size(); ++i) {
        const int diff = std::abs(int{samples[i]} - int{reference[i]});
        max_diff = std::max(max_diff, diff);
        squares += double(diff) * diff;
    }
    const double psnr = 10.0 * std::log10(32767.0 * 32767.0 * double(reference.size()) / squares);
    std::printf("[ PSNR     ] %-24s %8zu samples  max diff %d  PSNR %.1f dB  (%zu leading frames "
                "without main data skipped)\n",
                label.c_str(), reference.size(), max_diff, psnr, dropped);
    EXPECT_LE(max_diff, 1);
    EXPECT_GT(psnr, 90.0);
}

class ConformanceTest : public ::testing::TestWithParam<std::string> {};

// Every vector path gives exactly the portable path's PCM, with the standard window and
// with the shortened one of the mono downmix; every option gives the same frames, each
// of the size the option asks for. 8-bit samples are the 16-bit ones shifted into unsigned
// bytes, and the mono downmix of two channels is close to their mean.
TEST_P(ConformanceTest, MatchesTheReferenceInEveryOutputForm) {
    SKIP_WITHOUT_VECTORS();
    const std::string name = GetParam();
    const std::vector<uint8_t> stream = ReadFileBytes(VectorsDir() / (name + ".bit"));
    const mp3::DecoderOptions options[] = {{0, false, false}, {1, false, false}, {2, false, false},
                                           {0, true, false},  {0, false, true},  {1, true, true},
                                           {2, false, true}};
    DecodedStream full;
    std::vector<int16_t> wide;
    for (mp3::DecoderOptions option : options) {
        SCOPED_TRACE("shift " + std::to_string(option.downsample_shift) +
                     (option.eight_bit ? " 8-bit" : "") + (option.mono ? " mono" : ""));
        option.vectors = mp3::VectorPath::kPortable;
        const DecodedStream decoded = DecodeStream(stream, option);
        ASSERT_FALSE(decoded.hung);
        if (full.pcm.empty()) {
            full = decoded;
            wide = AsSamples(full.pcm);
            ExpectMatchesReference(name, full, VectorsDir() / (name + ".pcm"));
        }
        ASSERT_EQ(decoded.frame_statuses, full.frame_statuses);
        for (size_t f = 0; f < decoded.frame_bytes.size(); ++f) {
            int expected = full.frame_bytes[f] >> option.downsample_shift >> option.eight_bit;
            expected /= option.mono && full.frame_channels[f] == 2 ? 2 : 1;
            ASSERT_EQ(decoded.frame_bytes[f], expected) << "frame " << f;
        }
        const bool stereo = full.frame_channels[0] == 2;
        for (size_t i = 0; option.eight_bit && option.downsample_shift == 0 && i < wide.size();
             ++i) {
            ASSERT_EQ(decoded.pcm[i], (wide[i] + 32768) >> 8) << i;
        }
        if (option.mono && option.downsample_shift == 0 && stereo) {
            const std::vector<int16_t> mono = AsSamples(decoded.pcm);
            double signal = 0, error = 0;
            for (size_t i = 0; i < mono.size(); ++i) {
                const double mean = (double(wide[2 * i]) + wide[2 * i + 1]) / 2;
                signal += mean * mean;
                error += (mono[i] - mean) * (mono[i] - mean);
            }
            EXPECT_GT(10 * std::log10(signal / error), 20.0);
        }
        for (mp3::VectorPath path : {mp3::VectorPath::kSse2, mp3::VectorPath::kAvx2}) {
            if (mp3::ResolveVectorPath(path) == path && option.downsample_shift == 0 &&
                !option.eight_bit) {
                option.vectors = path;
                EXPECT_TRUE(DecodeStream(stream, option).pcm == decoded.pcm)
                    << "path " << static_cast<int>(path);
            }
        }
    }
}

INSTANTIATE_TEST_SUITE_P(Layer3, ConformanceTest,
                         ::testing::Values("l3-compl", "l3-he_32khz", "l3-he_44khz", "l3-he_48khz",
                                           "l3-he_mode", "l3-hecommon", "l3-si", "l3-si_block",
                                           "l3-si_huff", "l3-sin1k0db", "l3-test45", "l3-test46",
                                           "M2L3_bitrate_16_all", "M2L3_bitrate_22_all",
                                           "M2L3_bitrate_24_all", "M2L3_compl24", "M2L3_noise"),
                         [](const ::testing::TestParamInfo<std::string>& info) {
                             std::string name = info.param;
                             std::replace(name.begin(), name.end(), '-', '_');
                             return name;
                         });

// The sine stream cut at byte 633, in the middle of a frame: the bytes before the first
// confirmed header are skipped and the first frames, whose main data is gone, come out
// as concealment of full length, silent while there is nothing to conceal from.
TEST(Conformance, StreamCutInTheMiddleOfAFrame) {
    SKIP_WITHOUT_VECTORS();
    const std::vector<uint8_t> whole = ReadFileBytes(VectorsDir() / "l3-sin1k0db.bit");
    const DecodedStream decoded = DecodeStream({whole.begin() + 633, whole.end()});
    ASSERT_GE(decoded.frame_statuses.size(), 3u);
    EXPECT_EQ(decoded.frame_statuses[0], mp3::MP3_I_RESERVOIR_CONCEALED);
    EXPECT_EQ(decoded.frame_bytes[0], 4608);
    EXPECT_EQ(std::count(decoded.pcm.begin(), decoded.pcm.begin() + 4608, 0), 4608)
        << "nothing to conceal from yet: silence";
    ExpectMatchesReference("l3-sin1k0db_ofs633", decoded, VectorsDir() / "l3-sin1k0db_ofs633.pcm");
}

// Amplitude of the 1 kHz tone in one second of the left channel from frame `first` on,
// and the power of what is left, relative to the tone's, in dB. A second holds a whole
// number of periods: the projection on cosine and sine is exact.
std::pair<double, double> ToneAt1kHz(const std::vector<int16_t>& x, size_t first, int rate) {
    double xc = 0, xs = 0, power = 0;
    for (int n = 0; n < rate; ++n) {
        const double v = x[2 * (first + size_t(n))];
        const double phase = 2 * std::numbers::pi * 1000 * n / rate;
        xc += v * std::cos(phase), xs += v * std::sin(phase), power += v * v;
    }
    const double amplitude = 2 * std::hypot(xc, xs) / rate;
    const double tone = amplitude * amplitude / 2 * rate;
    return {amplitude, 10 * std::log10((power - tone) / tone)};
}

// The 1 kHz sine stream at half and quarter rate is the same tone at 22050 and 11025 Hz;
// its clipping residue must not grow at the lower rates.
TEST(Conformance, ReducedRatesKeepTheToneOfTheSineStream) {
    SKIP_WITHOUT_VECTORS();
    const std::vector<uint8_t> stream = ReadFileBytes(VectorsDir() / "l3-sin1k0db.bit");
    const std::vector<int16_t> full = AsSamples(DecodeStream(stream).pcm);
    const auto [amplitude, residual] = ToneAt1kHz(full, 20000, 44100);
    ASSERT_LT(residual, -25.0);
    for (int shift : {1, 2}) {
        const std::vector<int16_t> reduced =
            AsSamples(DecodeStream(stream, {shift, false, false}).pcm);
        EXPECT_EQ(reduced.size(), full.size() >> shift);
        const auto [a, r] = ToneAt1kHz(reduced, 20000 >> shift, 44100 >> shift);
        EXPECT_NEAR(a / amplitude, 1.0, 0.05) << shift;
        EXPECT_LT(r, residual + 1.0) << shift;
    }
}

} // namespace
} // namespace sonarel::test
