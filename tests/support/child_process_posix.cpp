#include "support/child_process.h"

#include <chrono>
#include <csignal>
#include <cstdlib>
#include <fcntl.h>
#include <poll.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

namespace sonarel::test {

struct ChildProcess::Host {
    pid_t pid = -1;
    int fds[2] = {-1, -1}; // stdout, stderr
};

namespace {

using Clock = std::chrono::steady_clock;

// In the child, between fork and exec.
[[noreturn]] void StartChild(const std::vector<std::string>& args, const ChildOptions& options,
                             int out, int err) {
    const std::string in = options.stdinPath.empty() ? "/dev/null" : options.stdinPath;
    dup2(open(in.c_str(), O_RDONLY), STDIN_FILENO);
    dup2(out, STDOUT_FILENO);
    dup2(err, STDERR_FILENO);
    if (!options.workDir.empty() && chdir(options.workDir.c_str()) != 0) {
        _exit(126);
    }
    if (options.fileSizeLimit != 0) {
        struct rlimit limit = {options.fileSizeLimit, options.fileSizeLimit};
        setrlimit(RLIMIT_FSIZE, &limit);
        signal(SIGXFSZ, SIG_IGN); // kept across exec: writes fail with EFBIG instead
    }
    ExecWithEnvironment(args, options.env);
}

// Reads what one of the pipes holds within timeout_ms; false when both are closed.
bool ReadSome(ChildProcess::Host& host, ProcessResult& result, int timeout_ms) {
    pollfd polled[2] = {{host.fds[0], POLLIN, 0}, {host.fds[1], POLLIN, 0}};
    if (poll(polled, 2, timeout_ms) > 0) {
        for (int i = 0; i < 2; ++i) {
            if (polled[i].fd < 0 || polled[i].revents == 0) {
                continue;
            }
            char buffer[4096];
            ssize_t got = read(polled[i].fd, buffer, sizeof buffer);
            if (got > 0) {
                (i == 0 ? result.out : result.err).append(buffer, static_cast<size_t>(got));
            } else {
                close(host.fds[i]);
                host.fds[i] = -1;
            }
        }
    }
    return host.fds[0] >= 0 || host.fds[1] >= 0;
}

int MillisecondsUntil(Clock::time_point deadline) {
    auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now());
    return static_cast<int>(std::max<long>(0, std::min<long>(left.count(), 50)));
}

} // namespace

void ExecWithEnvironment(const std::vector<std::string>& args,
                         const std::vector<std::string>& env) {
    for (const std::string& entry : env) {
        putenv(const_cast<char*>(entry.c_str()));
    }
    std::vector<char*> argv;
    for (const std::string& arg : args) {
        argv.push_back(const_cast<char*>(arg.c_str()));
    }
    argv.push_back(nullptr);
    execv(argv[0], argv.data());
    _exit(127);
}

ChildProcess::ChildProcess(const std::vector<std::string>& args, const ChildOptions& options)
    : host_(std::make_unique<Host>()) {
    int out[2];
    int err[2];
    if (pipe2(out, O_CLOEXEC) != 0 || pipe2(err, O_CLOEXEC) != 0) {
        return;
    }
    host_->pid = fork();
    if (host_->pid == 0) {
        StartChild(args, options, out[1], err[1]);
    }
    close(out[1]);
    close(err[1]);
    host_->fds[0] = out[0];
    host_->fds[1] = err[0];
}

ChildProcess::~ChildProcess() {
    if (host_->pid > 0) {
        Finish(0);
    }
}

bool ChildProcess::WaitForOutput(const std::string& text, int timeout_ms) {
    auto deadline = Clock::now() + std::chrono::milliseconds(timeout_ms);
    while (result_.out.find(text) == std::string::npos && Clock::now() < deadline &&
           ReadSome(*host_, result_, MillisecondsUntil(deadline))) {
    }
    return result_.out.find(text) != std::string::npos;
}

bool ChildProcess::Signal(int signal) {
    return host_->pid > 0 && kill(host_->pid, signal) == 0;
}

ProcessResult ChildProcess::Finish(int timeout_ms) {
    auto deadline = Clock::now() + std::chrono::milliseconds(timeout_ms);
    while (Clock::now() < deadline && ReadSome(*host_, result_, MillisecondsUntil(deadline))) {
    }
    for (int& fd : host_->fds) {
        if (fd >= 0) {
            result_.timedOut = true;
            close(fd);
            fd = -1;
        }
    }
    int status = 0;
    if (result_.timedOut && host_->pid > 0) {
        kill(host_->pid, SIGKILL);
    }
    if (host_->pid > 0 && waitpid(host_->pid, &status, 0) == host_->pid) {
        result_.exitCode = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
        result_.signal = WIFSIGNALED(status) ? WTERMSIG(status) : 0;
    }
    host_->pid = -1;
    return result_;
}

} // namespace sonarel::test
