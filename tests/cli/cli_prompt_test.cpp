// Questions at a terminal: sonarel-cli asks at the prompt when stdin is a terminal and takes
// the typed answer.
#include "cli/exit_codes.h"
#include "cli_fixture.h"

#include <chrono>
#include <cstdlib>
#include <poll.h>
#include <pty.h>
#include <sys/wait.h>
#include <unistd.h>

namespace sonarel::test {
namespace {

namespace fs = std::filesystem;

// Runs the converter on a pseudo-terminal, types answer once the prompt shows, and returns
// the exit status and everything the terminal showed.
int RunAtTerminal(const std::vector<std::string>& args, const std::vector<std::string>& env,
                  const std::string& answer, std::string& screen) {
    int master = -1;
    pid_t pid = forkpty(&master, nullptr, nullptr, nullptr);
    if (pid == 0) {
        ExecWithEnv(args, env);
    }
    bool answered = false;
    auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(30);
    char buffer[1024];
    while (std::chrono::steady_clock::now() < deadline) {
        pollfd fd = {master, POLLIN, 0};
        if (poll(&fd, 1, 50) <= 0) {
            continue;
        }
        ssize_t got = read(master, buffer, sizeof buffer);
        if (got <= 0) {
            break; // the child has gone
        }
        screen.append(buffer, static_cast<size_t>(got));
        if (!answered && screen.find("[y/N] ") != std::string::npos) {
            std::string line = answer + "\n";
            EXPECT_EQ(write(master, line.data(), line.size()), static_cast<ssize_t>(line.size()));
            answered = true;
        }
    }
    close(master);
    int status = 0;
    waitpid(pid, &status, 0);
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

using CliPrompt = CliTest;

TEST_F(CliPrompt, TheTypedAnswerDecides) {
    std::string output = Scratch("out.wav");
    std::vector<std::string> args = {cli, "-nobeep", Fixture("cbr_8000_mono.mp3"), output};
    std::string screen;

    WriteFileBytes(output, {'k'}); // not a WAVE file: kept without asking, whatever is typed
    EXPECT_EQ(RunAtTerminal(args, Env(), "y", screen), cli::kExitOutputNotWave);
    EXPECT_EQ(screen.find("[y/N]"), std::string::npos) << screen;
    EXPECT_EQ(fs::file_size(output), 1u);

    const std::string wave("RIFF\x04\0\0\0WAVE", 12);
    WriteFileBytes(output, std::vector<unsigned char>(wave.begin(), wave.end()));
    screen.clear();
    EXPECT_EQ(RunAtTerminal(args, Env(), "n", screen), cli::kExitDeclined);
    EXPECT_NE(screen.find("Overwrite " + output + "? [y/N] "), std::string::npos) << screen;
    EXPECT_EQ(fs::file_size(output), wave.size());

    screen.clear();
    EXPECT_EQ(RunAtTerminal(args, Env(), "Yes", screen), cli::kExitDone) << screen;
    EXPECT_NE(screen.find("100%"), std::string::npos) << screen; // the bar on a terminal
    EXPECT_GT(fs::file_size(output), 56u);
}

} // namespace
} // namespace sonarel::test
