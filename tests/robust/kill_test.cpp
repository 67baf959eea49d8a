// A conversion killed at any moment (SIGKILL: no handler runs) leaves a WAVE file whose
// header describes whole sample frames within the bytes it holds: the header is brought up
// to date while the file is written.
#include "robust_fixture.h"

#include <random>

namespace sonarel::test {
namespace {

TEST(Kill, AtTwentyRandomMomentsTheFileStaysReadable) {
    ScratchDir dir;
    const std::string input = RepeatFixture(dir, "cbr_44100_stereo.mp3", "long.mp3", 30u << 20);
    const std::string output = (dir / "out.wav").string();
    std::mt19937 rng(5);
    std::uniform_int_distribution<int> moment_ms(50, 1600);
    int cut_short = 0;
    for (int round = 0; round < 20; ++round) {
        const int kill_after = moment_ms(rng);
        SCOPED_TRACE("killed after " + std::to_string(kill_after) + " ms");
        const ProcessResult run =
            RunCli({"-overwrite", "-nobeep", input, output}, dir.Path().string(), 0, kill_after);
        cut_short += run.timedOut ? 1 : 0;
        EXPECT_EQ(WaveInconsistency(ReadWaveFile(output, false), WaveEnd::kInterrupted), "");
    }
    EXPECT_GT(cut_short, 10) << "the conversions ended before the kills";
}

} // namespace
} // namespace sonarel::test
