// Joint stereo on a real encoder's stream: left = tone + noise, right = tone - noise, coded
// as mid/side. The mid channel holds only the tone's few lines, the side channel the whole
// band; decoded right, left + right is the tone alone again.
#include <gtest/gtest.h>

#include "decode_helpers.h"
#include "support/test_paths.h"

namespace sonarel::test {
namespace {

// Energy of the first difference of left + sign * right: the noise, with the low tone
// nearly removed.
double HighBandEnergy(const std::vector<int16_t>& samples, int sign) {
    double energy = 0;
    for (size_t i = 2; i + 1 < samples.size(); i += 2) {
        const double now = samples[i] + sign * samples[i + 1];
        const double before = samples[i - 2] + sign * samples[i - 1];
        energy += (now - before) * (now - before);
    }
    return energy;
}

TEST(JointStereoStream, SideLinesAboveTheMidChannelReachBothOutputs) {
    const auto stream = LoadFile(FixturesDir() / "mp3" / "midside_wide_side.mp3");
    const DecodedStream decoded = DecodeStream(stream);
    ASSERT_FALSE(decoded.hung);
    const std::vector<int16_t> samples = AsSamples(decoded.pcm);
    ASSERT_GT(samples.size(), 30000u);
    const double sum = HighBandEnergy(samples, 1);
    const double difference = HighBandEnergy(samples, -1);
    ASSERT_GT(difference, 0.0);
    // Decoded right, the sum keeps 0.5 % of the noise (the coding noise); with the side
    // lines lost in the left channel, 2 %.
    EXPECT_LT(sum / difference, 0.01);
}

} // namespace
} // namespace sonarel::test
