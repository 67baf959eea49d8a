// sonarel-cli end to end where only a POSIX host serves: names proposed from the settings
// file, standard output as the output, signals, very deep folders and a reader that goes away.
#include "cli/exit_codes.h"
#include "cli_fixture.h"

#include <csignal>
#include <fstream>

namespace sonarel::test {
namespace {

namespace fs = std::filesystem;
using namespace std::string_literals;

std::string ReadText(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

using CliConversion = CliTest;

TEST_F(CliConversion, AnOutputIsProposedWhereTheDialogWouldPropose) {
    std::string input = Scratch("song.mp3");
    fs::copy_file(Fixture("cbr_8000_mono.mp3"), input);

    ASSERT_EQ(Run({"song.mp3"}).exitCode, cli::kExitDone); // relative to the current folder
    EXPECT_TRUE(fs::exists(Scratch("song.wav")));
    EXPECT_FALSE(fs::exists(Scratch("config"))); // no window, so no window position to keep

    fs::create_directory(Scratch("into"));
    ASSERT_EQ(Run({input, Scratch("into")}).exitCode, cli::kExitDone);
    EXPECT_TRUE(fs::exists(Scratch("into/song.wav")));

    // The saved save-as folder of the settings file, as the desktop program writes it.
    fs::create_directories(Scratch("config/Quillon"));
    fs::create_directory(Scratch("saved"));
    const std::string settings = "[Settings]\nDefaultSaveAsDir=" + Scratch("saved") + "/\n";
    std::ofstream(Scratch("config/Quillon/sonarel-cli.conf")) << settings;
    ProcessResult run = Run({input});
    ASSERT_EQ(run.exitCode, cli::kExitDone) << run.err;
    EXPECT_TRUE(fs::exists(Scratch("saved/song.wav")));
    EXPECT_EQ(ReadText(Scratch("config/Quillon/sonarel-cli.conf")), settings);
}

// With standard output as the output file (sonarel-cli in.mp3 /dev/stdout > out.wav), every
// status line goes to stderr, and the file holds the same WAVE as a conversion to a name.
TEST_F(CliConversion, AnOutputOnStandardOutputGetsNoStatusText) {
    const std::string input = Fixture("cbr_22050_stereo.mp3");
    ASSERT_EQ(Run({input, Scratch("named.wav")}).exitCode, cli::kExitDone);
    const std::vector<unsigned char> named = ReadFileBytes(Scratch("named.wav"));
    const ChildOptions options = Options({"SONAREL_AUDIO_DEVICE=null"});
    const std::string output = Scratch("out.wav");
    for (const std::string& name : {"/dev/stdout"s, "/proc/self/fd/1"s, output}) {
        for (const std::string& mode : {""s, "-play "s}) {
            SCOPED_TRACE(mode + name);
            const std::string line = "'" + cli + "' -nobeep " + mode + "'" + input + "' '" + name +
                                     "' > '" + output + "'";
            ProcessResult run = RunProcess({"/bin/bash", "-c", line}, options);
            EXPECT_EQ(run.exitCode, cli::kExitDone) << run.err;
            EXPECT_NE(run.err.find("Writing " + name + "\n"), std::string::npos) << run.err;
            EXPECT_NE(run.err.find("Done!\n"), std::string::npos) << run.err;
            EXPECT_TRUE(WaveInconsistency(ReadWaveFile(output)).empty());
            EXPECT_TRUE(ReadFileBytes(output) == named);
        }
    }
}

TEST_F(CliConversion, ASignalCancelsAndLeavesACompleteWave) {
    std::string input = Scratch("long.mp3");
    WriteLongInput(input);
    for (int signal : {SIGINT, SIGTERM, SIGHUP, SIGQUIT}) {
        SCOPED_TRACE(signal);
        std::string output = Scratch("cut" + std::to_string(signal) + ".wav");
        ChildProcess child({cli, "-nobeep", input, output}, Options());
        ASSERT_TRUE(child.WaitForOutput("Writing", 20000));
        ASSERT_TRUE(WaitForSize(output, 500'000, 20000));
        child.Signal(signal);
        ProcessResult run = child.Finish();
        EXPECT_EQ(run.exitCode, cli::kExitCancelled) << run.err;
        EXPECT_NE(run.out.find("Cancelled!"), std::string::npos) << run.out;

        WaveFile wave = CheckedWave(output);
        ASSERT_EQ(wave.error, "");
        EXPECT_EQ(fs::file_size(output), 56u + static_cast<uintmax_t>(Frames(wave)) * 4);
        EXPECT_LT(Frames(wave), 1800L * 47232); // stopped before the end
    }
}

// A current folder deeper than the system's longest path: relative names still work.
TEST_F(CliConversion, RelativeNamesWorkInAVeryDeepFolder) {
    const std::string level(200, 'd');
    std::string script = "set -e; cd '" + dir.Path().string() + "'; for i in $(seq 25); do mkdir " +
                         level + "; cd " + level + "; done; cp '" + Fixture("cbr_8000_mono.mp3") +
                         "' in.mp3; '" + cli +
                         "' -nobeep in.mp3 out.wav; test $(pwd | wc -c) -gt 4096; test -s out.wav";
    ProcessResult run = Shell(script);
    EXPECT_EQ(run.exitCode, 0) << run.out << run.err;
}

TEST_F(CliConversion, AReaderThatGoesAwayDoesNotCutTheFile) {
    std::string input = Scratch("two_minutes.mp3");
    WriteLongInput(input, 120);
    std::string output = Scratch("out.wav");
    std::string line = "'" + cli + "' -nobeep '" + input + "' '" + output + "'";
    ProcessResult run = Shell(line + " | head -c 1 >/dev/null; exit ${PIPESTATUS[0]}");
    EXPECT_EQ(run.exitCode, cli::kExitDone) << run.err;
    WaveFile wave = CheckedWave(output);
    ASSERT_EQ(wave.error, "");
    // 41 frames per copy; the information frame that opens the stream is not audio.
    EXPECT_EQ(Frames(wave), 120L * 47232 - 1152);
}

} // namespace
} // namespace sonarel::test
