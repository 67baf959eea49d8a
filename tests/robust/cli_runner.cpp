#include "cli_runner.h"

#include "support/test_paths.h"

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdlib>

namespace sonarel::test {
namespace {

// In the child, between fork and exec: only async-signal-safe calls.
[[noreturn]] void StartChild(const std::vector<char*>& argv, const std::string& workDir,
                             uint64_t fileSizeLimit, int outFd, int errFd) {
    int in = open("/dev/null", O_RDONLY);
    dup2(in, 0);
    dup2(outFd, 1);
    dup2(errFd, 2);
    if (chdir(workDir.c_str()) != 0) {
        _exit(126);
    }
    if (fileSizeLimit != 0) {
        struct rlimit limit = {fileSizeLimit, fileSizeLimit};
        setrlimit(RLIMIT_FSIZE, &limit);
        signal(SIGXFSZ, SIG_IGN); // kept across exec: writes fail with EFBIG instead
    }
    execv(argv[0], argv.data());
    _exit(127);
}

// Reads what is there on both pipes until both are closed or the time is up.
bool Collect(int outFd, int errFd, CliRun& run, int timeout_ms) {
    auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeout_ms);
    struct pollfd fds[2] = {{outFd, POLLIN, 0}, {errFd, POLLIN, 0}};
    std::string* sinks[2] = {&run.out, &run.err};
    int open = 2;
    while (open > 0) {
        auto left = std::chrono::duration_cast<std::chrono::milliseconds>(
            deadline - std::chrono::steady_clock::now());
        if (left.count() <= 0 || poll(fds, 2, static_cast<int>(left.count())) <= 0) {
            return false;
        }
        for (int i = 0; i < 2; ++i) {
            if (fds[i].fd < 0 || fds[i].revents == 0) {
                continue;
            }
            char buffer[4096];
            ssize_t got = read(fds[i].fd, buffer, sizeof buffer);
            if (got > 0) {
                sinks[i]->append(buffer, static_cast<size_t>(got));
            } else {
                fds[i].fd = -1;
                --open;
            }
        }
    }
    return true;
}

} // namespace

CliRun RunCli(const std::vector<std::string>& args, const std::string& workDir,
              uint64_t fileSizeLimit, int timeout_ms) {
    std::vector<std::string> all = {(BinDir() / "sonarel-cli").string()};
    all.insert(all.end(), args.begin(), args.end());
    std::vector<char*> argv;
    for (std::string& arg : all) {
        argv.push_back(arg.data());
    }
    argv.push_back(nullptr);
    // The settings file goes to the scratch folder, not the user's.
    setenv("XDG_CONFIG_HOME", workDir.c_str(), 1);

    int outPipe[2];
    int errPipe[2];
    CliRun run;
    if (pipe2(outPipe, O_CLOEXEC) != 0 || pipe2(errPipe, O_CLOEXEC) != 0) {
        return run;
    }
    pid_t pid = fork();
    if (pid == 0) {
        StartChild(argv, workDir, fileSizeLimit, outPipe[1], errPipe[1]);
    }
    close(outPipe[1]);
    close(errPipe[1]);
    run.timedOut = pid > 0 && !Collect(outPipe[0], errPipe[0], run, timeout_ms);
    close(outPipe[0]);
    close(errPipe[0]);
    if (pid <= 0) {
        return run;
    }
    if (run.timedOut) {
        kill(pid, SIGKILL);
    }
    int status = 0;
    waitpid(pid, &status, 0);
    if (WIFEXITED(status)) {
        run.exitCode = WEXITSTATUS(status);
    } else if (WIFSIGNALED(status)) {
        run.signal = WTERMSIG(status);
    }
    return run;
}

} // namespace sonarel::test
