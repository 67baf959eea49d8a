#include "platform/console.h"

#include "platform/win32/wide_text.h"

// windows.h first: the shell's header needs its types.
#include <windows.h>

#include <atomic>
#include <fcntl.h>
#include <io.h>
#include <shellapi.h>

namespace sonarel {
namespace {

void (*gInterruptHandler)() = nullptr;
std::atomic<bool> gCleanedUp{false};

// How long a closing console window waits for the program to finish its files; Windows ends
// the process a few seconds after the close at the latest.
constexpr DWORD kCloseGraceMs = 4500;

HANDLE HandleOf(std::FILE* stream) {
    return reinterpret_cast<HANDLE>(_get_osfhandle(_fileno(stream)));
}

BOOL WINAPI OnConsoleEvent(DWORD event) {
    if (gInterruptHandler == nullptr) {
        return FALSE;
    }
    gInterruptHandler();
    if (event == CTRL_CLOSE_EVENT || event == CTRL_LOGOFF_EVENT || event == CTRL_SHUTDOWN_EVENT) {
        // The process ends when this returns: give the main thread time to close its files.
        for (DWORD waited = 0; !gCleanedUp && waited < kCloseGraceMs; waited += 50) {
            Sleep(50);
        }
    }
    return TRUE;
}

} // namespace

void PrepareConsole() {
    SetConsoleOutputCP(CP_UTF8);
    _setmode(_fileno(stdout), _O_BINARY);
    _setmode(_fileno(stdin), _O_BINARY);
}

std::vector<std::string> ProgramArguments(int argc, char** argv) {
    int count = 0;
    LPWSTR* wide = CommandLineToArgvW(GetCommandLineW(), &count);
    if (wide == nullptr) {
        return std::vector<std::string>(argv, argv + argc);
    }
    std::vector<std::string> arguments;
    for (int i = 0; i < count; ++i) {
        arguments.push_back(Utf8FromWide(wide[i]));
    }
    LocalFree(wide);
    return arguments;
}

bool IsTerminal(std::FILE* stream) {
    DWORD mode = 0;
    return GetConsoleMode(HandleOf(stream), &mode) != 0;
}

int TerminalColumns(std::FILE* stream) {
    CONSOLE_SCREEN_BUFFER_INFO info;
    if (!GetConsoleScreenBufferInfo(HandleOf(stream), &info)) {
        return 0;
    }
    return info.srWindow.Right - info.srWindow.Left + 1;
}

bool ReadInputLine(std::string& line) {
    line.clear();
    HANDLE input = GetStdHandle(STD_INPUT_HANDLE);
    DWORD mode = 0;
    if (GetConsoleMode(input, &mode)) {
        // A console: read wide characters (Ctrl-C aborts the read).
        wchar_t buffer[256];
        DWORD got = 0;
        if (!ReadConsoleW(input, buffer, 255, &got, nullptr) || got == 0) {
            return false;
        }
        std::wstring text(buffer, got);
        while (!text.empty() && (text.back() == L'\n' || text.back() == L'\r')) {
            text.pop_back();
        }
        line = Utf8FromWide(text);
        return true;
    }
    char c = 0;
    DWORD got = 0;
    while (ReadFile(input, &c, 1, &got, nullptr) && got == 1) {
        if (c == '\n') {
            return true;
        }
        if (c != '\r') {
            line += c;
        }
    }
    return false;
}

void InstallInterruptHandler(void (*handler)()) {
    gInterruptHandler = handler;
    SetConsoleCtrlHandler(OnConsoleEvent, TRUE);
}

void InterruptHandled() {
    gCleanedUp = true;
}

} // namespace sonarel
