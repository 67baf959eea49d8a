// The format probe of an input and the output name proposed from it.
#include "app/control_ids.h"
#include "app/dialog_texts.h"
#include "dialog_fixture.h"

namespace sonarel::test {
namespace {

using ProbeTest = DialogTest;

// An accepted input shows its formats and sizes; another name is asked about first; a
// refused input shows its message (or, declined, none) and the previous input stays.
TEST_F(ProbeTest, AcceptsMpegAudioAndAsksAboutOrRefusesTheRest) {
    std::string good = CopyFixture("cbr_44100_stereo.mp3", "good.mp3");
    ASSERT_TRUE(dialog->ProbeInput(good));
    EXPECT_EQ(view.texts[kInputFormatLabel], "Format:");
    EXPECT_EQ(view.texts[kOutputFormatText], "PCM: 44100 Hz, 16 Bit, Stereo");
    EXPECT_EQ(view.texts[kInputSizeLabel], "17,135 bytes");
    EXPECT_EQ(view.texts[kOutputSizeLabel], "184,376 bytes"); // 40 frames and the header
    EXPECT_EQ(view.progressText, text::kSelectOutput);
    const std::string stereo = "MP3: 128 kbit/sec, 44100 Hz, Stereo";
    const std::string maybe =
        " may not be an MP3 file.  Would you like to process the file anyway?";
    WriteFileBytes(dir / "text.wav", {'h', 'e', 'l', 'l', 'o'});
    WriteFileBytes(dir / "notes.mp3", std::vector<unsigned char>(20000, 'x'));
    WriteFileBytes(dir / "empty.mp3", {});
    const struct {
        std::string input;
        std::deque<bool> answers;
        std::string question; // asked first; the input's name precedes "maybe"
        std::string shown;    // accepted: the format; refused: the message ("" none)
        bool accepted;
    } cases[] = {
        {CopyFixture("cbr_8000_mono.mp3", "m.MP3"),
         {},
         "",
         "MP3: 24 kbit/sec, 8000 Hz, Mono",
         true},
        {CopyFixture("riff_mp3_22050_stereo.wav", "w.wav"),
         {},
         "",
         "MP3: 64 kbit/sec, 22050 Hz, Stereo",
         true},
        {CopyFixture("id3v2_300k.mp3", "tagged.mp3"), {}, "", stereo, true},
        {CopyFixture("cbr_44100_stereo.mp3", "song.mp2"),
         {false},
         text::kAskUnknownExtension,
         "",
         false},
        {Scratch("song.mp2"), {true}, text::kAskUnknownExtension, stereo, true},
        {PcmWave("pcm.wav"), {}, "", "This is not an MP3 compressed File!", false},
        {Scratch("missing.mp3"), {}, "", "Invalid Input File", false},
        {Scratch("text.wav"), {}, "", "Invalid Input File", false},
        {Scratch("notes.mp3"), {false}, Scratch("notes.mp3") + maybe, "", false},
        {Scratch("empty.mp3"),
         {true},
         Scratch("empty.mp3") + maybe,
         "Unable to get file format!",
         false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.input);
        ASSERT_TRUE(dialog->ProbeInput(good));
        view.questions.clear();
        view.messages.clear();
        view.answers = c.answers;
        EXPECT_EQ(dialog->ProbeInput(c.input), c.accepted);
        EXPECT_EQ(view.questions, c.question.empty() ? std::vector<std::string>{}
                                                     : std::vector<std::string>{c.question});
        EXPECT_EQ(dialog->InputPath().Str(), c.accepted ? c.input : good);
        EXPECT_EQ(view.texts[kInputFormatText], c.accepted ? c.shown : stereo);
        EXPECT_EQ(view.messages.empty() ? "" : view.messages.back(), c.accepted ? "" : c.shown);
    }
    EXPECT_EQ(dialog->StreamSampleRate(), 44100u);
    ASSERT_TRUE(dialog->ProbeInput(Scratch("m.MP3")));
    EXPECT_EQ(view.texts[kOutputFormatText], "PCM: 8000 Hz, 16 Bit, Mono");
    EXPECT_EQ(dialog->StreamChannels(), 1u);
    view.answers = {false};
    EXPECT_FALSE(dialog->ProbeInput(Scratch("song.mp2")));
    EXPECT_EQ(dialog->Outcome(), DialogOutcome::kDeclined);
    EXPECT_FALSE(dialog->ProbeInput(Scratch("pcm.wav")));
    EXPECT_EQ(dialog->Outcome(), DialogOutcome::kInputIsPcm);
}

using ProposeTest = DialogTest;

TEST_F(ProposeTest, AnOutputFolderGetsTheInputsBaseNameWithWav) {
    std::filesystem::create_directory(dir / "my.music");
    ReadyWith(CopyFixture("cbr_44100_stereo.mp3", "x.mp3"), Scratch("my.music") + "/");
    EXPECT_EQ(dialog->OutputPath().Str(), Scratch("my.music/x.wav"));
    EXPECT_EQ(view.texts[kOutputEdit], Scratch("my.music/x.wav"));

    // A second input keeps the name proposed for the first.
    ASSERT_TRUE(dialog->ProbeInput(CopyFixture("cbr_8000_mono.mp3", "y.mp3")));
    dialog->ProposeOutputName();
    EXPECT_EQ(dialog->OutputPath().Str(), Scratch("my.music/x.wav"));
}

TEST_F(ProposeTest, TheInputItselfIsNeverProposed) {
    std::string wrapped = CopyFixture("riff_mp3_22050_stereo.wav", "x.wav");
    WriteFileBytes(dir / "x_1.wav", {1});
    ReadyWith(wrapped, dir.Path().string());
    EXPECT_EQ(dialog->OutputPath().Str(), Scratch("x_2.wav"));

    // An existing x.wav beside x.mp3 is proposed as it is; overwriting is decided later.
    ASSERT_TRUE(dialog->ProbeInput(CopyFixture("cbr_44100_stereo.mp3", "x.mp3")));
    dialog->Options().outputPath.Assign(dir.Path().string());
    dialog->ProposeOutputName();
    EXPECT_EQ(dialog->OutputPath().Str(), Scratch("x.wav"));
    EXPECT_TRUE(view.questions.empty());
}

TEST_F(ProposeTest, TheRootFolderAndPlainFileNamesAreHandled) {
    std::string input = CopyFixture("cbr_44100_stereo.mp3", "base.mp3");
    ReadyWith(input, "/");
    EXPECT_EQ(dialog->OutputPath().Str(), "/base.wav");

    dialog->Options().outputPath.Assign(Scratch("chosen.wav")); // not a folder: kept
    dialog->ProposeOutputName();
    EXPECT_EQ(dialog->OutputPath().Str(), Scratch("chosen.wav"));
}

} // namespace
} // namespace sonarel::test
