#include "platform/console.h"

#include <csignal>
#include <initializer_list>
#include <sys/ioctl.h>
#include <unistd.h>

namespace sonarel {
namespace {

void (*gInterruptHandler)() = nullptr;

extern "C" void OnInterruptSignal(int /*signal*/) {
    if (gInterruptHandler != nullptr) {
        gInterruptHandler();
    }
}

} // namespace

void PrepareConsole() {
}

std::vector<std::string> ProgramArguments(int argc, char** argv) {
    return std::vector<std::string>(argv, argv + argc);
}

bool IsTerminal(std::FILE* stream) {
    return ::isatty(::fileno(stream)) != 0;
}

int TerminalColumns(std::FILE* stream) {
    winsize size = {};
    if (::ioctl(::fileno(stream), TIOCGWINSZ, &size) != 0) {
        return 0;
    }
    return size.ws_col;
}

// Byte by byte with read(), so that a signal (installed without SA_RESTART) ends the wait.
bool ReadInputLine(std::string& line) {
    line.clear();
    char c = 0;
    while (true) {
        ssize_t got = ::read(STDIN_FILENO, &c, 1);
        if (got <= 0) {
            return false;
        }
        if (c == '\n') {
            return true;
        }
        line += c;
    }
}

void InstallInterruptHandler(void (*handler)()) {
    gInterruptHandler = handler;
    struct sigaction action = {};
    action.sa_handler = OnInterruptSignal;
    sigemptyset(&action.sa_mask);
    action.sa_flags = 0; // no SA_RESTART: interrupt blocking reads
    for (int signal : {SIGINT, SIGTERM, SIGHUP, SIGQUIT}) {
        sigaction(signal, &action, nullptr);
    }
    std::signal(SIGPIPE, SIG_IGN);
}

void InterruptHandled() {
}

} // namespace sonarel
