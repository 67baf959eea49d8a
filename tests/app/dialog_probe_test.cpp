// The format probe of an input and the output name proposed from it.
#include "app/control_ids.h"
#include "app/dialog_texts.h"
#include "dialog_fixture.h"

namespace sonarel::test {
namespace {

using ProbeTest = DialogTest;

TEST_F(ProbeTest, ShowsTheFormatsAndSizesOfAnAcceptedInput) {
    std::string stereo = CopyFixture("cbr_44100_stereo.mp3", "s.mp3");
    ASSERT_TRUE(dialog->ProbeInput(stereo));
    EXPECT_EQ(view.texts[kInputFormatLabel], "Format:");
    EXPECT_EQ(view.texts[kInputFormatText], "MP3: 128 kbit/sec, 44100 Hz, Stereo");
    EXPECT_EQ(view.texts[kOutputFormatText], "PCM: 44100 Hz, 16 Bit, Stereo");
    EXPECT_EQ(view.texts[kInputSizeLabel], "17,135 bytes");
    EXPECT_EQ(view.texts[kOutputSizeLabel], "184,376 bytes"); // 40 frames and the header
    EXPECT_EQ(view.progressText, text::kSelectOutput);
    EXPECT_EQ(dialog->InputPath().Str(), stereo);

    ASSERT_TRUE(dialog->ProbeInput(CopyFixture("cbr_8000_mono.mp3", "m.MP3")));
    EXPECT_EQ(view.texts[kInputFormatText], "MP3: 24 kbit/sec, 8000 Hz, Mono");
    EXPECT_EQ(view.texts[kOutputFormatText], "PCM: 8000 Hz, 16 Bit, Mono");
    EXPECT_EQ(dialog->StreamSampleRate(), 8000u);
    EXPECT_EQ(dialog->StreamChannels(), 1u);
    EXPECT_TRUE(view.questions.empty()); // .MP3 needs no question, whatever the case

    std::string wrapped = CopyFixture("riff_mp3_22050_stereo.wav", "w.wav");
    ASSERT_TRUE(dialog->ProbeInput(wrapped));
    EXPECT_EQ(view.texts[kInputFormatText], "MP3: 64 kbit/sec, 22050 Hz, Stereo");
}

TEST_F(ProbeTest, AnUnknownExtensionAsksFirstAndNoEndsQuietly) {
    std::string mp2 = CopyFixture("cbr_44100_stereo.mp3", "song.mp2");
    view.answers = {false};
    EXPECT_FALSE(dialog->ProbeInput(mp2));
    ASSERT_EQ(view.questions.size(), 1u);
    EXPECT_EQ(view.questions[0], text::kAskUnknownExtension);
    EXPECT_TRUE(view.messages.empty());
    EXPECT_EQ(dialog->Outcome(), DialogOutcome::kDeclined);

    view.answers = {true};
    EXPECT_TRUE(dialog->ProbeInput(mp2));
}

TEST_F(ProbeTest, RefusalsShowTheirMessageAndKeepThePreviousInput) {
    std::string good = CopyFixture("cbr_44100_stereo.mp3", "good.mp3");
    ASSERT_TRUE(dialog->ProbeInput(good));
    std::string shownFormat = view.texts[kInputFormatText];

    EXPECT_FALSE(dialog->ProbeInput(PcmWave("pcm.wav")));
    EXPECT_EQ(view.messages.back(), "This is not an MP3 compressed File!");
    EXPECT_EQ(dialog->Outcome(), DialogOutcome::kInputIsPcm);

    EXPECT_FALSE(dialog->ProbeInput(Scratch("missing.mp3")));
    EXPECT_EQ(view.messages.back(), "Invalid Input File");

    WriteFileBytes(dir / "text.wav", {'h', 'e', 'l', 'l', 'o'});
    EXPECT_FALSE(dialog->ProbeInput(Scratch("text.wav")));
    EXPECT_EQ(view.messages.back(), "Invalid Input File");

    EXPECT_EQ(dialog->InputPath().Str(), good);
    EXPECT_EQ(view.texts[kInputFormatText], shownFormat);
    EXPECT_EQ(dialog->StreamSampleRate(), 44100u);
}

TEST_F(ProbeTest, AFileWithoutMpegAudioAsksWhetherToGoOn) {
    std::vector<unsigned char> text(20000, 'x');
    WriteFileBytes(dir / "notes.mp3", text);
    view.answers = {false};
    EXPECT_FALSE(dialog->ProbeInput(Scratch("notes.mp3")));
    ASSERT_EQ(view.questions.size(), 1u);
    EXPECT_EQ(view.questions[0], Scratch("notes.mp3") +
                                     " may not be an MP3 file.  Would you like to process the "
                                     "file anyway?");
    EXPECT_TRUE(view.messages.empty());

    view.answers = {true}; // going on finds no format to describe
    WriteFileBytes(dir / "empty.mp3", {});
    EXPECT_FALSE(dialog->ProbeInput(Scratch("empty.mp3")));
    EXPECT_EQ(view.messages.back(), "Unable to get file format!");
}

TEST_F(ProbeTest, LargeId3TagsDoNotHideTheAudio) {
    ASSERT_TRUE(dialog->ProbeInput(CopyFixture("id3v2_300k.mp3", "tagged.mp3")));
    EXPECT_EQ(view.texts[kInputFormatText], "MP3: 128 kbit/sec, 44100 Hz, Stereo");
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
