// Runs build/bin/sonarel-cli in a scratch folder with its own settings folder, and checks
// WAVE files with an independent reader (python3's wave module).
#pragma once

#include "child_process.h"
#include "support/test_paths.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

namespace sonarel::test {

struct WaveInfo {
    bool valid = false;
    int rate = 0;
    int channels = 0;
    int sampleWidth = 0;
    long frames = 0;
    std::string error;
};

// Opens the file with python3's wave module and writes its PCM frames to pcmOut.
WaveInfo ReadWaveWithPython(const std::string& path, const std::string& pcmOut);

// A long input: a one-second fixture over and over (half an hour by default).
void WriteLongInput(const std::string& path, int seconds = 1800);

// Waits until the file at path holds at least bytes; false after timeout_ms.
bool WaitForSize(const std::string& path, uintmax_t bytes, int timeout_ms);

class CliTest : public ::testing::Test {
protected:
    void SetUp() override;

    std::vector<std::string> Env() const;
    ProcessResult Run(std::vector<std::string> args) const;
    std::string Fixture(const std::string& name) const;
    std::string Scratch(const std::string& name) const { return (dir / name).string(); }

    ScratchDir dir;
    std::string cli;
};

} // namespace sonarel::test
