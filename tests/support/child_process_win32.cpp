#include "platform/win32/wide_text.h"
#include "support/child_process.h"

#include <windows.h>

#include <chrono>
#include <condition_variable>
#include <csignal>
#include <mutex>
#include <thread>

namespace sonarel::test {

// Each output pipe is drained by a thread of its own: Windows pipes cannot be polled.
struct ChildProcess::Host {
    PROCESS_INFORMATION process{};
    bool started = false;
    std::mutex lock; // guards the two texts and `open`
    std::condition_variable grew;
    int open = 0; // pipes not yet at their end
    std::thread readers[2];
};

namespace {

std::wstring QuotedArgument(const std::string& arg) {
    std::wstring wide = WideFromUtf8(arg);
    if (!wide.empty() && wide.find_first_of(L" \t\"") == std::wstring::npos) {
        return wide;
    }
    std::wstring quoted = L"\"";
    for (wchar_t c : wide) {
        quoted += c == L'"' ? L"\\\"" : std::wstring(1, c);
    }
    return quoted + L"\"";
}

// This process's environment with the additions, as CreateProcessW takes it.
std::wstring EnvironmentBlock(const std::vector<std::string>& additions) {
    std::wstring block;
    wchar_t* current = GetEnvironmentStringsW();
    for (const wchar_t* entry = current; *entry != L'\0'; entry += wcslen(entry) + 1) {
        block.append(entry).push_back(L'\0');
    }
    FreeEnvironmentStringsW(current);
    for (const std::string& entry : additions) {
        block.append(WideFromUtf8(entry)).push_back(L'\0');
    }
    return block + L'\0';
}

HANDLE InheritableFile(const std::string& path, DWORD access, DWORD disposition) {
    SECURITY_ATTRIBUTES inherit{sizeof inherit, nullptr, TRUE};
    return CreateFileW(WideFromUtf8(path).c_str(), access, FILE_SHARE_READ | FILE_SHARE_WRITE,
                       &inherit, disposition, FILE_ATTRIBUTE_NORMAL, nullptr);
}

void Drain(ChildProcess::Host& host, HANDLE pipe, std::string& text) {
    char buffer[4096];
    DWORD got = 0;
    while (ReadFile(pipe, buffer, sizeof buffer, &got, nullptr) && got > 0) {
        std::lock_guard<std::mutex> hold(host.lock);
        text.append(buffer, got);
        host.grew.notify_all();
    }
    CloseHandle(pipe);
    std::lock_guard<std::mutex> hold(host.lock);
    --host.open;
    host.grew.notify_all();
}

} // namespace

ChildProcess::ChildProcess(const std::vector<std::string>& args, const ChildOptions& options)
    : host_(std::make_unique<Host>()) {
    SECURITY_ATTRIBUTES inherit{sizeof inherit, nullptr, TRUE};
    HANDLE read[2];
    HANDLE write[2];
    for (int i = 0; i < 2; ++i) {
        CreatePipe(&read[i], &write[i], &inherit, 0);
        SetHandleInformation(read[i], HANDLE_FLAG_INHERIT, 0);
    }
    const std::string in = options.stdinPath.empty() ? "NUL" : options.stdinPath;
    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    startup.dwFlags = STARTF_USESTDHANDLES;
    startup.hStdInput = InheritableFile(in, GENERIC_READ, OPEN_EXISTING);
    startup.hStdOutput = write[0];
    startup.hStdError = write[1];
    std::wstring line;
    for (const std::string& arg : args) {
        line += (line.empty() ? L"" : L" ") + QuotedArgument(arg);
    }
    std::wstring env = EnvironmentBlock(options.env);
    std::wstring folder = WideFromUtf8(options.workDir);
    host_->started =
        CreateProcessW(nullptr, line.data(), nullptr, nullptr, TRUE,
                       CREATE_UNICODE_ENVIRONMENT | CREATE_NEW_PROCESS_GROUP, env.data(),
                       folder.empty() ? nullptr : folder.c_str(), &startup, &host_->process);
    CloseHandle(startup.hStdInput);
    for (int i = 0; i < 2; ++i) {
        CloseHandle(write[i]);
        ++host_->open;
        std::string& text = i == 0 ? result_.out : result_.err;
        host_->readers[i] =
            std::thread([this, pipe = read[i], &text] { Drain(*host_, pipe, text); });
    }
}

ChildProcess::~ChildProcess() {
    Finish(0);
}

bool ChildProcess::WaitForOutput(const std::string& text, int timeout_ms) {
    std::unique_lock<std::mutex> hold(host_->lock);
    host_->grew.wait_for(hold, std::chrono::milliseconds(timeout_ms), [&] {
        return result_.out.find(text) != std::string::npos || host_->open == 0;
    });
    return result_.out.find(text) != std::string::npos;
}

bool ChildProcess::Signal(int signal) {
    if (!host_->started) {
        return false;
    }
    if (signal == SIGINT) {
        return GenerateConsoleCtrlEvent(CTRL_BREAK_EVENT, host_->process.dwProcessId) != 0;
    }
    return TerminateProcess(host_->process.hProcess, 1) != 0;
}

namespace {

// The console's text ends its lines with CR LF; the tests compare them as "\n".
void EndLinesWithNewline(std::string& text) {
    size_t kept = 0;
    for (size_t i = 0; i < text.size(); ++i) {
        if (!(text[i] == '\r' && i + 1 < text.size() && text[i + 1] == '\n')) {
            text[kept++] = text[i];
        }
    }
    text.resize(kept);
}

} // namespace

ProcessResult ChildProcess::Finish(int timeout_ms) {
    if (host_->started) {
        if (WaitForSingleObject(host_->process.hProcess, static_cast<DWORD>(timeout_ms)) !=
            WAIT_OBJECT_0) {
            result_.timedOut = true;
            TerminateProcess(host_->process.hProcess, 1);
            WaitForSingleObject(host_->process.hProcess, INFINITE);
        }
    }
    for (std::thread& reader : host_->readers) {
        if (reader.joinable()) {
            reader.join();
        }
    }
    if (host_->started) {
        DWORD code = 0;
        GetExitCodeProcess(host_->process.hProcess, &code);
        result_.exitCode = result_.timedOut ? -1 : static_cast<int>(code);
        CloseHandle(host_->process.hProcess);
        CloseHandle(host_->process.hThread);
        host_->started = false;
    }
    EndLinesWithNewline(result_.out);
    EndLinesWithNewline(result_.err);
    return result_;
}

} // namespace sonarel::test
