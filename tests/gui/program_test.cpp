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

// Runs a program with the offscreen platform and a private settings folder; returns its exit
// code, or -1 when it did not end in time.
int RunProgram(const fs::path& program, const QStringList& arguments, const fs::path& config) {
    QProcess process;
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert("QT_QPA_PLATFORM", "offscreen");
    environment.insert("XDG_CONFIG_HOME", QString::fromStdString(config.string()));
    process.setProcessEnvironment(environment);
    process.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    process.start(QString::fromStdString(program.string()), arguments);
    if (!process.waitForFinished(kTimeoutMs)) {
        process.kill();
        process.waitForFinished();
        return -1;
    }
    return process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -1;
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
                         scratch.Path()),
              0);
    ASSERT_EQ(RunProgram(cli, {"-overwrite", Arg("-input=", input), Arg("-output=", fromCli)},
                         scratch.Path()),
              0);
    const std::vector<unsigned char> guiBytes = ReadFileBytes(fromGui);
    const std::vector<unsigned char> cliBytes = ReadFileBytes(fromCli);
    ASSERT_GT(guiBytes.size(), 44u + 100000u);
    EXPECT_TRUE(guiBytes == cliBytes) << "sizes " << guiBytes.size() << " and " << cliBytes.size();
    // The program kept its window position on the way out.
    EXPECT_TRUE(fs::exists(scratch / "Quillon" / "sonarel.conf"));
}

} // namespace
} // namespace sonarel::test
