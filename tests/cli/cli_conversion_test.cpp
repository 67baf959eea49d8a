// sonarel-cli end to end: every committed fixture converts to a WAVE file whose PCM is the
// decoder's own output, and an existing output is replaced only when allowed.
#include "cli/exit_codes.h"
#include "cli_fixture.h"

#include <cstdio>

namespace sonarel::test {
namespace {

namespace fs = std::filesystem;
using namespace std::string_literals;

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
    std::string bench = ProgramPath("sonarel-bench");
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

} // namespace
} // namespace sonarel::test
