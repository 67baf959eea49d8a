// A dialog wired to a scripted view, settings that keep nothing and the program's pipeline, whose
// writer can run out of disk and whose reader can be wrapped with a fault; with helpers that
// make inputs in a scratch folder and check the WAVE files the dialog leaves.
#pragma once

#include "app/decoder_dialog.h"
#include "fake_view.h"
#include "faulty_parts.h"
#include "support/limited_writer.h"
#include "support/test_paths.h"
#include "support/wave_file.h"

#include <cstdint>
#include <gtest/gtest.h>
#include <memory>
#include <string>
#include <vector>

namespace sonarel::test {

class DialogTest : public ::testing::Test {
protected:
    DialogTest();
    ~DialogTest() override;

    // A committed fixture copied into the scratch folder under a new name.
    std::string CopyFixture(const std::string& fixture, const std::string& name);
    // A 16-bit PCM WAVE file.
    std::string PcmWave(const std::string& name);
    std::string Scratch(const std::string& name) const { return (dir / name).string(); }

    // Initialises with an accepted input and the output name given.
    void ReadyWith(const std::string& input, const std::string& output);
    // Dispatches messages until no decode runs.
    bool WaitForEnd() {
        return view.PumpUntil([this] { return !dialog->IsDecoding(); }, 60000);
    }
    // Readers chosen from now on are wrapped with this fault.
    void InjectReaderFault(ReaderFault fault);

    ScratchDir dir;
    FakeView view;
    SettingsStore settings;          // keeps nothing
    LimitedWriter* writer = nullptr; // owned by the pipeline
    DecodePipeline pipeline;
    std::unique_ptr<DecoderDialog> dialog; // goes first, before the pipeline it borrows

private:
    std::unique_ptr<WaveFileWriter> MakeWriter();
};

// Checks the sizes of the WAVE file the writer produced, and its format.
void ExpectCompleteWave(const std::string& path, int rate, int channels);

// The PCM of a whole input decoded through the decoding stage, as the pump would receive it.
std::vector<uint8_t> DecodeAll(const std::string& input);

} // namespace sonarel::test
