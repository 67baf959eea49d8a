// A dialog on the scripted view with the program's pipeline, whose writer can run out of
// disk and whose reader can be wrapped; and the checks on the WAVE files it leaves.
#pragma once

#include "app/decoder_dialog.h"
#include "app/fake_view.h"
#include "faulty_parts.h"
#include "support/child_process.h"
#include "support/test_paths.h"
#include "support/wave_file.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

namespace sonarel::test {

// The WAVE file, read and checked: the test fails when its sizes disagree.
WaveFile CheckedWave(const std::string& path);

// Runs build/bin/sonarel-cli in workDir with its settings there; writes past fileSizeLimit
// (0: none) fail as on a full disk, and the program is killed after timeout_ms.
ProcessResult RunCli(std::vector<std::string> args, const std::string& workDir,
                     uint64_t fileSizeLimit = 0, int timeout_ms = 120'000);

// True when `part` is the beginning of `whole`.
bool IsPrefix(const std::vector<uint8_t>& part, const std::vector<uint8_t>& whole);

// The PCM of a whole input decoded through the decoding stage, as the pump would receive it.
std::vector<uint8_t> DecodeAll(const std::string& input);

// A committed MP3 fixture repeated until the file is at least `bytes` long.
std::string RepeatFixture(const ScratchDir& dir, const std::string& fixture,
                          const std::string& name, size_t bytes);

class PipelineTest : public ::testing::Test {
protected:
    PipelineTest();
    ~PipelineTest() override;

    // Sets the names as the command line would and initialises the dialog (probe included).
    void Ready(const std::string& input, const std::string& output);
    // Starts a decode of the names the dialog holds and dispatches its messages until it has
    // ended; false when it did not start or did not end in time.
    bool Convert();
    // Readers chosen from now on are wrapped with this fault.
    void InjectReaderFault(ReaderFault fault);

    std::string Scratch(const std::string& name) const { return (dir / name).string(); }

    ScratchDir dir;
    FakeView view;
    MemorySettings settings;
    FullDiskWriter* writer = nullptr; // owned by the pipeline
    DecodePipeline pipeline;
    std::unique_ptr<DecoderDialog> dialog;

private:
    std::unique_ptr<WaveFileWriter> MakeWriter();
};

} // namespace sonarel::test
