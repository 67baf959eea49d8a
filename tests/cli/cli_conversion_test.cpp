// sonarel-cli end to end: every committed fixture converts to a WAVE file whose PCM is the
// decoder's own output, one at a time or several at once; many files (named, or a folder
// with -recursive its sub-folders too) go into an output folder, where one failing file
// neither stops the others nor goes unreported.
#include "cli/exit_codes.h"
#include "cli_fixture.h"

#include <algorithm>
#include <cstdio>

namespace sonarel::test {
namespace {

namespace fs = std::filesystem;

using CliConversion = CliTest;

TEST_F(CliConversion, EveryFixtureConvertsToTheDecodersPcmOneAtATimeOrAtOnce) {
    const std::string bench = ProgramPath("sonarel-bench");
    ASSERT_TRUE(fs::exists(bench));
    int converted = 0;
    for (const fs::directory_entry& entry : fs::directory_iterator(FixturesDir() / "mp3")) {
        if (!entry.is_regular_file()) {
            continue;
        }
        const std::string input = entry.path().string();
        SCOPED_TRACE(input);
        const std::string output = Scratch(entry.path().stem().string() + ".wav");
        ProcessResult run = Run({"-nobeep", input, output});
        ASSERT_EQ(run.exitCode, cli::kExitDone) << run.err;
        EXPECT_TRUE(Contains(run.out, "\nDone!\n")) << run.out;
        // The rate and channels of the "MP3: %d kbit/sec, %d Hz, %s (size)" line.
        int kbps = 0;
        unsigned rate = 0;
        char mode[16] = {};
        const char* probe = run.out.c_str() + std::min(run.out.find("MP3: "), run.out.size());
        ASSERT_EQ(std::sscanf(probe, "MP3: %d kbit/sec, %u Hz, %15[A-Za-z] (", &kbps, &rate, mode),
                  3);
        const WaveFile wave = CheckedWave(output);
        EXPECT_EQ(wave.rate, rate);
        EXPECT_EQ(wave.channels, std::string(mode) == "Mono" ? 1 : 2);
        EXPECT_EQ(wave.bitsPerSample, 16);
        EXPECT_GT(Frames(wave), 0);
        ProcessResult ref = RunProcess({bench, "--pcm", Scratch("bench.pcm"), input});
        ASSERT_EQ(ref.exitCode, 0) << ref.err;
        EXPECT_TRUE(wave.data == ReadFileBytes(Scratch("bench.pcm")));
        converted += entry.path().extension() == ".mp3" ? 1 : 0;
    }
    EXPECT_GE(converted, 25);
    ProcessResult batch = Run({"-jobs", "2", (FixturesDir() / "mp3").string(), "-output=two/"});
    ASSERT_EQ(batch.exitCode, cli::kExitDone) << batch.err;
    for (const fs::directory_entry& entry : fs::directory_iterator(dir / "two")) {
        SCOPED_TRACE(entry.path().filename());
        EXPECT_TRUE(ReadFileBytes(entry.path()) ==
                    ReadFileBytes(dir.Path() / entry.path().filename()));
        --converted;
    }
    EXPECT_EQ(converted, 0);
}

struct BatchCase {
    std::vector<std::string> args; // "in" and "out" stand for the two folders
    int exitCode;
    std::vector<std::string> written = {}; // under out/
    std::vector<std::string> named = {};   // in the summary of files not converted
};

TEST_F(CliConversion, ABatchConvertsEveryInputAndNamesTheFailures) {
    const std::vector<BatchCase> cases = {
        // The folder alone: its .mp3 files, one of them not MPEG audio.
        {{"in", "-output=out/"}, cli::kExitBatchIncomplete, {"a.wav", "b.wav"}, {"notes.mp3"}},
        // With its sub-folders, keeping their structure.
        {{"-recursive", "-jobs", "2", "in", "-output=out/"},
         cli::kExitBatchIncomplete,
         {"a.wav", "b.wav", "sub/deeper/c.wav"},
         {"notes.mp3"}},
        // Named files, a missing one and two of one output name among them.
        {{"in/a.mp3", "in/gone.mp3", "in/sub/deeper/c.mp3", "-output=out/", "in/a.mp3"},
         cli::kExitBatchIncomplete,
         {"a.wav", "c.wav"},
         {"gone.mp3", "in/a.mp3 (status 8)"}},
        {{"-jobs=3", "in/a.mp3", "in/b.MP3", "-output=out/"}, cli::kExitDone, {"a.wav", "b.wav"}},
        // Without -output, the name after the folder is the output folder.
        {{"-recursive", "in/sub", "out"}, cli::kExitDone, {"deeper/c.wav"}},
        // A batch needs a folder to write to.
        {{"in/a.mp3", "in/b.MP3", "-jobs=2", "-output=out.wav"}, cli::kExitUsage},
    };
    fs::create_directories(dir / "in" / "sub" / "deeper");
    fs::copy_file(Fixture("cbr_22050_stereo.mp3"), dir / "in" / "a.mp3");
    fs::copy_file(Fixture("vbr_16000_mono.mp3"), dir / "in" / "b.MP3");
    fs::copy_file(Fixture("cbr_8000_mono.mp3"), dir / "in" / "sub" / "deeper" / "c.mp3");
    WriteFileBytes(dir / "in" / "notes.mp3", {'n', 'o', 't', 'e', 's'});
    WriteFileBytes(dir / "in" / "sub" / "readme.txt", {'x'});
    for (const BatchCase& batch : cases) {
        SCOPED_TRACE(batch.args[0] + " " + batch.args[1] + " " + batch.args.back());
        fs::remove_all(dir / "out");
        fs::create_directory(dir / "out"); // an existing folder needs no "/"
        std::vector<std::string> args = batch.args;
        args.insert(args.begin(), "-nobeep");
        ProcessResult run = Run(args);
        EXPECT_EQ(run.exitCode, batch.exitCode) << run.out << run.err;
        size_t outputs = 0;
        for (const auto& entry : fs::recursive_directory_iterator(dir / "out")) {
            outputs += entry.is_regular_file() ? 1 : 0;
        }
        EXPECT_EQ(outputs, batch.written.size());
        for (const std::string& name : batch.written) {
            const std::string shown = fs::path("out/" + name).make_preferred().string();
            EXPECT_TRUE(Contains(run.out, " -> " + shown + ": Done!\n")) << run.out;
            EXPECT_GT(Frames(CheckedWave((dir / "out" / name).string())), 0) << name;
        }
        const size_t list = run.err.find("not converted (" + std::to_string(batch.named.size()));
        for (const std::string& name : batch.named) {
            EXPECT_NE(run.err.find(name, list), std::string::npos) << run.err;
        }
        const size_t total = batch.written.size() + batch.named.size();
        EXPECT_TRUE(batch.exitCode == cli::kExitUsage ||
                    Contains(run.out, std::to_string(batch.written.size()) + " of " +
                                          std::to_string(total) + " files converted\n"))
            << run.out;
    }
    // Two names of which the second is no .mp3 file stay INPUT and OUTPUT, and a later
    // -output replaces that OUTPUT.
    EXPECT_EQ(Run({"-nobeep", "in/a.mp3", "x.wav", "-output=out/"}).exitCode, cli::kExitDone);
    EXPECT_TRUE(fs::exists(dir / "out" / "a.wav"));
}

} // namespace
} // namespace sonarel::test
