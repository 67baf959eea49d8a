// Read errors in the middle of a conversion, through the dialog: the output is always a WAVE
// file whose sizes describe exactly what it holds, and a failure is reported as one (its
// message, "Failed!", a non-zero exit status of the console), never as "Done!". (A full disk
// and a file cut short: tests/cli/cli_answers_posix_test.cpp; a disk without room for the
// header: tests/output and the console's /dev/full case.)
#include "app/dialog_texts.h"
#include "cli/exit_codes.h"
#include "dialog_fixture.h"

namespace sonarel::test {
namespace {

using FaultInjection = DialogTest;

// Frames of the 128 kbit/s, 44.1 kHz stereo fixture: 417 or 418 bytes in, 4608 bytes out.
constexpr uint64_t kFrameBytesIn = 418;
constexpr uint64_t kFrameBytesOut = 4608;

TEST_F(FaultInjection, AReadErrorIsAFailureAndTheFileHoldsWhatWasDecodedBeforeIt) {
    dialog->Options().noBeep = dialog->Options().overwrite = true;
    std::string input = WriteLongInput(dir / "in.mp3", 8); // 137,080 bytes
    std::vector<uint8_t> reference = DecodeAll(input);
    dialog->Options().exitWhenDone = true; // a failure must not close the program
    ReadyWith(input, Scratch("out.wav"));

    for (uint64_t at :
         {uint64_t{0}, uint64_t{1}, uint64_t{3000}, uint64_t{60'001}, uint64_t{118'000}}) {
        SCOPED_TRACE("read error at byte " + std::to_string(at));
        size_t messages = view.messages.size();
        InjectReaderFault({ReaderFault::kFail, at, nullptr});
        dialog->OnDecode();
        ASSERT_TRUE(WaitForEnd());
        ASSERT_EQ(view.messages.size(), messages + 1);
        EXPECT_EQ(view.messages.back(), text::kPumpReadError);
        EXPECT_EQ(view.progressText, text::kFailed);
        EXPECT_EQ(cli::ExitCodeFor(dialog->Outcome()), cli::kExitReadError);
        EXPECT_FALSE(view.ended);

        WaveFile wave = CheckedWave(Scratch("out.wav"));
        EXPECT_EQ(wave.rate, 44100u);
        EXPECT_EQ(wave.channels, 2u);
        EXPECT_TRUE(IsPrefix(wave.data, reference));
        EXPECT_LT(wave.data.size(), reference.size());
        // The decoder runs out on what it holds: every frame read before the error but the
        // last one or two (which wait for the header that follows them) comes out.
        uint64_t framesBefore = at / kFrameBytesIn;
        uint64_t least = framesBefore > 3 ? (framesBefore - 3) * kFrameBytesOut : 0;
        EXPECT_GE(wave.dataSize, least);
    }
}

} // namespace
} // namespace sonarel::test
