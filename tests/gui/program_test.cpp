// The desktop program run as a process: an unattended conversion from the command line gives
// the same WAVE file as the console converter, and --help and --version need no window system.
#include "support/child_process.h"
#include "support/test_paths.h"

#include <filesystem>
#include <gtest/gtest.h>

namespace sonarel::test {
namespace {

namespace fs = std::filesystem;

// Runs a program with a private settings folder on a platform (offscreen unless given).
ProcessResult RunProgram(const char* program, std::vector<std::string> args,
                         const ScratchDir& config, const std::string& platform = "offscreen") {
    args.insert(args.begin(), ProgramPath(program));
    const std::vector<std::string> env = {"QT_QPA_PLATFORM=" + platform,
                                          "XDG_CONFIG_HOME=" + config.Path().string()};
    return RunProcess(args, {env, "", "", 0});
}

TEST(ProgramTest, AutoExitConvertsWithoutInteractionLikeTheConsole) {
    ScratchDir scratch;
    const std::string input = (scratch / "in put.mp3").string();
    fs::copy_file(FixturesDir() / "mp3" / "vbr_44100_stereo.mp3", input);
    // An existing output: -overwrite replaces it without the question.
    WriteFileBytes(scratch / "gui.wav", {'o', 'l', 'd'});
    EXPECT_EQ(RunProgram("sonarel",
                         {"-auto", "-exit", "-nobeep", "-overwrite", "-input=" + input,
                          "-output=" + (scratch / "gui.wav").string()},
                         scratch)
                  .exitCode,
              0);
    EXPECT_EQ(RunProgram("sonarel-cli",
                         {"-input=" + input, "-output=" + (scratch / "cli.wav").string()}, scratch)
                  .exitCode,
              0);
    const std::vector<unsigned char> fromGui = ReadFileBytes(scratch / "gui.wav");
    EXPECT_GT(fromGui.size(), 100000u);
    EXPECT_TRUE(fromGui == ReadFileBytes(scratch / "cli.wav"));
    // The program kept its window position on the way out.
    EXPECT_TRUE(fs::exists(scratch / "Quillon" / "sonarel.conf"));
}

// --help and --version answer before Qt is set up: a platform that does not exist, which
// would stop the program as soon as it made its application object, does not matter.
TEST(ProgramTest, HelpAndVersionPrintWithoutAWindow) {
    ScratchDir scratch;
    const ProcessResult help = RunProgram("sonarel", {"--help"}, scratch, "no-such-platform");
    EXPECT_EQ(help.exitCode, 0);
    EXPECT_EQ(help.out.rfind("Usage: sonarel ", 0), 0u) << help.out;
    const ProcessResult version = RunProgram("sonarel", {"-nobeep", "-version"}, scratch, "none");
    EXPECT_EQ(version.exitCode, 0);
    EXPECT_EQ(version.out, "sonarel " SONAREL_VERSION "\n");
    EXPECT_FALSE(fs::exists(scratch / "Quillon"));
}

} // namespace
} // namespace sonarel::test
