// Runs build/bin/sonarel-cli as a child process, optionally with a limit on the size of the
// files it may write (a disk that fills up: writes past the limit fail with EFBIG, SIGXFSZ
// ignored), and reports how it ended.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace sonarel::test {

struct CliRun {
    int exitCode = -1; // -1 when the program did not exit by itself
    int signal = 0;    // the signal that ended it, 0 when it exited
    bool timedOut = false;
    std::string out;
    std::string err;
};

// Runs the console converter in workDir with stdin from /dev/null, its settings in workDir,
// and kills it after timeout_ms. fileSizeLimit 0 means no limit.
CliRun RunCli(const std::vector<std::string>& args, const std::string& workDir,
              uint64_t fileSizeLimit = 0, int timeout_ms = 120'000);

} // namespace sonarel::test
