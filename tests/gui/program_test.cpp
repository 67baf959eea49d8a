// The desktop program run as a process: an unattended conversion from the command line gives
// the same WAVE file as the console converter, and --help and --version need no window system.
#include "support/test_paths.h"

#include <QProcess>
#include <filesystem>
#include <gtest/gtest.h>

namespace sonarel::test {
namespace {

namespace fs = std::filesystem;

struct ProgramRun {
    int exitCode; // -1 when it did not end in time or died
    QByteArray out;
};

// Runs a program with a private settings folder on a platform (offscreen unless given).
ProgramRun RunProgram(const char* program, const QStringList& arguments, const fs::path& config,
                      const QString& platform = "offscreen") {
    QProcess process;
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert("QT_QPA_PLATFORM", platform);
    environment.insert("XDG_CONFIG_HOME", QString::fromStdString(config.string()));
    process.setProcessEnvironment(environment);
    process.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    process.start(QString::fromStdString((BinDir() / program).string()), arguments);
    const bool ended =
        process.waitForFinished(120000) && process.exitStatus() == QProcess::NormalExit;
    return {ended ? process.exitCode() : -1, process.readAllStandardOutput()};
}

QString Arg(const char* option, const fs::path& path) {
    return option + QString::fromStdString(path.string());
}

TEST(ProgramTest, AutoExitConvertsWithoutInteractionLikeTheConsole) {
    ScratchDir scratch;
    const fs::path input = scratch / "in put.mp3";
    fs::copy_file(FixturesDir() / "mp3" / "vbr_44100_stereo.mp3", input);
    // An existing output: -overwrite replaces it without the question.
    WriteFileBytes(scratch / "gui.wav", {'o', 'l', 'd'});
    EXPECT_EQ(RunProgram("sonarel",
                         {"-auto", "-exit", "-nobeep", "-overwrite", Arg("-input=", input),
                          Arg("-output=", scratch / "gui.wav")},
                         scratch.Path())
                  .exitCode,
              0);
    EXPECT_EQ(RunProgram("sonarel-cli",
                         {Arg("-input=", input), Arg("-output=", scratch / "cli.wav")},
                         scratch.Path())
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
    const ProgramRun help = RunProgram("sonarel", {"--help"}, scratch.Path(), "no-such-platform");
    EXPECT_EQ(help.exitCode, 0);
    EXPECT_TRUE(help.out.startsWith("Usage: sonarel ")) << help.out.toStdString();
    EXPECT_TRUE(help.out.contains("  -overwrite "));
    // The same version as the console converter's (whose test holds it to the project's).
    const ProgramRun version =
        RunProgram("sonarel", {"-nobeep", "-version"}, scratch.Path(), "none");
    EXPECT_EQ(version.exitCode, 0);
    EXPECT_EQ("sonarel-cli" + version.out.mid(7),
              RunProgram("sonarel-cli", {"--version"}, scratch.Path()).out);
    EXPECT_FALSE(fs::exists(scratch / "Quillon"));
}

} // namespace
} // namespace sonarel::test
