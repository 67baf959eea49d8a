// Runs build/bin/sonarel-cli in a scratch folder with its own settings folder, and checks the
// WAVE files it writes with the tests' own checker.
#pragma once

#include "support/child_process.h"
#include "support/test_paths.h"
#include "support/wave_file.h"

#include <algorithm>
#include <cstdint>
#include <gtest/gtest.h>
#include <string>
#include <vector>

namespace sonarel::test {

// A long input: a one-second fixture over and over (half an hour by default).
void WriteLongInput(const std::string& path, int seconds = 1800);

// Waits until the file at path holds at least bytes; false after timeout_ms.
bool WaitForSize(const std::string& path, uintmax_t bytes, int timeout_ms);

// Sample frames of 16-bit PCM in the file's data.
inline long Frames(const WaveFile& wave) {
    return wave.blockAlign == 0 ? 0 : static_cast<long>(wave.data.size() / wave.blockAlign);
}

inline bool Contains(const std::string& text, const std::string& part) {
    return text.find(part) != std::string::npos;
}

class CliTest : public ::testing::Test {
protected:
    void SetUp() override;

    // The scratch folder as working folder and settings folder, plus the env entries given.
    ChildOptions Options(std::vector<std::string> env = {}) const;
    ProcessResult Run(std::vector<std::string> args) const;
    ProcessResult Shell(const std::string& line) const; // bash -c line
    std::string Fixture(const std::string& name) const;
    std::string Scratch(const std::string& name) const { return (dir / name).string(); }

    ScratchDir dir;
    std::string cli;
};

} // namespace sonarel::test
