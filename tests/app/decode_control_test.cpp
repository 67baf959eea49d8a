// Starting, following, cancelling and ending a conversion through the dialog.
#include "app/control_ids.h"
#include "app/dialog_texts.h"
#include "dialog_fixture.h"

#include <fstream>

namespace sonarel::test {
namespace {

namespace fs = std::filesystem;

using DecodeTest = DialogTest;

// A sparse file of the given size: cheap to make, cheap to read.
std::string SparseFile(const ScratchDir& dir, const std::string& name, uintmax_t size) {
    std::ofstream(dir / name).close();
    fs::resize_file(dir / name, size);
    return (dir / name).string();
}

TEST_F(DecodeTest, AConversionRunsAndEndsWithDone) {
    ReadyWith(CopyFixture("cbr_22050_mono.mp3", "in.mp3"), Scratch("out.wav"));
    dialog->OnDecode();
    ASSERT_TRUE(dialog->IsDecoding());
    EXPECT_EQ(view.texts[kDecodeButton], text::kCancelCaption);
    EXPECT_FALSE(view.enabled[kInputBrowse]);
    EXPECT_FALSE(view.enabled[kOutputBrowse]);
    EXPECT_FALSE(view.enabled[kInputEdit]);
    EXPECT_FALSE(view.menuEnabled[kCommandDecode]);
    EXPECT_EQ(view.progressPosition, 5);

    ASSERT_TRUE(WaitForEnd());
    EXPECT_EQ(view.progressText, text::kDone);
    EXPECT_EQ(view.progressPosition, 105);
    EXPECT_EQ(view.texts[kDecodeButton], text::kDecodeCaption);
    EXPECT_TRUE(view.enabled[kInputBrowse] && view.enabled[kOutputBrowse]);
    EXPECT_TRUE(view.enabled[kInputEdit] && view.enabled[kOutputEdit]);
    EXPECT_TRUE(view.menuEnabled[kCommandDecode] && view.menuEnabled[kCommandSaveAs]);
    EXPECT_EQ(view.focus, kInputEdit);
    EXPECT_EQ(view.beeps, 1);
    EXPECT_FALSE(dialog->HasEnded()); // not in exit mode
    EXPECT_EQ(dialog->Outcome(), DialogOutcome::kDone);
    ExpectCompleteWave(Scratch("out.wav"), 22050, 1);
    // 41 audio frames of 576 samples: the encoder's information frame is not audio.
    EXPECT_EQ(fs::file_size(Scratch("out.wav")), 56u + 47232u);
}

TEST_F(DecodeTest, CancelAnsweredNoGoesOnAndYesKeepsAValidPartialFile) {
    dialog->Options().exitWhenDone = true;
    dialog->Options().noBeep = true;
    ReadyWith(LongInput("long.mp3", 8'000'000), Scratch("out.wav"));
    dialog->OnDecode();
    ASSERT_TRUE(dialog->IsDecoding());
    view.answers = {false, true};
    dialog->OnCancel(); // Escape asks too
    EXPECT_EQ(view.questions.back(), text::kAskCancel);
    EXPECT_TRUE(dialog->IsDecoding());

    dialog->OnDecode();
    EXPECT_EQ(view.progressText, text::kCancelled);
    ASSERT_TRUE(WaitForEnd());
    EXPECT_EQ(view.progressText, text::kCancelled);
    EXPECT_EQ(dialog->Outcome(), DialogOutcome::kCancelled);
    EXPECT_EQ(view.beeps, 0);
    ASSERT_TRUE(view.PumpUntil([this] { return view.ended; })); // exit mode closes
    ExpectCompleteWave(Scratch("out.wav"), 44100, 2);
    EXPECT_LT(fs::file_size(Scratch("out.wav")), 200'000'000u);
}

TEST_F(DecodeTest, ACloseRequestDuringADecodeCancelsAndFinishesTheFileFirst) {
    ReadyWith(LongInput("long.mp3", 8'000'000), Scratch("out.wav"));
    dialog->OnDecode();
    ASSERT_TRUE(dialog->IsDecoding());
    dialog->OnClose();
    EXPECT_TRUE(view.ended);
    EXPECT_FALSE(dialog->IsDecoding());
    EXPECT_FALSE(pipeline.writer.IsOpen());
    EXPECT_EQ(dialog->Outcome(), DialogOutcome::kCancelled);
    ExpectCompleteWave(Scratch("out.wav"), 44100, 2);
    view.Queue().DispatchPending(); // the pump's own stop message finds nothing to do
}

TEST_F(DecodeTest, PumpFailuresAreReportedAndDoNotCloseInExitMode) {
    struct Case {
        int result;
        const char* message;
        DialogOutcome outcome;
        const char* status;
    };
    const Case cases[] = {
        {100, "ERROR: No reader was passed in!", DialogOutcome::kPumpNoReader, text::kDone},
        {101, "ERROR: Could not open reader!", DialogOutcome::kPumpReaderFailed, text::kDone},
        {102, text::kPumpReadError, DialogOutcome::kReadError, text::kFailed},
        {103, text::kPumpWriteError, DialogOutcome::kWriteError, text::kFailed},
    };
    dialog->Options().exitWhenDone = true;
    dialog->Initialize();
    for (const Case& c : cases) {
        pipeline.activePump = std::make_unique<PcmPump>(); // a pump that never ran
        dialog->HandleMessage(RegisterMessage(kMsgPcmPumpThreadStop), c.result, 0);
        EXPECT_FALSE(dialog->IsDecoding());
        EXPECT_EQ(view.messages.back(), c.message);
        EXPECT_EQ(dialog->Outcome(), c.outcome);
        EXPECT_EQ(view.progressText, c.status);
        view.Queue().DispatchPending();
        EXPECT_FALSE(view.ended);
    }
}

// A start that cannot go ahead says why, writes nothing and leaves the dialog ready; a typed
// input is probed first, so its own format is the one written.
TEST_F(DecodeTest, StartRefusalsLeaveTheDialogReadyAndATypedInputIsProbed) {
    const std::string in = CopyFixture("cbr_44100_stereo.mp3", "in.mp3"), out = Scratch("out.wav");
    ReadyWith(in, out);
    const struct {
        std::string input, output, message;
    } cases[] = {
        {in, "/no/such/folder/out.wav", "Invalid file: /no/such/folder/out.wav"},
        {in, dir.Path().string(), "Unable to open output file!"}, // a folder, not a file
        {in, in, "Invalid file: " + in},
        {Scratch("gone.mp3"), out, "Can not find source file!"},
        {PcmWave("pcm.wav"), out, "This is not an MP3 compressed File!"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.message);
        view.texts[kInputEdit] = c.input;
        view.texts[kOutputEdit] = c.output;
        dialog->OnDecode();
        EXPECT_EQ(view.messages.back(), c.message);
        EXPECT_FALSE(dialog->IsDecoding());
        for (int id : {kDecodeButton, kInputEdit}) { // never disabled, or enabled again
            EXPECT_TRUE(!view.enabled.contains(id) || view.enabled[id]) << id;
        }
        EXPECT_NE(view.texts[kDecodeButton], text::kCancelCaption);
        EXPECT_FALSE(fs::exists(out));
    }
    view.texts[kInputEdit] = CopyFixture("cbr_8000_mono.mp3", "mono.mp3");
    dialog->OnDecode();
    ASSERT_TRUE(WaitForEnd());
    ExpectCompleteWave(out, 8000, 1); // the typed file's format, not the probed one's
}

TEST_F(DecodeTest, AnExistingOutputIsReplacedOnlyWhenToldOrConfirmed) {
    std::string out = Scratch("out.wav");
    WriteFileBytes(out, {7});
    dialog->Options().autoMode = true;
    view.answers = {false};
    ReadyWith(CopyFixture("cbr_44100_stereo.mp3", "in.mp3"), out);
    EXPECT_EQ(view.questions.back(), "Overwrite " + out + "?");
    EXPECT_EQ(dialog->Outcome(), DialogOutcome::kDeclined);
    EXPECT_EQ(fs::file_size(out), 1u);

    dialog->Options().overwrite = true;
    dialog->OnDecode();
    EXPECT_EQ(view.questions.size(), 1u);
    ASSERT_TRUE(WaitForEnd());
    ExpectCompleteWave(out, 44100, 2);
}

// Interactive use: a proposed or typed name that exists is asked about; a name chosen in
// Save As (which asked itself) is not, but only for the next conversion.
TEST_F(DecodeTest, InteractiveUseAsksBeforeReplacingAFileSaveAsDidNotConfirm) {
    std::string out = Scratch("out.wav");
    WriteFileBytes(out, {7});
    ReadyWith(CopyFixture("cbr_44100_stereo.mp3", "in.mp3"), out);
    view.answers = {false};
    dialog->OnDecode();
    ASSERT_EQ(view.questions.size(), 1u);
    EXPECT_EQ(view.questions.back(), "Overwrite " + out + "?");
    EXPECT_FALSE(dialog->IsDecoding());
    EXPECT_EQ(fs::file_size(out), 1u);

    view.saveResults = {out};
    dialog->OnCommand(kCommandSaveAs);
    dialog->OnDecode();
    EXPECT_EQ(view.questions.size(), 1u);
    ASSERT_TRUE(WaitForEnd());
    ExpectCompleteWave(out, 44100, 2);

    view.answers = {false}; // the next conversion to the same name asks again
    dialog->OnDecode();
    EXPECT_EQ(view.questions.size(), 2u);
    EXPECT_FALSE(dialog->IsDecoding());
}

TEST_F(DecodeTest, AnUnknownExtensionIsAskedOncePerStart) {
    std::string input = CopyFixture("cbr_44100_stereo.mp3", "in.bin");
    view.defaultAnswer = true;
    dialog->Options().autoMode = true;
    dialog->Options().overwrite = true;
    ReadyWith(input, Scratch("out.wav")); // the probe at start-up asks
    ASSERT_TRUE(WaitForEnd());
    EXPECT_EQ(view.questions.size(), 2u); // and the start asks again, as after Open
    view.questions.clear();

    view.texts[kInputEdit] = CopyFixture("cbr_44100_stereo.mp3", "other.bin");
    dialog->OnDecode(); // never probed: the probe's answer also serves the start
    ASSERT_TRUE(WaitForEnd());
    EXPECT_EQ(view.questions.size(), 1u);
}

TEST_F(DecodeTest, ProgressIsAPercentOfTheInputWithoutOverflow) {
    dialog->Initialize();
    struct Case {
        uintmax_t size;
        size_t read;
        int position;
    };
    for (Case c : {Case{40'000'000, 39'600'000, 104}, Case{100'000'000, 50'000'000, 55}}) {
        pipeline.source.Assign(SparseFile(dir, "big.mp3", c.size));
        ASSERT_EQ(pipeline.source.Open(), 0);
        std::vector<uint8_t> buffer(1 << 20);
        for (size_t done = 0; done < c.read;) {
            int want = static_cast<int>(std::min(buffer.size(), c.read - done));
            done += static_cast<size_t>(pipeline.source.Read(buffer.data(), want, nullptr));
        }
        pipeline.activePump = std::make_unique<PcmPump>();
        dialog->OnPumpProgress();
        EXPECT_EQ(view.progressPosition, c.position);
        dialog->OnPumpStop(0);
    }
    // An empty input leaves the bar where it was.
    pipeline.source.Assign(SparseFile(dir, "empty.mp3", 0));
    ASSERT_EQ(pipeline.source.Open(), 0);
    pipeline.activePump = std::make_unique<PcmPump>();
    view.progressPosition = 42;
    dialog->OnPumpProgress();
    EXPECT_EQ(view.progressPosition, 42);
    dialog->OnPumpStop(0);
}

} // namespace
} // namespace sonarel::test
