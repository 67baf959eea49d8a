// Starting a conversion through the dialog: what stops a start, the questions it asks, and the
// bar while it runs. (A conversion followed to its end, cancelled or closed:
// tests/gui/window_test.cpp; the progress arithmetic: byte_count_test.cpp.)
#include "app/control_ids.h"
#include "app/dialog_texts.h"
#include "dialog_fixture.h"

#include <tuple>

namespace sonarel::test {
namespace {

namespace fs = std::filesystem;

using DecodeTest = DialogTest;

// A start that cannot go ahead says why, writes nothing and leaves the dialog ready; a typed
// input is probed first, so its own format is the one written. (The console's answers to
// invalid output names: tests/cli.)
TEST_F(DecodeTest, StartRefusalsLeaveTheDialogReadyAndATypedInputIsProbed) {
    const std::string in = CopyFixture("cbr_44100_stereo.mp3", "in.mp3"), out = Scratch("out.wav");
    ReadyWith(in, out);
    const struct {
        std::string input, output, message;
    } cases[] = {
        {in, dir.Path().string(), "Unable to open output file!"}, // a folder, not a file
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

// Interactive use: a proposed or typed name that exists is asked about; a name chosen in
// Save As (which asked itself) is not, but only for the next conversion (the one after it
// asks again: the window test).
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
}

// -auto without an input still runs Decode, as a click would, which says why it cannot start
// (both names are the current folder here).
TEST_F(DecodeTest, AutoModeWithoutAnInputStillRunsDecode) {
    dialog->Options().autoMode = true;
    dialog->Initialize();
    EXPECT_EQ(view.messages,
              std::vector<std::string>{"Invalid file: " + fs::current_path().string()});
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

// The bar runs from 5 to 105 with the share of the input read; an empty input leaves it alone.
TEST_F(DecodeTest, TheBarShowsTheShareOfTheInputRead) {
    dialog->Initialize();
    for (const auto& [size, read, position] : {std::tuple{200, 100, 55}, std::tuple{0, 0, 42}}) {
        WriteFileBytes(dir / "in.mp3", std::vector<unsigned char>(size_t(size), 0));
        pipeline.source.Assign(Scratch("in.mp3"));
        ASSERT_EQ(pipeline.source.Open(), 0);
        std::vector<uint8_t> buffer(200);
        EXPECT_EQ(pipeline.source.Read(buffer.data(), read, nullptr), read);
        pipeline.activePump = std::make_unique<PcmPump>();
        view.progressPosition = 42;
        dialog->OnPumpProgress();
        EXPECT_EQ(view.progressPosition, position);
        dialog->OnPumpStop(0);
    }
}

} // namespace
} // namespace sonarel::test
