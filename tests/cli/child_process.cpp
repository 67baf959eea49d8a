#include "child_process.h"

#include <chrono>
#include <csignal>
#include <cstdlib>
#include <fcntl.h>
#include <poll.h>
#include <sys/wait.h>
#include <unistd.h>

namespace sonarel::test {

void ExecWithEnv(const std::vector<std::string>& args, const std::vector<std::string>& env) {
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

ChildProcess::ChildProcess(const std::vector<std::string>& args,
                           const std::vector<std::string>& env, const std::string& workDir,
                           const std::string& stdinPath) {
    int out[2];
    int err[2];
    if (pipe(out) != 0 || pipe(err) != 0) {
        return;
    }
    pid_ = fork();
    if (pid_ == 0) {
        int in = open(stdinPath.c_str(), O_RDONLY);
        dup2(in, STDIN_FILENO);
        dup2(out[1], STDOUT_FILENO);
        dup2(err[1], STDERR_FILENO);
        close(out[0]);
        close(err[0]);
        if (chdir(workDir.c_str()) != 0) {
            _exit(126);
        }
        ExecWithEnv(args, env);
    }
    close(out[1]);
    close(err[1]);
    outFd_ = out[0];
    errFd_ = err[0];
}

ChildProcess::~ChildProcess() {
    if (pid_ > 0) {
        Finish(1000);
    }
}

bool ChildProcess::ReadSome(int timeout_ms) {
    pollfd fds[2] = {{outFd_, POLLIN, 0}, {errFd_, POLLIN, 0}};
    if (poll(fds, 2, timeout_ms) <= 0) {
        return false;
    }
    bool open = false;
    char buffer[4096];
    for (int i = 0; i < 2; ++i) {
        if (fds[i].revents == 0 || fds[i].fd < 0) {
            continue;
        }
        ssize_t got = read(fds[i].fd, buffer, sizeof buffer);
        if (got > 0) {
            (i == 0 ? result_.out : result_.err).append(buffer, static_cast<size_t>(got));
            open = true;
        } else {
            close(fds[i].fd);
            (i == 0 ? outFd_ : errFd_) = -1;
        }
    }
    return open || outFd_ >= 0 || errFd_ >= 0;
}

bool ChildProcess::WaitForOutput(const std::string& text, int timeout_ms) {
    auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeout_ms);
    while (result_.out.find(text) == std::string::npos &&
           std::chrono::steady_clock::now() < deadline && (outFd_ >= 0 || errFd_ >= 0)) {
        ReadSome(50);
    }
    return result_.out.find(text) != std::string::npos;
}

void ChildProcess::Signal(int signal) {
    if (pid_ > 0) {
        kill(pid_, signal);
    }
}

ProcessResult ChildProcess::Finish(int timeout_ms) {
    auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeout_ms);
    while ((outFd_ >= 0 || errFd_ >= 0) && std::chrono::steady_clock::now() < deadline) {
        ReadSome(50);
    }
    if (outFd_ >= 0 || errFd_ >= 0) {
        kill(pid_, SIGKILL);
    }
    for (int* fd : {&outFd_, &errFd_}) {
        if (*fd >= 0) {
            close(*fd);
            *fd = -1;
        }
    }
    int status = 0;
    if (pid_ > 0 && waitpid(pid_, &status, 0) == pid_) {
        result_.exitCode = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    }
    pid_ = -1;
    return result_;
}

ProcessResult RunProcess(const std::vector<std::string>& args, const std::vector<std::string>& env,
                         const std::string& workDir) {
    ChildProcess child(args, env, workDir);
    return child.Finish();
}

} // namespace sonarel::test
