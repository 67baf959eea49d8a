// Polyphase synthesis against the filterbank written out directly: matrixing with the
// cosine matrix, the FIFO of 16 slots, and the window D, in double precision.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <random>
#include <vector>

#include "mp3/decoder_options.h"
#include "mp3/fast_dct32.h"
#include "mp3/layer3_types.h"
#include "mp3/synthesis_filterbank.h"
#include "mp3/synthesis_window_table.h"

namespace sonarel::mp3 {
namespace {

constexpr double kPi = 3.14159265358979323846;

// The window D[0..511] read back out of its folded rows.
std::vector<double> UnfoldWindow() {
    std::vector<double> d(512);
    for (int m = 0; m < 8; ++m) {
        const float* w = SynthWindow16[0];
        d[64 * m] = w[4 * m];
        d[64 * m + 16] = -w[4 * m + 1];
        d[64 * m + 32] = -w[4 * m + 2];
        d[64 * m + 48] = -w[4 * m + 3];
        for (int r = 1; r < 16; ++r) {
            w = SynthWindow16[r];
            d[64 * m + r] = w[4 * m];
            d[64 * m + 32 - r] = -w[4 * m + 1];
            d[64 * m + 32 + r] = -w[4 * m + 2];
            d[64 * m + 64 - r] = -w[4 * m + 3];
        }
    }
    return d;
}

// The standard's synthesis for n subbands: V = N S with N[i][k] = cos((n/2 + i)(2k + 1)pi/2n),
// a FIFO of 16 slots of 2n values, U from every other half slot, and the window D
// taken at every (32/n)-th coefficient. For n = 32 this is ISO/IEC 11172-3 exactly.
class DirectSynthesis {
public:
    explicit DirectSynthesis(int n) : n_(n), step_(32 / n), d_(UnfoldWindow()), v_(32 * n, 0.0) {}

    // One slot: n subband samples in, n output sums out.
    void Slot(const float* s, double* out) {
        const int slot = 2 * n_;
        for (int i = static_cast<int>(v_.size()) - 1; i >= slot; --i) {
            v_[i] = v_[i - slot];
        }
        for (int i = 0; i < slot; ++i) {
            double sum = 0.0;
            for (int k = 0; k < n_; ++k) {
                sum += std::cos((n_ / 2 + i) * (2 * k + 1) * kPi / (2 * n_)) * s[k];
            }
            v_[i] = sum;
        }
        std::vector<double> u(16 * n_);
        for (int i = 0; i < 8; ++i) {
            for (int j = 0; j < n_; ++j) {
                u[2 * n_ * i + j] = v_[4 * n_ * i + j];
                u[2 * n_ * i + n_ + j] = v_[4 * n_ * i + 3 * n_ + j];
            }
        }
        for (int j = 0; j < n_; ++j) {
            double sum = 0.0;
            for (int i = 0; i < 16; ++i) {
                sum += u[j + n_ * i] * d_[step_ * (j + n_ * i)];
            }
            out[j] = sum;
        }
    }

private:
    int n_;
    int step_;
    std::vector<double> d_;
    std::vector<double> v_;
};

int Round16(double x) {
    return static_cast<int>(std::clamp(std::nearbyint(x), -32768.0, 32767.0));
}

int16_t Sample16(const std::vector<uint8_t>& bytes, size_t i) {
    return static_cast<int16_t>(bytes[2 * i] | (bytes[2 * i + 1] << 8));
}

// Granules of synthesis input, time-major (32t + s), random in [-amplitude, amplitude].
std::vector<std::vector<float>> RandomGranules(int count, float amplitude, unsigned seed) {
    std::mt19937 rng(seed);
    std::uniform_real_distribution<float> dist(-amplitude, amplitude);
    std::vector<std::vector<float>> granules(count, std::vector<float>(kGranuleLines));
    for (auto& granule : granules) {
        for (float& v : granule) {
            v = dist(rng);
        }
    }
    return granules;
}

struct Synth {
    FrameParams params;
    DecoderOptions options;
    SynthesisFilterbank bank;
    float in[kMaxChannels][kGranuleLines] = {};

    Synth(int channels, DecoderOptions opts)
        : params(MakeParams(channels)), options(opts), bank(params, options) {}

    static FrameParams MakeParams(int channels) {
        FrameParams p;
        p.channels = channels;
        return p;
    }

    // Runs one granule, given slot by slot (32t + s), and returns the bytes written.
    std::vector<uint8_t> Run(const std::vector<float>& left, const std::vector<float>& right = {}) {
        for (int t = 0; t < 18; ++t) {
            for (int s = 0; s < 32; ++s) {
                in[0][18 * s + t] = left[32 * t + s];
                in[1][18 * s + t] = right.empty() ? 0.0f : right[32 * t + s];
            }
        }
        std::vector<uint8_t> out(4 * kGranuleLines + 64, 0xAB);
        const uint8_t* end = bank.Run(in, out.data());
        out.resize(end - out.data());
        return out;
    }
};

TEST(FastDct, MatchesTheDirectSumForEverySizeAndLane) {
    std::mt19937 rng(7);
    std::uniform_real_distribution<float> dist(-1000.0f, 1000.0f);
    for (int n : {32, 16, 8}) {
        SCOPED_TRACE(n);
        Float4 in[32];
        Float4 out[32];
        for (int i = 0; i < n; ++i) {
            in[i] = Float4{dist(rng), dist(rng), dist(rng), dist(rng)};
        }
        if (n == 32) {
            FastDct32(in, out);
        } else if (n == 16) {
            FastDct16(in, out);
        } else {
            FastDct8(in, out);
        }
        for (int lane = 0; lane < 4; ++lane) {
            for (int i = 0; i < n; ++i) {
                double expected = 0.0;
                for (int k = 0; k < n; ++k) {
                    expected += in[k][lane] * std::cos((2 * k + 1) * i * kPi / (2 * n));
                }
                EXPECT_NEAR(out[i][lane], expected, 2e-3) << "lane " << lane << " output " << i;
            }
        }
    }
}

TEST(SynthesisWindow, HoldsTheStandardCoefficients) {
    const std::vector<double> d = UnfoldWindow();
    // A few values as the standard prints them (all are whole multiples of 2^-16).
    EXPECT_EQ(d[0], 0.0);
    EXPECT_EQ(d[1], -1.0 / 65536);
    EXPECT_EQ(d[64], 213.0 / 65536);
    EXPECT_EQ(d[128], 2037.0 / 65536);
    EXPECT_EQ(d[256], 75038.0 / 65536);
    EXPECT_EQ(d[300], 16155.0 / 65536);
    for (int i = 1; i < 512; ++i) {
        ASSERT_EQ(d[i] * 65536, std::round(d[i] * 65536)) << i;
        // D is odd about its centre, except at the multiples of 64, where it is even.
        ASSERT_EQ(d[512 - i], i % 64 == 0 ? d[i] : -d[i]) << i;
    }
}

TEST(Synthesis, SilenceAfterResetIsExactZeros) {
    Synth mono(1, {});
    const std::vector<uint8_t> out = mono.Run(std::vector<float>(kGranuleLines, 0.0f));
    ASSERT_EQ(out.size(), 2u * kGranuleLines);
    for (uint8_t byte : out) {
        ASSERT_EQ(byte, 0);
    }
}

// Rounds the direct filterbank's sums and compares: at most 1 apart, and rarely that.
void ExpectMatchesDirect(const std::vector<int>& expected, const std::vector<int>& actual) {
    ASSERT_EQ(expected.size(), actual.size());
    int off_by_one = 0;
    for (size_t i = 0; i < expected.size(); ++i) {
        const int diff = std::abs(expected[i] - actual[i]);
        ASSERT_LE(diff, 1) << "sample " << i;
        off_by_one += diff;
    }
    EXPECT_LT(off_by_one, static_cast<int>(expected.size() / 100));
}

void CheckAgainstDirect(int shift, int channels) {
    SCOPED_TRACE("shift " + std::to_string(shift) + ", channels " + std::to_string(channels));
    const int n = 32 >> shift;
    Synth synth(channels, {shift, false, false});
    std::vector<DirectSynthesis> direct(channels, DirectSynthesis(n));
    const auto left = RandomGranules(5, 400.0f, 1);
    const auto right = RandomGranules(5, 900.0f, 2);
    for (int g = 0; g < 5; ++g) {
        const std::vector<uint8_t> out =
            synth.Run(left[g], channels == 2 ? right[g] : std::vector<float>{});
        ASSERT_EQ(out.size(), static_cast<size_t>(2 * 18 * n * channels));
        std::vector<int> expected;
        std::vector<int> actual;
        for (int t = 0; t < 18; ++t) {
            double sums[kMaxChannels][32];
            for (int c = 0; c < channels; ++c) {
                const auto& granule = c == 0 ? left[g] : right[g];
                direct[c].Slot(granule.data() + 32 * t, sums[c]);
            }
            for (int j = 0; j < n; ++j) {
                for (int c = 0; c < channels; ++c) {
                    expected.push_back(Round16(sums[c][j]));
                    actual.push_back(Sample16(out, expected.size() - 1));
                }
            }
        }
        ExpectMatchesDirect(expected, actual);
    }
}

TEST(Synthesis, FullRateMatchesTheDirectFilterbank) {
    CheckAgainstDirect(0, 1);
    CheckAgainstDirect(0, 2);
}

// The input has all 32 subbands; the direct form of the reduced rates reads only the
// lowest 16 or 8.
TEST(Synthesis, HalfAndQuarterRateMatchTheDirectFilterbankOfTheLowSubbands) {
    CheckAgainstDirect(1, 1);
    CheckAgainstDirect(1, 2);
    CheckAgainstDirect(2, 2);
}

TEST(Synthesis, LoudSignalsClampAtBothEnds) {
    // A constant in subband 0 comes out as the same constant.
    for (bool eight_bit : {false, true}) {
        for (float level : {40000.0f, -40000.0f}) {
            Synth synth(1, {0, eight_bit, false});
            std::vector<float> granule(kGranuleLines, 0.0f);
            for (int t = 0; t < 18; ++t) {
                granule[32 * t] = level;
            }
            synth.Run(granule);
            const std::vector<uint8_t> out = synth.Run(granule);
            ASSERT_EQ(out.size(), eight_bit ? 576u : 1152u);
            for (size_t i = 0; i < 576; ++i) {
                const int sample = eight_bit ? out[i] : Sample16(out, i);
                const int expected =
                    eight_bit ? (level > 0 ? 255 : 0) : (level > 0 ? 32767 : -32768);
                ASSERT_EQ(sample, expected) << i;
            }
        }
    }
}

TEST(Synthesis, ResetStartsTheStreamAfreshFromSilence) {
    Synth used(1, {});
    Synth fresh(1, {});
    const auto granules = RandomGranules(3, 800.0f, 8);
    used.Run(granules[0]);
    used.Run(granules[1]);
    used.bank.Reset();
    EXPECT_EQ(used.Run(granules[2]), fresh.Run(granules[2]));
}

// The shortened window of the mono downmix leaves out the outer taps of D; the output
// stays within a fraction of a percent of the full window's.
TEST(Synthesis, DownmixWindowStaysCloseToTheFullWindow) {
    Synth full(1, {});
    Synth reduced(2, {0, false, true});
    const auto granules = RandomGranules(4, 800.0f, 9);
    double error = 0.0;
    double signal = 0.0;
    for (const auto& granule : granules) {
        const std::vector<uint8_t> a = full.Run(granule);
        const std::vector<uint8_t> b = reduced.Run(granule, RandomGranules(1, 30000.0f, 10)[0]);
        ASSERT_EQ(a.size(), b.size());
        for (size_t i = 0; i < a.size() / 2; ++i) {
            const double x = Sample16(a, i);
            const double y = Sample16(b, i);
            error += (x - y) * (x - y);
            signal += x * x;
        }
    }
    EXPECT_LT(std::sqrt(error / signal), 0.005);
}

} // namespace
} // namespace sonarel::mp3
