// A dialog on the scripted view with the program's pipeline, whose writer can run out of
// disk and whose reader can be wrapped; and the checks on the WAVE files it leaves.
#pragma once

#include "app/decoder_dialog.h"
#include "app/fake_view.h"
#include "faulty_parts.h"
#include "support/test_paths.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

namespace sonarel::test {

// The output file as written: the header fields and the sample bytes.
struct WaveFile {
    uint64_t fileSize = 0;
    uint32_t riffSize = 0;
    uint16_t channels = 0;
    uint32_t rate = 0;
    uint16_t blockAlign = 0;
    uint32_t fact = 0;
    uint32_t dataSize = 0;
    std::vector<uint8_t> data; // what follows the data chunk header, to the end of the file
};

// Reads the writer's layout (RIFF, "fmt " of 16 bytes, "fact", "data"); fails the test when
// the chunk names are not where they belong.
WaveFile ReadWave(const std::string& path);

// Every size field agrees with the file: RIFF size, data size (a pad byte after odd data,
// unless the disk had no room left for it), fact = whole sample frames of the data.
void ExpectSelfConsistent(const WaveFile& wave);

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
