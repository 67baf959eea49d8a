// sonarel-cli converting many files, cancelled by a signal: the finished file stays, each
// running conversion ends with a complete WAVE file, and a file not begun is not touched.
#include "cli/exit_codes.h"
#include "cli_fixture.h"

#include <csignal>

namespace sonarel::test {
namespace {

namespace fs = std::filesystem;

using CliBatch = CliTest;

TEST_F(CliBatch, ASignalCancelsTheRunningConversionsAndKeepsTheirFiles) {
    fs::create_directory(dir / "in");
    fs::copy_file(FixturesDir() / "mp3" / "cbr_8000_mono.mp3", dir / "in" / "a.mp3");
    WriteLongInput(Scratch("in/b.mp3"));
    WriteLongInput(Scratch("in/c.mp3"));
    fs::copy_file(FixturesDir() / "mp3" / "cbr_8000_mono.mp3", dir / "in" / "d.mp3");
    ChildProcess child({cli, "-nobeep", "-jobs", "2", "in", "-output=out/"}, Options());
    ASSERT_TRUE(WaitForSize(Scratch("out/c.wav"), 500'000, 20000)); // b and c run
    child.Signal(SIGINT);
    ProcessResult run = child.Finish();
    EXPECT_EQ(run.exitCode, cli::kExitCancelled) << run.err;
    EXPECT_NE(run.out.find("in/a.mp3 -> out/a.wav: Done!"), std::string::npos) << run.out;
    EXPECT_NE(run.err.find("in/d.mp3 (status 3): cancelled before it started"), std::string::npos)
        << run.err;
    EXPECT_FALSE(fs::exists(dir / "out" / "d.wav"));
    for (const char* name : {"b.wav", "c.wav"}) {
        EXPECT_NE(run.out.find(std::string("out/") + name + ": Cancelled!"), std::string::npos);
        WaveFile wave = CheckedWave(Scratch(std::string("out/") + name));
        ASSERT_EQ(wave.error, "");
        EXPECT_EQ(fs::file_size(dir / "out" / name),
                  56u + static_cast<uintmax_t>(Frames(wave)) * 4);
        EXPECT_LT(Frames(wave), 1800L * 47232); // stopped before the end
    }
}

} // namespace
} // namespace sonarel::test
