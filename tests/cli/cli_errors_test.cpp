// sonarel-cli on bad input and wrong use: the dialog's message on stderr, a distinct
// non-zero exit status, and never an output file reported as done.
#include "cli/exit_codes.h"
#include "cli_fixture.h"

#include <fstream>

namespace sonarel::test {
namespace {

namespace fs = std::filesystem;

using CliErrors = CliTest;

// The version the build files give the project: "project(Sonarel VERSION x.y.z ...".
std::string ProjectVersion() {
    std::ifstream in(fs::path(SONAREL_SOURCE_DIR) / "CMakeLists.txt");
    const std::string text((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    const std::string key = "project(Sonarel VERSION ";
    const size_t at = text.find(key);
    return at == std::string::npos
               ? ""
               : text.substr(at + key.size(), text.find(' ', at + key.size()) - at - key.size());
}

TEST_F(CliErrors, HelpListsTheExitStatusesAndVersionTellsTheProjectsVersion) {
    ProcessResult help = Run({"-help"});
    EXPECT_EQ(help.exitCode, 0);
    EXPECT_TRUE(Contains(help.out, "Usage: sonarel-cli"));
    EXPECT_TRUE(Contains(help.out, "Exit status:"));
    EXPECT_TRUE(Contains(help.out, "  15  writing the output failed"));
    EXPECT_TRUE(Contains(help.out, "  18  the output exists and is not a WAVE file"));
    EXPECT_TRUE(Contains(help.out, "  -gapless "));
    EXPECT_TRUE(Contains(help.out, "cat song.mp3 | sonarel-cli - - | sox -t wav - song.flac"));
    EXPECT_EQ(Run({"--h"}).exitCode, 0);

    ASSERT_FALSE(ProjectVersion().empty());
    for (const char* asked : {"-version", "--VER"}) {
        ProcessResult version = Run({asked});
        EXPECT_EQ(version.exitCode, 0);
        EXPECT_EQ(version.out, "sonarel-cli " + ProjectVersion() + "\n");
    }
}

TEST_F(CliErrors, ArgumentsItCannotUseAreUsageErrors) {
    const std::string input = Fixture("cbr_8000_mono.mp3");
    const std::string output = Scratch("b.wav");
    const std::string third = Scratch("c.txt");
    WriteFileBytes(third, {'n', 'o', 't', 'e'});
    const std::vector<std::pair<std::vector<std::string>, std::string>> wrong = {
        {{"-overwrite"}, "no input file given"},
        {{"-overwrite", input, output, third}, "unexpected argument '" + third + "'"},
        {{"-input=" + input, "-output=" + output, third}, "unexpected argument '" + third + "'"},
        {{"-q", input, output}, "unknown switch '-q'"},
        {{"--quiet", input, output}, "unknown switch '--quiet'"},
        {{"--", input, output}, "unknown switch '--'"}, // a lone "-" is standard input
        {{"-automatic", input, output}, "unknown switch '-automatic'"},
        {{input, "-o", output}, "ambiguous switch '-o': -output or -overwrite?"},
        {{input, "-OUT", output}, "'-OUT' needs a name: -output=NAME"},
        {{"-yes=no", input, output}, "'-yes=no' takes no value"},
    };
    for (const auto& [args, message] : wrong) {
        ProcessResult run = Run(args);
        EXPECT_EQ(run.exitCode, cli::kExitUsage) << message;
        EXPECT_TRUE(Contains(run.err, message)) << run.err;
        EXPECT_EQ(run.out, "");
    }
    EXPECT_FALSE(fs::exists(output));
    EXPECT_EQ(fs::file_size(third), 4u);

    // A beginning that fits one switch alone is that switch: -OV replaces without asking.
    WriteFileBytes(output, {'R', 'I', 'F', 'F', 4, 0, 0, 0, 'W', 'A', 'V', 'E'});
    EXPECT_EQ(Run({"-OV", "--in=" + input, "-ou=" + output}).exitCode, cli::kExitDone);
    EXPECT_GT(fs::file_size(output), 56u);
}

TEST_F(CliErrors, APcmWaveIsNotMp3Compressed) {
    // A WAVE file holding PCM: the converter's own output serves.
    ASSERT_EQ(Run({Fixture("cbr_8000_mono.mp3"), Scratch("pcm.wav")}).exitCode, cli::kExitDone);
    ProcessResult run = Run({Scratch("pcm.wav"), Scratch("again.wav")});
    EXPECT_EQ(run.exitCode, cli::kExitInputIsPcm);
    EXPECT_EQ(run.err, "This is not an MP3 compressed File!\n");
    EXPECT_FALSE(fs::exists(Scratch("again.wav")));
}

} // namespace
} // namespace sonarel::test
