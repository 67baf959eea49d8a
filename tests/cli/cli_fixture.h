// Runs build/bin/sonarel-cli in a scratch folder with its own settings folder, and checks the
// WAVE files it writes with the tests' own checker.
#pragma once

#include "support/child_process.h"
#include "support/test_paths.h"
#include "support/wave_file.h"

#include <cstdint>
#include <gtest/gtest.h>
#include <optional>
#include <string>
#include <vector>

namespace sonarel::test {

// Waits until the file at path holds at least bytes; false after timeout_ms.
bool WaitForSize(const std::string& path, uintmax_t bytes, int timeout_ms);

// Sample frames of 16-bit PCM in the file's data.
inline long Frames(const WaveFile& wave) {
    return wave.blockAlign == 0 ? 0 : static_cast<long>(wave.data.size() / wave.blockAlign);
}

inline bool Contains(const std::string& text, const std::string& part) {
    return text.find(part) != std::string::npos;
}

// What the output {out.wav} holds after a run: nothing, what it held before, the WAVE file a
// plain conversion of {in} writes, or (0 and up) a file of that many bytes.
constexpr long long kAbsent = -1;
constexpr long long kKept = -2;
constexpr long long kWave = -3;

// One run of the converter and its answer. The line is its arguments, split at spaces, or (on
// POSIX hosts) a bash line when it names {cli}; "{in}" is a small stream and any other
// "{name}" a file of the scratch folder. The text must be on stderr, or after status 0 on
// either stream.
struct Answer {
    std::string line;
    int exitCode;
    std::string text;
    std::optional<std::string> before = std::nullopt; // {out.wav}'s bytes before the run
    long long after = kAbsent;
};

class CliTest : public ::testing::Test {
protected:
    // The scratch folder as working folder and settings folder, plus the env entries given.
    ChildOptions Options(std::vector<std::string> env = {}) const;
    ProcessResult Run(std::vector<std::string> args) const;
    ProcessResult Shell(const std::string& line) const; // bash -c line
    std::string Fixture(const std::string& name) const;
    std::string Scratch(const std::string& name) const { return (dir / name).string(); }
    // The text with its {names} replaced by full names, quoted for bash when asked.
    std::string Expand(std::string text, bool quoted = false) const;
    // Runs each case on the null sound device and checks its answer and output.
    void ExpectAnswers(const std::vector<Answer>& answers) const;

    ScratchDir dir;
    std::string cli = ProgramPath("sonarel-cli");
};

} // namespace sonarel::test
