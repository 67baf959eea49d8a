// The desktop program run as a process: an unattended conversion from the command line gives
// the same WAVE file as the console converter.
#include "support/test_paths.h"

#include <QProcess>
#include <QProcessEnvironment>
#include <filesystem>
#include <gtest/gtest.h>

namespace sonarel::test {
namespace {

namespace fs = std::filesystem;

constexpr int kTimeoutMs = 120000;

struct ProgramRun {
    int exitCode = -1; // -1 when it did not end in time or died
    QByteArray out;
};

// Runs a program on a platform (offscreen by default) with a private settings folder.
ProgramRun RunProgram(const fs::path& program, const QStringList& arguments, const fs::path& config,
                      const QString& platform = "offscreen") {
    QProcess process;
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert("QT_QPA_PLATFORM", platform);
    environment.insert("XDG_CONFIG_HOME", QString::fromStdString(config.string()));
    process.setProcessEnvironment(environment);
    process.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    process.start(QString::fromStdString(program.string()), arguments);
    ProgramRun run;
    if (!process.waitForFinished(kTimeoutMs)) {
        process.kill();
        process.waitForFinished();
        return run;
    }
    run.out = process.readAllStandardOutput();
    run.exitCode = process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -1;
    return run;
}

QString Arg(const char* option, const fs::path& path) {
    return QString::fromLatin1(option) + QString::fromStdString(path.string());
}

TEST(ProgramTest, AutoExitConvertsWithoutInteractionLikeTheConsole) {
    const fs::path gui = BinDir() / "sonarel";
    const fs::path cli = BinDir() / "sonarel-cli";
    ASSERT_TRUE(fs::exists(gui)) << gui;
    ASSERT_TRUE(fs::exists(cli)) << cli;
    ScratchDir scratch;
    const fs::path input = scratch / "in put.mp3";
    fs::copy_file(FixturesDir() / "mp3" / "vbr_44100_stereo.mp3", input);
    const fs::path fromGui = scratch / "gui.wav";
    const fs::path fromCli = scratch / "cli.wav";
    // An existing output: -overwrite replaces it without the question.
    WriteFileBytes(fromGui, {'o', 'l', 'd'});

    ASSERT_EQ(RunProgram(gui,
                         {"-auto", "-exit", "-nobeep", "-overwrite", Arg("-input=", input),
                          Arg("-output=", fromGui)},
                         scratch.Path())
                  .exitCode,
              0);
    ASSERT_EQ(RunProgram(cli, {"-overwrite", Arg("-input=", input), Arg("-output=", fromCli)},
                         scratch.Path())
                  .exitCode,
              0);
    const std::vector<unsigned char> guiBytes = ReadFileBytes(fromGui);
    const std::vector<unsigned char> cliBytes = ReadFileBytes(fromCli);
    ASSERT_GT(guiBytes.size(), 44u + 100000u);
    EXPECT_TRUE(guiBytes == cliBytes) << "sizes " << guiBytes.size() << " and " << cliBytes.size();
    // The program kept its window position on the way out.
    EXPECT_TRUE(fs::exists(scratch / "Quillon" / "sonarel.conf"));
}

// --help and --version answer before Qt is set up: a platform that does not exist, which
// would stop the program as soon as it made its application object, does not matter.
TEST(ProgramTest, HelpAndVersionPrintWithoutAWindow) {
    const fs::path gui = BinDir() / "sonarel";
    ScratchDir scratch;
    const ProgramRun help = RunProgram(gui, {"--help"}, scratch.Path(), "no-such-platform");
    EXPECT_EQ(help.exitCode, 0);
    EXPECT_TRUE(help.out.startsWith("Usage: sonarel ")) << help.out.toStdString();
    EXPECT_TRUE(help.out.contains("  -overwrite "));

    // The same version as the console converter's (whose test holds it to the project's).
    const ProgramRun version =
        RunProgram(gui, {"-nobeep", "--version"}, scratch.Path(), "no-such-platform");
    EXPECT_EQ(version.exitCode, 0);
    const ProgramRun cliVersion =
        RunProgram(BinDir() / "sonarel-cli", {"--version"}, scratch.Path());
    EXPECT_EQ("sonarel-cli" + version.out.mid(7), cliVersion.out);
    EXPECT_FALSE(fs::exists(scratch / "Quillon"));
}

} // namespace
} // namespace sonarel::test
