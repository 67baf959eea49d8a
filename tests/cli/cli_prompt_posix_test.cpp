// sonarel-cli at a terminal: it asks at the prompt when stdin is a terminal and takes the
// typed answer, and its lines drawn in place fit the terminal and end cleanly on Ctrl-C.
#include "cli/exit_codes.h"
#include "cli_fixture.h"

#include <algorithm>
#include <chrono>
#include <cstdlib>
#include <fstream>
#include <poll.h>
#include <pty.h>
#include <sys/wait.h>
#include <tuple>
#include <unistd.h>

namespace sonarel::test {
namespace {

// Runs the converter on a pseudo-terminal of the given width (0: the terminal does not tell),
// types `typed` once the terminal shows `cue`, and returns the exit status and everything the
// terminal showed.
int RunAtTerminal(const std::vector<std::string>& args, const std::vector<std::string>& env,
                  const std::string& cue, const std::string& typed, std::string& screen,
                  unsigned short columns = 0) {
    int master = -1;
    winsize size = {24, columns, 0, 0};
    pid_t pid = forkpty(&master, nullptr, nullptr, &size);
    if (pid == 0) {
        ExecWithEnvironment(args, env);
    }
    bool done = false;
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
        if (!done && screen.find(cue) != std::string::npos) {
            EXPECT_EQ(write(master, typed.data(), typed.size()),
                      static_cast<ssize_t>(typed.size()));
            done = true;
        }
    }
    close(master);
    int status = 0;
    waitpid(pid, &status, 0);
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

// The lines a terminal of `columns` columns shows for the output; wrapped is set when a line
// ran past the last column.
std::vector<std::string> ShownLines(const std::string& screen, size_t columns, bool& wrapped) {
    std::vector<std::string> lines(1);
    size_t column = 0;
    for (char c : screen) {
        if (c == '\r') {
            column = 0;
        } else if (c == '\n' || (c >= ' ' && column == columns)) {
            wrapped = wrapped || c != '\n';
            lines.emplace_back();
            column = 0;
        }
        if (c >= ' ') {
            std::string& line = lines.back();
            line.resize(std::max(line.size(), column + 1), ' ');
            line[column++] = c;
        }
    }
    return lines;
}

using CliPrompt = CliTest;

// What the output held, what is typed at the prompt, the status, what the terminal must show
// (the question, and the bar a terminal gets) or not show, and the output's size after.
const std::tuple<std::string, const char*, int, std::string, bool, size_t> kPrompts[] = {
    // Not a WAVE file: kept without asking, whatever is typed.
    {"k", "y\n", cli::kExitOutputNotWave, "[y/N]", false, 1},
    {std::string("RIFF\x04\0\0\0WAVE", 12), "n\n", cli::kExitDeclined, "? [y/N] ", true, 12},
    {std::string("RIFF\x04\0\0\0WAVE", 12), "Yes\n", cli::kExitDone, "100%", true, 18488},
};

TEST_F(CliPrompt, TheTypedAnswerDecides) {
    const std::string output = Scratch("out.wav");
    for (const auto& [before, typed, status, shown, isShown, size] : kPrompts) {
        SCOPED_TRACE(typed);
        WriteFileBytes(output, std::vector<unsigned char>(before.begin(), before.end()));
        std::string screen;
        EXPECT_EQ(RunAtTerminal({cli, "-nobeep", Fixture("cbr_8000_mono.mp3"), output},
                                Options().env, "[y/N] ", typed, screen),
                  status);
        EXPECT_EQ(Contains(screen, shown), isShown) << screen;
        EXPECT_EQ(std::filesystem::file_size(output), size);
    }
}

TEST_F(CliPrompt, LinesDrawnInPlaceFitANarrowTerminalAndCtrlCLeavesACleanLine) {
    WriteLongInput(Scratch("long.mp3"), 600);
    const std::vector<std::string> env = Options({"SONAREL_AUDIO_DEVICE=null"}).env;
    for (const char* mode : {"-nobeep", "-play"}) {
        SCOPED_TRACE(mode);
        std::string screen;
        const std::string output = Scratch(std::string(mode) + ".wav");
        const int status =
            RunAtTerminal({cli, mode, Scratch("long.mp3"), output}, env,
                          mode == std::string("-play") ? "Playing 0" : "%", "\x03", screen, 40);
        EXPECT_EQ(status, cli::kExitCancelled) << screen;
        // What follows "Writing NAME" is drawn in place, then the status.
        const size_t drawn = screen.find('\n', screen.find("Writing " + output));
        ASSERT_NE(drawn, std::string::npos) << screen;
        bool wrapped = false;
        const std::vector<std::string> lines = ShownLines(screen.substr(drawn), 40, wrapped);
        EXPECT_FALSE(wrapped) << screen;
        auto cancelled = std::find_if(lines.begin(), lines.end(), [](const std::string& line) {
            return line.find("Cancelled!") != std::string::npos;
        });
        ASSERT_NE(cancelled, lines.end()) << screen;
        EXPECT_EQ(cancelled->substr(0, cancelled->find_last_not_of(' ') + 1), "Cancelled!");
    }
}

// A batch on a terminal draws its overall progress: once the long first file is done, the bar
// stands near its end while the short second one begins.
TEST_F(CliPrompt, ABatchDrawsItsOverallProgress) {
    WriteLongInput(Scratch("a.mp3"), 300);
    WriteLongInput(Scratch("b.mp3"), 60);
    std::string screen;
    EXPECT_EQ(RunAtTerminal({cli, "-nobeep", "-jobs", "1", Scratch("a.mp3"), Scratch("b.mp3"),
                             "-output=" + Scratch("out") + "/"},
                            Options().env, "", "", screen, 80),
              cli::kExitDone);
    const size_t second = screen.find("%  1/2 files");
    ASSERT_NE(second, std::string::npos) << screen;
    EXPECT_GE(std::stoi(screen.substr(second - 3, 3)), 80) << screen;
}

} // namespace
} // namespace sonarel::test
