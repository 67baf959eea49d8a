// Runs a program as a child process with its own environment additions, standard input and
// working folder, collects what it writes to stdout and stderr, and reports how it ended.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

namespace sonarel::test {

struct ProcessResult {
    int exitCode = -1; // -1 when the child did not exit by itself
    int signal = 0;    // POSIX: the signal that ended it
    bool timedOut = false;
    std::string out;
    std::string err;
};

struct ChildOptions {
    std::vector<std::string> env; // "NAME=value" entries added to the environment
    std::string workDir;          // empty: this process's folder
    std::string stdinPath;        // empty: the null device
    uint64_t fileSizeLimit = 0;   // POSIX: writes past it fail as on a full disk; 0: none
};

class ChildProcess {
public:
    // Starts args[0] (a full name) with args.
    explicit ChildProcess(const std::vector<std::string>& args, const ChildOptions& options = {});
    ~ChildProcess();
    ChildProcess(const ChildProcess&) = delete;
    ChildProcess& operator=(const ChildProcess&) = delete;

    // Collects output until stdout holds text, the child closes its output or timeout_ms
    // passed; true when stdout holds the text.
    bool WaitForOutput(const std::string& text, int timeout_ms);
    // POSIX: sends the signal. Windows: SIGINT is a Ctrl-Break event to the child's process
    // group, anything else ends the process. False when it could not be delivered.
    bool Signal(int signal);
    // Collects the rest of the output and waits for the end; after timeout_ms the child is
    // killed and the result says it timed out.
    ProcessResult Finish(int timeout_ms = 60000);

    struct Host;

private:
    std::unique_ptr<Host> host_;
    ProcessResult result_;
};

ProcessResult RunProcess(const std::vector<std::string>& args, const ChildOptions& options = {},
                         int timeout_ms = 60000);

// POSIX only, in a child: adds the env entries and replaces the process with args[0]; exits
// with 127 when that fails.
[[noreturn]] void ExecWithEnvironment(const std::vector<std::string>& args,
                                      const std::vector<std::string>& env);

} // namespace sonarel::test
