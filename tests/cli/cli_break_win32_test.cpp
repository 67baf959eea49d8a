// Ctrl-Break sent to the console converter's process group cancels the conversion and leaves
// a complete WAVE file, as Ctrl-C does at a console.
#include "cli/exit_codes.h"
#include "cli_fixture.h"

#include <csignal>

namespace sonarel::test {
namespace {

using CliBreak = CliTest;

TEST_F(CliBreak, CancelsAndLeavesACompleteWave) {
    const std::string input = Scratch("long.mp3");
    WriteLongInput(input);
    const std::string output = Scratch("cut.wav");
    ChildProcess child({cli, "-nobeep", input, output}, Options());
    ASSERT_TRUE(child.WaitForOutput("Writing", 20000));
    ASSERT_TRUE(WaitForSize(output, 500'000, 20000));
    if (!child.Signal(SIGINT)) {
        child.Finish(0);
        GTEST_SKIP() << "no console to send Ctrl-Break through (as under Wine): skipped";
    }
    ProcessResult run = child.Finish(20000);
    EXPECT_EQ(run.exitCode, cli::kExitCancelled) << run.err;
    EXPECT_LT(Frames(CheckedWave(output)), 1800L * 47232); // stopped before the end
}

} // namespace
} // namespace sonarel::test
