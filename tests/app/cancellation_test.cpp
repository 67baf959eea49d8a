// Cancelling at random points of a conversion, 100 times with a fixed seed: the pump's thread
// is held at a random input byte (inside a read) or at a random output byte (inside a write),
// the cancel is given while it is held, and it is let go. Every time the dialog shows
// "Cancelled!" and the file is a valid WAVE of whole sample frames, the first part of the
// full conversion, with a fact value that matches.
#include "app/control_ids.h"
#include "app/dialog_texts.h"
#include "dialog_fixture.h"

#include <random>
#include <thread>

namespace sonarel::test {
namespace {

using Cancellation = DialogTest;

struct Input {
    std::string path;
    std::vector<uint8_t> pcm; // the full conversion
    uint64_t bytes = 0;
};

Input MakeInput(const std::string& path) {
    return {path, DecodeAll(path), ReadFileBytes(path).size()};
}

TEST_F(Cancellation, AtAHundredRandomPointsTheFileIsAlwaysValid) {
    dialog->Options().noBeep = dialog->Options().overwrite = true;
    const Input inputs[] = {MakeInput(WriteLongInput(dir / "stereo.mp3", 6)),
                            MakeInput(WriteLongInput(dir / "mono.mp3", 12, "cbr_22050_mono.mp3"))};
    std::mt19937 random(20261206);
    ReadyWith(inputs[0].path, Scratch("out.wav"));
    int cancelledBeforeTheEnd = 0;

    for (int run = 0; run < 100; ++run) {
        const Input& input = inputs[run % 2];
        bool inWriter = random() % 2 == 0;
        // The writer is held only past its header, which the dialog's thread writes.
        uint64_t first = inWriter ? 56 : 0;
        uint64_t last = inWriter ? 56 + input.pcm.size() - 1 : input.bytes - 1;
        uint64_t at = std::uniform_int_distribution<uint64_t>(first, last)(random);
        SCOPED_TRACE("run " + std::to_string(run) + (inWriter ? ": writer" : ": reader") +
                     " held at byte " + std::to_string(at));

        Gate gate;
        if (inWriter) {
            InjectReaderFault({});
            writer->stop = [&gate] { gate.Arrive(); };
            writer->stop_at = at;
        } else {
            InjectReaderFault({ReaderFault::kPause, at, &gate});
            writer->stop = nullptr;
        }
        view.texts[kInputEdit] = input.path;
        view.answers = {true}; // "Cancel decode?" Yes, where the window's Cancel asks
        dialog->OnDecode();
        ASSERT_TRUE(dialog->IsDecoding());
        ASSERT_TRUE(gate.WaitArrived(30'000));
        // The held pass goes on once the cancel has been given (the running flag cleared).
        std::thread release([&gate, pump = pipeline.activePump.get()] {
            while (pump->IsRunning()) {
                std::this_thread::yield();
            }
            gate.Release();
        });
        if (run % 3 == 0) {
            dialog->CancelDecode(); // the console's Ctrl-C
        } else {
            dialog->OnDecode(); // the Cancel button, answered Yes
        }
        release.join();
        ASSERT_TRUE(view.PumpUntil([this] { return !dialog->IsDecoding(); }));
        EXPECT_EQ(view.progressText, text::kCancelled);
        EXPECT_EQ(dialog->Outcome(), DialogOutcome::kCancelled);

        WaveFile wave = CheckedWave(Scratch("out.wav"));
        EXPECT_TRUE(IsPrefix(wave.data, input.pcm));
        cancelledBeforeTheEnd += wave.data.size() < input.pcm.size() ? 1 : 0;
    }
    writer->stop = nullptr;
    // Holding the thread inside the conversion means the cancel lands before its end.
    EXPECT_GE(cancelledBeforeTheEnd, 95);
    EXPECT_EQ(view.beeps, 0); // -nobeep
}

} // namespace
} // namespace sonarel::test
