// sonarel-cli end to end where only a POSIX host serves: names proposed from the settings
// file, and signals or a kill at any moment, after which the output is a WAVE file that agrees
// with itself. (Playing to the end: cli_answers_posix_test.cpp.)
#include "cli/exit_codes.h"
#include "cli_fixture.h"

#include <csignal>
#include <fcntl.h>
#include <fstream>
#include <random>
#include <sys/stat.h>
#include <unistd.h>

namespace sonarel::test {
namespace {

namespace fs = std::filesystem;

// A cancelled conversion's file: whole sample frames of 16-bit stereo, fewer than the input's.
void ExpectCutShort(const std::string& path) {
    const WaveFile wave = CheckedWave(path);
    ASSERT_EQ(wave.error, "");
    EXPECT_EQ(fs::file_size(path), 56u + static_cast<uintmax_t>(Frames(wave)) * 4);
    EXPECT_LT(Frames(wave), 1800L * 47232);
}

using CliConversion = CliTest;

TEST_F(CliConversion, AnOutputIsProposedWhereTheDialogWouldPropose) {
    std::string input = Scratch("song.mp3");
    fs::copy_file(Fixture("cbr_8000_mono.mp3"), input);

    ASSERT_EQ(Run({"song.mp3"}).exitCode, cli::kExitDone); // relative to the current folder
    EXPECT_TRUE(fs::exists(Scratch("song.wav")));
    EXPECT_FALSE(fs::exists(Scratch("config"))); // no window, so no window position to keep

    // The saved save-as folder of the settings file, as the desktop program writes it.
    fs::create_directories(Scratch("config/Quillon"));
    fs::create_directory(Scratch("saved"));
    const std::string settings = "[Settings]\nDefaultSaveAsDir=" + Scratch("saved") + "/\n";
    std::ofstream(Scratch("config/Quillon/sonarel-cli.conf")) << settings;
    ASSERT_EQ(Run({input}).exitCode, cli::kExitDone);
    EXPECT_TRUE(fs::exists(Scratch("saved/song.wav")));
    const std::vector<unsigned char> kept =
        ReadFileBytes(Scratch("config/Quillon/sonarel-cli.conf"));
    EXPECT_EQ(std::string(kept.begin(), kept.end()), settings);
}

// Each signal that ends a console program cancels a conversion or playback.
TEST_F(CliConversion, ASignalCancelsAndLeavesACompleteWave) {
    const std::string input = Scratch("long.mp3");
    WriteLongInput(input);
    const std::pair<int, std::string> kCases[] = {{SIGINT, "-nobeep"},
                                                  {SIGTERM, "-nobeep"},
                                                  {SIGHUP, "-nobeep"},
                                                  {SIGQUIT, "-nobeep"},
                                                  {SIGINT, "-play"}};
    for (const auto& [signal, mode] : kCases) {
        SCOPED_TRACE(mode + " " + std::to_string(signal));
        const std::string output = Scratch("cut" + std::to_string(signal) + mode + ".wav");
        ChildProcess child({cli, mode, input, output}, Options({"SONAREL_AUDIO_DEVICE=null"}));
        ASSERT_TRUE(child.WaitForOutput(mode == "-play" ? "Playing on" : "Writing", 20000));
        ASSERT_TRUE(mode == "-play" || WaitForSize(output, 500'000, 20000));
        child.Signal(signal);
        ProcessResult run = child.Finish();
        EXPECT_EQ(run.exitCode, cli::kExitCancelled) << run.err;
        EXPECT_TRUE(Contains(run.out, "Cancelled!\n")) << run.out;
        ExpectCutShort(output);
    }
}

// A batch: the finished file stays, each running conversion ends with a complete WAVE file,
// and a file not begun is not touched.
TEST_F(CliConversion, ASignalCancelsABatchAndKeepsItsFiles) {
    fs::create_directory(dir / "in");
    fs::copy_file(Fixture("cbr_8000_mono.mp3"), dir / "in" / "a.mp3");
    WriteLongInput(Scratch("in/b.mp3"));
    WriteLongInput(Scratch("in/c.mp3"));
    fs::copy_file(Fixture("cbr_8000_mono.mp3"), dir / "in" / "d.mp3");
    ChildProcess child({cli, "-nobeep", "-jobs", "2", "in", "-output=out/"}, Options());
    ASSERT_TRUE(WaitForSize(Scratch("out/c.wav"), 500'000, 20000)); // b and c run
    child.Signal(SIGINT);
    ProcessResult run = child.Finish();
    EXPECT_EQ(run.exitCode, cli::kExitCancelled) << run.err;
    EXPECT_TRUE(Contains(run.out, "in/a.mp3 -> out/a.wav: Done!")) << run.out;
    EXPECT_TRUE(Contains(run.err, "in/d.mp3 (status 3): cancelled before it started")) << run.err;
    EXPECT_FALSE(fs::exists(dir / "out" / "d.wav"));
    for (const std::string name : {"b.wav", "c.wav"}) {
        EXPECT_TRUE(Contains(run.out, "out/" + name + ": Cancelled!")) << run.out;
        ExpectCutShort(Scratch("out/" + name));
    }
}

// Ctrl-C ends a conversion that waits for more input on standard input.
TEST_F(CliConversion, CtrlCEndsAWaitForStandardInput) {
    const std::string fifo = Scratch("stdin.fifo");
    ASSERT_EQ(mkfifo(fifo.c_str(), 0600), 0);
    const int feed = open(fifo.c_str(), O_RDWR); // holds the pipe open: the input never ends
    ASSERT_GE(feed, 0);
    ChildOptions options = Options();
    options.stdinPath = fifo;
    ChildProcess child({cli, "-nobeep", "-", Scratch("cut.wav")}, options);
    WriteLongInput(Scratch("long.mp3"), 30);
    const std::vector<unsigned char> bytes = ReadFileBytes(Scratch("long.mp3"));
    ASSERT_EQ(write(feed, bytes.data(), 400'000), 400'000);
    ASSERT_TRUE(child.WaitForOutput("Writing", 20000));
    child.Signal(SIGINT);
    ProcessResult run = child.Finish(20000);
    close(feed);
    EXPECT_EQ(run.exitCode, cli::kExitCancelled) << run.err;
    EXPECT_GT(Frames(CheckedWave(Scratch("cut.wav"))), 0);
}

// Killed at any moment (SIGKILL: no handler runs), a conversion leaves a WAVE file whose header
// describes whole sample frames within the bytes it holds: the header is kept up to date.
TEST_F(CliConversion, AKillAtTwentyRandomMomentsLeavesAReadableFile) {
    const std::string input = Scratch("long.mp3");
    WriteLongInput(input); // longer than the latest kill
    const std::string output = Scratch("out.wav");
    std::mt19937 rng(5);
    std::uniform_int_distribution<int> moment_ms(50, 1600);
    int cut_short = 0;
    for (int round = 0; round < 20; ++round) {
        ChildProcess child({cli, "-overwrite", "-nobeep", input, output}, Options());
        cut_short += child.Finish(moment_ms(rng)).timedOut ? 1 : 0;
        EXPECT_EQ(WaveInconsistency(ReadWaveFile(output, false), WaveEnd::kInterrupted), "");
    }
    EXPECT_GT(cut_short, 10) << "the conversions ended before the kills";
}

} // namespace
} // namespace sonarel::test
