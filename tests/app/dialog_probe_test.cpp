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
    const std::string good = CopyFixture("cbr_44100_stereo.mp3", "good.mp3");
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

TEST_F(ProposeTest, AnOutputFolderGetsTheInputsBaseNameWithWav) {
    std::filesystem::create_directory(dir / "my.music");
    ReadyWith(CopyFixture("cbr_44100_stereo.mp3", "x.mp3"), Scratch("my.music") + "/");
    EXPECT_EQ(dialog->Options().outputPath.Str(), Scratch("my.music/x.wav"));
    EXPECT_EQ(view.texts[kOutputEdit], Scratch("my.music/x.wav"));

    // A second input keeps the name proposed for the first.
    ASSERT_TRUE(dialog->ProbeInput(CopyFixture("cbr_8000_mono.mp3", "y.mp3")));
    dialog->ProposeOutputName();
    EXPECT_EQ(dialog->Options().outputPath.Str(), Scratch("my.music/x.wav"));
}

TEST_F(ProposeTest, TheInputItselfIsNeverProposed) {
    std::string wrapped = CopyFixture("riff_mp3_22050_stereo.wav", "x.wav");
    WriteFileBytes(dir / "x_1.wav", {1});
    ReadyWith(wrapped, dir.Path().string());
    EXPECT_EQ(dialog->Options().outputPath.Str(), Scratch("x_2.wav"));

    // An existing x.wav beside x.mp3 is proposed as it is; overwriting is decided later.
    ASSERT_TRUE(dialog->ProbeInput(CopyFixture("cbr_44100_stereo.mp3", "x.mp3")));
    dialog->Options().outputPath.Assign(dir.Path().string());
    dialog->ProposeOutputName();
    EXPECT_EQ(dialog->Options().outputPath.Str(), Scratch("x.wav"));
    EXPECT_TRUE(view.questions.empty());
}

TEST_F(ProposeTest, TheRootFolderAndPlainFileNamesAreHandled) {
    std::string input = CopyFixture("cbr_44100_stereo.mp3", "base.mp3");
    ReadyWith(input, "/");
    EXPECT_EQ(dialog->Options().outputPath.Str(), "/base.wav");

    dialog->Options().outputPath.Assign(Scratch("chosen.wav")); // not a folder: kept
    dialog->ProposeOutputName();
    EXPECT_EQ(dialog->Options().outputPath.Str(), Scratch("chosen.wav"));
}

} // namespace
} // namespace sonarel::test
