// A dialog wired to a scripted view, in-memory settings and a real pipeline, with helpers
// that make input files in a scratch folder.
#pragma once

#include "app/decoder_dialog.h"
#include "fake_view.h"
#include "support/test_paths.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <memory>
#include <string>

namespace sonarel::test {

class DialogTest : public ::testing::Test {
protected:
    DialogTest();

    // A committed fixture copied into the scratch folder under a new name.
    std::string CopyFixture(const std::string& fixture, const std::string& name);
    // The frames of a fixture repeated until about the given size: a long input.
    std::string LongInput(const std::string& name, size_t bytes);
    // A 16-bit PCM WAVE file.
    std::string PcmWave(const std::string& name);
    std::string Scratch(const std::string& name) const { return (dir / name).string(); }

    // Initialises with an accepted input and the output name given.
    void ReadyWith(const std::string& input, const std::string& output);
    // Dispatches messages until no decode runs.
    bool WaitForEnd() {
        return view.PumpUntil([this] { return !dialog->IsDecoding(); });
    }

    ScratchDir dir;
    FakeView view;
    MemorySettings settings;
    DecodePipeline pipeline;
    std::unique_ptr<DecoderDialog> dialog; // last: goes first, before the pipeline
};

// Checks the sizes of the WAVE file the writer produced, and its format.
void ExpectCompleteWave(const std::string& path, int rate, int channels);

} // namespace sonarel::test
