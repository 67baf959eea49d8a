// sonarel-cli converting many files: several named files or a folder (with -recursive, its
// sub-folders too) into an output folder, several at once, where one failing file neither
// stops the others nor goes unreported.
#include "cli/exit_codes.h"
#include "cli_fixture.h"

namespace sonarel::test {
namespace {

namespace fs = std::filesystem;

using CliBatch = CliTest;

// in/ holds two good streams, one that is not MPEG audio and a sub-folder with one more.
void MakeInputTree(const std::filesystem::path& in) {
    fs::create_directories(in / "sub" / "deeper");
    fs::copy_file(FixturesDir() / "mp3" / "cbr_22050_stereo.mp3", in / "a.mp3");
    fs::copy_file(FixturesDir() / "mp3" / "vbr_16000_mono.mp3", in / "b.MP3");
    fs::copy_file(FixturesDir() / "mp3" / "cbr_8000_mono.mp3", in / "sub" / "deeper" / "c.mp3");
    WriteFileBytes(in / "notes.mp3", {'n', 'o', 't', 'e', 's'});
    WriteFileBytes(in / "sub" / "readme.txt", {'x'});
}

struct BatchCase {
    std::vector<std::string> args; // "in" and "out" stand for the two folders
    int exitCode;
    std::vector<std::string> written; // under out/
    std::vector<std::string> named;   // in the summary of files not converted
};

TEST_F(CliBatch, ConvertsEveryInputAndNamesTheFailures) {
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
        {{"-jobs=3", "in/a.mp3", "in/b.MP3", "-output=out/"},
         cli::kExitDone,
         {"a.wav", "b.wav"},
         {}},
        // Without -output, the name after the folder is the output folder.
        {{"-recursive", "in/sub", "out"}, cli::kExitDone, {"deeper/c.wav"}, {}},
        // A batch needs a folder to write to.
        {{"in/a.mp3", "in/b.MP3", "-jobs=2", "-output=out.wav"}, cli::kExitUsage, {}, {}},
    };
    MakeInputTree(dir / "in");
    for (const BatchCase& batch : cases) {
        std::string line;
        for (const std::string& arg : batch.args) {
            line += arg + " ";
        }
        SCOPED_TRACE(line);
        fs::remove_all(dir / "out");
        fs::create_directory(dir / "out"); // an existing folder needs no "/"
        std::vector<std::string> args = batch.args;
        args.insert(args.begin(), "-nobeep");
        ProcessResult run = Run(args);
        EXPECT_EQ(run.exitCode, batch.exitCode) << run.out << run.err;
        size_t outputs = 0;
        std::error_code none; // no out/ at all: no outputs
        for (const auto& entry : fs::recursive_directory_iterator(dir / "out", none)) {
            outputs += entry.is_regular_file() ? 1 : 0;
        }
        EXPECT_EQ(outputs, batch.written.size());
        for (const std::string& name : batch.written) {
            const std::string shown = fs::path("out/" + name).make_preferred().string();
            EXPECT_NE(run.out.find(" -> " + shown + ": Done!\n"), std::string::npos) << run.out;
        }
        for (const std::string& name : batch.written) {
            EXPECT_GT(Frames(CheckedWave((dir / "out" / name).string())), 0) << name;
        }
        for (const std::string& name : batch.named) {
            const size_t list =
                run.err.find("not converted (" + std::to_string(batch.named.size()));
            EXPECT_NE(run.err.find(name, list), std::string::npos) << run.err;
        }
        if (batch.exitCode != cli::kExitUsage) {
            const size_t total = batch.written.size() + batch.named.size();
            EXPECT_NE(run.out.find(std::to_string(batch.written.size()) + " of " +
                                   std::to_string(total) + " files converted\n"),
                      std::string::npos)
                << run.out;
        }
    }
    // Two names of which the second is no .mp3 file stay INPUT and OUTPUT, and a later
    // -output replaces that OUTPUT.
    fs::remove_all(dir / "out");
    fs::create_directory(dir / "out");
    EXPECT_EQ(Run({"-nobeep", "in/a.mp3", "x.wav", "-output=out/"}).exitCode, cli::kExitDone);
    EXPECT_TRUE(fs::exists(dir / "out" / "a.wav"));
}

TEST_F(CliBatch, ConversionsAtOnceWriteWhatOneAtATimeWrites) {
    fs::create_directory(dir / "in");
    int count = 0;
    for (const fs::directory_entry& entry : fs::directory_iterator(FixturesDir() / "mp3")) {
        if (entry.is_regular_file() && entry.path().extension() == ".mp3" && count < 8) {
            fs::copy_file(entry.path(), dir / "in" / entry.path().filename());
            ++count;
        }
    }
    ASSERT_EQ(Run({"-jobs=1", "in", "-output=one/"}).exitCode, cli::kExitDone);
    ProcessResult two = Run({"-jobs", "2", "in", "-output=two/"});
    ASSERT_EQ(two.exitCode, cli::kExitDone) << two.err;
    for (const fs::directory_entry& entry : fs::directory_iterator(dir / "one")) {
        SCOPED_TRACE(entry.path().filename());
        EXPECT_TRUE(ReadFileBytes(entry.path()) ==
                    ReadFileBytes(dir / "two" / entry.path().filename()));
        --count;
    }
    EXPECT_EQ(count, 0);
}

} // namespace
} // namespace sonarel::test
