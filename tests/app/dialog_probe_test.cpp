// The format probe of an input and the output name proposed from it.
#include "app/control_ids.h"
#include "app/dialog_texts.h"
#include "dialog_fixture.h"

namespace sonarel::test {
namespace {

using ProbeTest = DialogTest;

// A refused input shows its message (or, declined, none) and the previous input stays. (What
// the probe shows of an accepted input: tests/gui/window_test.cpp; the console's answers to
// inputs that are not MPEG audio: tests/cli.)
TEST_F(ProbeTest, ARefusedInputLeavesThePreviousOne) {
    // A tenth of a second: the bit rate of a stream shorter than a second is still shown.
    const std::string good = CopyFixture("differential/short-block-intensity.mp3", "good.mp3");
    const std::string stereo = "MP3: 128 kbit/sec, 44100 Hz, Stereo";
    const struct {
        std::string input;
        std::vector<std::string> questions; // asked, each answered No
        std::string message;
    } cases[] = {
        {CopyFixture("cbr_44100_stereo.mp3", "song.mp2"), {text::kAskUnknownExtension}, ""},
        {PcmWave("pcm.wav"), {}, "This is not an MP3 compressed File!"},
        {Scratch("missing.mp3"), {}, "Invalid Input File"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.input);
        ASSERT_TRUE(dialog->ProbeInput(good));
        view.questions.clear();
        view.messages.clear();
        EXPECT_FALSE(dialog->ProbeInput(c.input));
        EXPECT_EQ(view.questions, c.questions);
        EXPECT_EQ(dialog->InputPath().Str(), good);
        EXPECT_EQ(view.texts[kInputFormatText], stereo);
        EXPECT_EQ(view.messages.empty() ? "" : view.messages.back(), c.message);
    }
}

using ProposeTest = DialogTest;

// A folder gets the input's base name with .wav, but never the input itself; an existing
// file is proposed as it is (overwriting is decided later); a file name is kept, and so is
// the name proposed for a first input when a second one comes ("" as the output).
TEST_F(ProposeTest, AFolderGetsTheInputsBaseNameButNeverTheInputItself) {
    std::filesystem::create_directory(dir / "my.music");
    WriteFileBytes(dir / "x_1.wav", {1});
    const std::string folder = dir.Path().string();
    const struct {
        std::string input, output, proposed;
    } cases[] = {
        {CopyFixture("cbr_44100_stereo.mp3", "x.mp3"), Scratch("my.music/"),
         Scratch("my.music/x.wav")},
        {CopyFixture("cbr_8000_mono.mp3", "y.mp3"), "", Scratch("my.music/x.wav")},
        {CopyFixture("riff_mp3_22050_stereo.wav", "x.wav"), folder, Scratch("x_2.wav")},
        {Scratch("x.mp3"), folder, Scratch("x.wav")},
        {Scratch("x.mp3"), "/", "/x.wav"},
        {Scratch("x.mp3"), Scratch("chosen.wav"), Scratch("chosen.wav")},
    };
    dialog->Initialize();
    for (const auto& c : cases) {
        SCOPED_TRACE(c.input + " into " + c.output);
        if (!c.output.empty()) {
            dialog->Options().outputPath.Assign(c.output);
        }
        ASSERT_TRUE(dialog->ProbeInput(c.input));
        dialog->ProposeOutputName();
        EXPECT_EQ(dialog->Options().outputPath.Str(), c.proposed);
        EXPECT_EQ(view.texts[kOutputEdit], c.proposed);
    }
    EXPECT_TRUE(view.questions.empty());
}

} // namespace
} // namespace sonarel::test
