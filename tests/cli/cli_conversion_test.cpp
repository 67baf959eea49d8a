// sonarel-cli end to end: every committed fixture converts to a WAVE file whose PCM is the
// decoder's own output, names are proposed as the dialog proposes them, and a signal cancels
// with a complete file.
#include "cli/exit_codes.h"
#include "cli_fixture.h"

#include <chrono>
#include <csignal>
#include <cstdio>
#include <fstream>
#include <thread>

namespace sonarel::test {
namespace {

namespace fs = std::filesystem;
using namespace std::string_literals;

std::string ReadText(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

struct ProbedFormat {
    int rate = 0;
    int channels = 0;
};

// The rate and channels of the "MP3: %d kbit/sec, %d Hz, %s (size)" line.
ProbedFormat FindProbedFormat(const std::string& out) {
    ProbedFormat format;
    size_t at = out.find("MP3: ");
    int kbps = 0;
    char mode[16] = {};
    if (at != std::string::npos &&
        std::sscanf(out.c_str() + at, "MP3: %d kbit/sec, %d Hz, %15[A-Za-z] (", &kbps, &format.rate,
                    mode) == 3) {
        format.channels = std::string(mode) == "Mono" ? 1 : std::string(mode) == "Stereo" ? 2 : 0;
    }
    return format;
}

using CliConversion = CliTest;

TEST_F(CliConversion, EveryFixtureConvertsToTheDecodersPcm) {
    std::string bench = (BinDir() / "sonarel-bench").string();
    bool haveBench = fs::exists(bench);
    if (!haveBench) {
        std::cout << "sonarel-bench is not built: PCM comparison skipped\n";
    }
    int converted = 0;
    for (const fs::directory_entry& entry : fs::directory_iterator(FixturesDir() / "mp3")) {
        if (!entry.is_regular_file()) {
            continue;
        }
        std::string input = entry.path().string();
        std::string name = entry.path().filename().string();
        SCOPED_TRACE(name);
        std::string output = Scratch(name + ".out.wav");
        ProcessResult run = Run({"-nobeep", input, output});
        ASSERT_EQ(run.exitCode, cli::kExitDone) << run.err;
        EXPECT_NE(run.out.find("\nDone!\n"), std::string::npos) << run.out;
        ProbedFormat format = FindProbedFormat(run.out);
        ASSERT_GT(format.rate, 0) << run.out;

        WaveFile wave = CheckedWave(output);
        EXPECT_EQ(wave.rate, static_cast<uint32_t>(format.rate));
        EXPECT_EQ(wave.channels, format.channels);
        EXPECT_EQ(wave.bitsPerSample, 16);
        EXPECT_GT(Frames(wave), 0);
        if (haveBench) {
            ProcessResult ref = RunProcess({bench, "--pcm", Scratch("bench.pcm"), input});
            ASSERT_EQ(ref.exitCode, 0) << ref.err;
            EXPECT_TRUE(wave.data == ReadFileBytes(Scratch("bench.pcm")));
        }
        ++converted;
    }
    EXPECT_GE(converted, 25);
}

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

TEST_F(CliConversion, AnExistingOutputIsReplacedOnlyWhenAllowed) {
    const std::string input = Fixture("cbr_8000_mono.mp3");
    const std::string output = Scratch("out.wav");
    // A WAVE file's head (either form), or an empty file: the question decides.
    for (const std::string& head : {"RIFF\x10\0\0\0WAVE"s, "RF64\xff\xff\xff\xffWAVE"s, ""s}) {
        WriteFileBytes(output, std::vector<unsigned char>(head.begin(), head.end()));
        ProcessResult declined = Run({input, output});
        EXPECT_EQ(declined.exitCode, cli::kExitDeclined) << declined.err;
        EXPECT_NE(declined.err.find("Overwrite " + output + "? No"), std::string::npos);
        EXPECT_EQ(fs::file_size(output), head.size());
    }
    EXPECT_EQ(Run({"-yes", input, output}).exitCode, cli::kExitDone);

    // A file that is not a WAVE file is kept even with -yes; only -overwrite replaces it.
    for (const std::string& head : {"keep"s, "RIFF\x10\0\0\0AVI LIST"s}) {
        WriteFileBytes(output, std::vector<unsigned char>(head.begin(), head.end()));
        for (const char* mode : {"-yes", "-play"}) {
            ProcessResult kept = Run({mode, "-yes", input, output});
            EXPECT_EQ(kept.exitCode, cli::kExitOutputNotWave) << mode;
            EXPECT_NE(kept.err.find(output + " exists and is not a WAVE file: it is kept "
                                             "(-overwrite replaces it)\n"),
                      std::string::npos)
                << kept.err;
            EXPECT_EQ(fs::file_size(output), head.size());
        }
    }
    ProcessResult replaced = Run({"--OVERWRITE", input, output});
    EXPECT_EQ(replaced.exitCode, cli::kExitDone);
    EXPECT_EQ(replaced.err, "");
    EXPECT_GT(fs::file_size(output), 56u);
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
