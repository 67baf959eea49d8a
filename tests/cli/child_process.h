// Runs a program as a child process with its own environment additions, standard input and
// working folder, and collects its output and exit status.
#pragma once

#include <string>
#include <sys/types.h>
#include <vector>

namespace sonarel::test {

struct ProcessResult {
    int exitCode = -1; // the exit status, or -1 when the child died from a signal
    std::string out;
    std::string err;
};

class ChildProcess {
public:
    // Starts args[0] with args; env entries "NAME=value" are added to the environment.
    // stdin is the file stdinPath (/dev/null unless given).
    ChildProcess(const std::vector<std::string>& args, const std::vector<std::string>& env,
                 const std::string& workDir, const std::string& stdinPath = "/dev/null");
    ~ChildProcess();

    ChildProcess(const ChildProcess&) = delete;
    ChildProcess& operator=(const ChildProcess&) = delete;

    // Reads output until stdout holds text or timeout_ms passed; true when it does.
    bool WaitForOutput(const std::string& text, int timeout_ms);
    void Signal(int signal);
    // Reads the rest of the output and waits for the end (killing the child after
    // timeout_ms).
    ProcessResult Finish(int timeout_ms = 60000);

private:
    bool ReadSome(int timeout_ms);

    pid_t pid_ = -1;
    int outFd_ = -1;
    int errFd_ = -1;
    ProcessResult result_;
};

// In a child: adds the env entries and replaces the process with args[0]; exits with 127
// when that fails.
[[noreturn]] void ExecWithEnv(const std::vector<std::string>& args,
                              const std::vector<std::string>& env);

ProcessResult RunProcess(const std::vector<std::string>& args, const std::vector<std::string>& env,
                         const std::string& workDir);

} // namespace sonarel::test
