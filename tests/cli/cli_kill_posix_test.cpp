// A conversion killed at any moment (SIGKILL: no handler runs) leaves a WAVE file whose
// header describes whole sample frames within the bytes it holds: the header is brought up
// to date while the file is written.
#include "cli_fixture.h"

#include <random>

namespace sonarel::test {
namespace {

using CliKill = CliTest;

TEST_F(CliKill, AtTwentyRandomMomentsTheFileStaysReadable) {
    const std::string input = Scratch("long.mp3");
    WriteLongInput(input, 1800); // 30 MB: longer than the latest kill
    const std::string output = Scratch("out.wav");
    std::mt19937 rng(5);
    std::uniform_int_distribution<int> moment_ms(50, 1600);
    int cut_short = 0;
    for (int round = 0; round < 20; ++round) {
        const int kill_after = moment_ms(rng);
        SCOPED_TRACE("killed after " + std::to_string(kill_after) + " ms");
        ChildProcess child({cli, "-overwrite", "-nobeep", input, output}, Options());
        cut_short += child.Finish(kill_after).timedOut ? 1 : 0;
        EXPECT_EQ(WaveInconsistency(ReadWaveFile(output, false), WaveEnd::kInterrupted), "");
    }
    EXPECT_GT(cut_short, 10) << "the conversions ended before the kills";
}

} // namespace
} // namespace sonarel::test
