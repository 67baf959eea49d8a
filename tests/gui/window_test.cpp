// The main window driven like a user: choosing the input, the probe's texts and the proposed
// output, decoding to "Done!", cancelling, dropping files, the keys and the window position.
#include "app/control_ids.h"
#include "app/dialog_texts.h"
#include "controls/gradient_progress_bar.h"
#include "controls/image_button.h"
#include "support/test_paths.h"
#include "window_harness.h"

#include <QAction>
#include <QDropEvent>
#include <QLineEdit>
#include <QMenuBar>
#include <QMimeData>
#include <QSettings>
#include <QTest>
#include <QUrl>
#include <filesystem>
#include <gtest/gtest.h>

namespace sonarel::test {
namespace {

namespace fs = std::filesystem;

const char* const kFixture = "cbr_44100_stereo.mp3";

fs::path Fixture(const char* name) {
    return FixturesDir() / "mp3" / name;
}

// An input long enough that a decode is still running when the test acts on it.
fs::path LongInput(const ScratchDir& scratch, int copies) {
    std::vector<unsigned char> one = ReadFileBytes(Fixture(kFixture));
    std::vector<unsigned char> all;
    for (int i = 0; i < copies; ++i) {
        all.insert(all.end(), one.begin(), one.end());
    }
    fs::path path = scratch / "long.mp3";
    WriteFileBytes(path, all);
    return path;
}

QString Native(const fs::path& path) {
    return QString::fromStdString(path.string());
}

class WindowTest : public ::testing::Test {
protected:
    void SetUp() override {
        input = scratch / "song.mp3";
        fs::copy_file(Fixture(kFixture), input);
        // Proposals go into the scratch folder.
        harness.Settings().WriteString("Settings", "DefaultSaveAsDir", scratch.Path().string());
    }

    // Opens `path` through File > Open, as if the user picked it in the dialog.
    void Open(const fs::path& path) {
        harness.files.push_back(path);
        harness.Trigger(kCommandOpen);
    }

    ScratchDir scratch;
    fs::path input;
    WindowHarness harness;
};

TEST_F(WindowTest, StartsWaitingForAnInput) {
    harness.Start();
    DecoderWindow& window = harness.Window();
    EXPECT_EQ(window.windowTitle(), "Sonarel MP3 Decoder");
    EXPECT_EQ(harness.ProgressText(), text::kSelectInput);
    EXPECT_EQ(harness.ProgressPos(), 0);
    EXPECT_TRUE(harness.IsEnabled(kInputEdit));
    EXPECT_TRUE(harness.IsEnabled(kInputBrowse));
    EXPECT_FALSE(harness.IsEnabled(kOutputEdit));
    EXPECT_FALSE(harness.IsEnabled(kOutputBrowse));
    EXPECT_FALSE(harness.IsEnabled(kDecodeButton));
    EXPECT_FALSE(harness.IsMenuEnabled(kCommandDecode));
    EXPECT_FALSE(harness.IsMenuEnabled(kCommandSaveAs));
    EXPECT_TRUE(harness.IsMenuEnabled(kCommandOpen));
    // The template's sample texts never show.
    for (int id : {kInputFormatText, kInputFormatLabel, kInputSizeLabel, kOutputFormatText,
                   kOutputFormatLabel, kOutputSizeLabel}) {
        EXPECT_EQ(harness.Text(id), "") << id;
    }
    // The output starts as the saved folder.
    EXPECT_EQ(harness.Text(kOutputEdit), Native(scratch.Path()));
    // Nothing stored yet: the window sits at (300, 300).
    EXPECT_EQ(window.pos(), QPoint(300, 300));
}

TEST_F(WindowTest, MenuAndTooltipsReadAsDesigned) {
    harness.Start();
    DecoderWindow& window = harness.Window();
    EXPECT_EQ(window.MenuAction(kCommandOpen)->text(), "&Open...");
    EXPECT_EQ(window.MenuAction(kCommandSaveAs)->text(), "Save &As...");
    EXPECT_EQ(window.MenuAction(kCommandDecode)->text(), "&Decode");
    EXPECT_EQ(window.MenuAction(kCommandExit)->text(), "E&xit");
    EXPECT_EQ(window.MenuAction(kCommandAbout)->text(), "&About");
    EXPECT_EQ(window.Control(kInputBrowse)->toolTip(), "Open MP3 File");
    EXPECT_EQ(window.Control(kOutputBrowse)->toolTip(), "Save WAV as...");
    EXPECT_EQ(window.Control(kDecodeButton)->toolTip(), "Decode and Save");
    EXPECT_EQ(harness.Text(kInputBrowse), "&Browse...");
    EXPECT_EQ(harness.Text(kOutputBrowse), "B&rowse...");
    EXPECT_EQ(harness.Text(kDecodeButton), "&Decode");
    // A fixed size: the window cannot be resized.
    EXPECT_EQ(window.minimumSize(), window.maximumSize());
}

TEST_F(WindowTest, OpenProbesTheInputAndProposesTheOutput) {
    harness.Start();
    Open(input);
    ASSERT_EQ(harness.fileDialogs.size(), 1u);
    const FileDialogSeen& seen = harness.fileDialogs[0];
    EXPECT_FALSE(seen.save);
    EXPECT_TRUE(seen.existingFileOnly);
    EXPECT_EQ(seen.nameFilters,
              QStringList({"MP3 Files (*.mp3)", "MP3 Compressed Wave (*.wav)", "All Files (*)"}));
    EXPECT_TRUE(harness.messages.empty());

    EXPECT_EQ(harness.Text(kInputEdit), Native(input));
    EXPECT_EQ(harness.Text(kInputFormatLabel), "Format:");
    EXPECT_EQ(harness.Text(kInputFormatText), "MP3: 128 kbit/sec, 44100 Hz, Stereo");
    EXPECT_EQ(harness.Text(kInputSizeLabel), "17,135 bytes");
    EXPECT_EQ(harness.Text(kOutputFormatLabel), "Format:");
    EXPECT_EQ(harness.Text(kOutputFormatText), "PCM: 44100 Hz, 16 Bit, Stereo");
    EXPECT_EQ(harness.Text(kOutputSizeLabel), "184,376 bytes");
    EXPECT_EQ(harness.Text(kOutputEdit), Native(scratch / "song.wav"));
    EXPECT_EQ(harness.ProgressText(), text::kSelectOutput);

    EXPECT_TRUE(harness.IsEnabled(kOutputEdit));
    EXPECT_TRUE(harness.IsEnabled(kOutputBrowse));
    EXPECT_TRUE(harness.IsEnabled(kDecodeButton));
    EXPECT_TRUE(harness.IsMenuEnabled(kCommandDecode));
    EXPECT_TRUE(harness.IsMenuEnabled(kCommandSaveAs));
    EXPECT_EQ(harness.Window().FocusedControl(), kOutputEdit);
    // The folder is remembered for the next Open.
    EXPECT_EQ(harness.Settings().ReadString("Settings", "DefaultOpenDir", ""),
              scratch.Path().string() + "/");
}

TEST_F(WindowTest, CompressedWaveInputProposesAFreeName) {
    fs::path wave = scratch / "riff.wav";
    fs::copy_file(Fixture("riff_mp3_22050_stereo.wav"), wave);
    harness.Start();
    Open(wave);
    EXPECT_TRUE(harness.messages.empty());
    EXPECT_EQ(harness.Text(kInputFormatText), "MP3: 64 kbit/sec, 22050 Hz, Stereo");
    EXPECT_EQ(harness.Text(kOutputFormatText), "PCM: 22050 Hz, 16 Bit, Stereo");
    // The output must not replace its own input.
    EXPECT_EQ(harness.Text(kOutputEdit), Native(scratch / "riff_1.wav"));
}

TEST_F(WindowTest, UnknownExtensionAsksFirstAndNoKeepsTheWindowAsItWas) {
    fs::path odd = scratch / "song.mp2";
    fs::copy_file(Fixture(kFixture), odd);
    harness.Start();
    harness.answers.push_back(false);
    Open(odd);
    ASSERT_EQ(harness.questions.size(), 1u);
    EXPECT_EQ(harness.questions[0], text::kAskUnknownExtension);
    EXPECT_EQ(harness.boxCaptions.value(0), "Sonarel MP3 Decoder");
    EXPECT_TRUE(harness.messages.empty());
    EXPECT_EQ(harness.Text(kInputFormatText), "");
    EXPECT_FALSE(harness.IsEnabled(kDecodeButton));

    harness.answers.push_back(true);
    Open(odd);
    EXPECT_EQ(harness.Text(kInputFormatText), "MP3: 128 kbit/sec, 44100 Hz, Stereo");
    EXPECT_TRUE(harness.IsEnabled(kDecodeButton));
}

TEST_F(WindowTest, CancelledOpenChangesNothing) {
    harness.Start();
    harness.files.push_back(std::nullopt);
    harness.Click(kInputBrowse);
    EXPECT_EQ(harness.fileDialogs.size(), 1u);
    EXPECT_EQ(harness.ProgressText(), text::kSelectInput);
    EXPECT_FALSE(harness.IsEnabled(kDecodeButton));
}

TEST_F(WindowTest, RefusedInputIsReportedInABoxWithTheCaption) {
    fs::path pcm = scratch / "pcm.wav";
    fs::copy_file(FixturesDir() / "wave" / "python_pcm_stereo.wav", pcm);
    harness.Start();
    Open(pcm);
    ASSERT_EQ(harness.messages.size(), 1u);
    EXPECT_EQ(harness.messages[0], text::kPcmInput);
    EXPECT_EQ(harness.boxCaptions.value(0), "Sonarel MP3 Decoder");
    EXPECT_EQ(harness.Text(kInputFormatText), "");
    EXPECT_FALSE(harness.IsEnabled(kDecodeButton));
}

TEST_F(WindowTest, SaveAsChoosesTheOutput) {
    harness.Start();
    Open(input);
    fs::path chosen = scratch / "chosen.wav";
    harness.files.push_back(chosen);
    harness.Click(kOutputBrowse);
    ASSERT_EQ(harness.fileDialogs.size(), 2u);
    const FileDialogSeen& seen = harness.fileDialogs[1];
    EXPECT_TRUE(seen.save);
    EXPECT_TRUE(seen.confirmsOverwrite);
    EXPECT_EQ(seen.defaultSuffix, "wav");
    EXPECT_EQ(seen.nameFilters, QStringList({"WAV Files (*.wav)", "All Files (*)"}));
    EXPECT_EQ(harness.Text(kOutputEdit), Native(chosen));
    EXPECT_EQ(harness.ProgressText(), text::kClickDecode);
}

TEST_F(WindowTest, DecodeRunsToDone) {
    harness.Start();
    Open(input);
    harness.Click(kDecodeButton);
    ASSERT_TRUE(harness.Dialog().IsDecoding());
    EXPECT_EQ(harness.Text(kDecodeButton), "&Cancel");
    EXPECT_FALSE(harness.IsEnabled(kInputBrowse));
    EXPECT_FALSE(harness.IsEnabled(kOutputBrowse));
    EXPECT_FALSE(harness.IsEnabled(kInputEdit));
    EXPECT_FALSE(harness.IsEnabled(kOutputEdit));
    EXPECT_FALSE(harness.IsMenuEnabled(kCommandDecode));

    ASSERT_TRUE(harness.WaitForDecodeEnd());
    EXPECT_EQ(harness.ProgressText(), text::kDone);
    EXPECT_EQ(harness.ProgressPos(), 105);
    EXPECT_EQ(harness.Text(kDecodeButton), "&Decode");
    EXPECT_TRUE(harness.IsEnabled(kInputBrowse));
    EXPECT_TRUE(harness.IsEnabled(kOutputEdit));
    EXPECT_TRUE(harness.IsMenuEnabled(kCommandDecode));
    EXPECT_EQ(harness.beeps, 1);
    EXPECT_TRUE(harness.messages.empty());
    std::vector<unsigned char> wav = ReadFileBytes(scratch / "song.wav");
    ASSERT_GT(wav.size(), 44u);
    EXPECT_EQ(std::string(wav.begin(), wav.begin() + 4), "RIFF");
}

// A second input keeps the first proposed name; decoding again must not silently replace
// the first conversion.
TEST_F(WindowTest, DecodingAgainToAnExistingFileAsksFirst) {
    harness.Start();
    Open(input);
    harness.Click(kDecodeButton);
    ASSERT_TRUE(harness.WaitForDecodeEnd());
    const auto first = ReadFileBytes(scratch / "song.wav");
    harness.answers.push_back(false);
    harness.Click(kDecodeButton);
    ASSERT_EQ(harness.questions.size(), 1u);
    EXPECT_EQ(harness.questions[0],
              "Overwrite " + Native(scratch / "song.wav").toStdString() + "?");
    EXPECT_FALSE(harness.Dialog().IsDecoding());
    EXPECT_EQ(ReadFileBytes(scratch / "song.wav"), first);
}

TEST_F(WindowTest, ProgressRisesWhileALongDecodeRuns) {
    // Long enough to outlast the pump's half-second report interval at any decoding speed;
    // the PCM goes nowhere, so the disk does not fill.
    fs::path longInput = LongInput(scratch, 1500);
    harness.Start();
    Open(longInput);
    qobject_cast<QLineEdit*>(harness.Window().Control(kOutputEdit))->setText("/dev/null");
    harness.Click(kDecodeButton);
    ASSERT_TRUE(harness.Dialog().IsDecoding());
    EXPECT_EQ(harness.ProgressPos(), 5);
    EXPECT_EQ(harness.ProgressText(), "");
    bool rose = QTest::qWaitFor(
        [this] { return harness.ProgressPos() > 5 || !harness.Dialog().IsDecoding(); }, 60000);
    EXPECT_TRUE(rose && harness.Dialog().IsDecoding()) << "no progress before the end";
    EXPECT_LT(harness.ProgressPos(), 105);
    harness.answers.push_back(true);
    QTest::keyClick(&harness.Window(), Qt::Key_Escape);
    ASSERT_TRUE(harness.WaitForDecodeEnd());
    EXPECT_EQ(harness.ProgressPos(), 105);
    EXPECT_EQ(harness.ProgressText(), text::kCancelled);
}

TEST_F(WindowTest, CancelAnsweredYesShowsCancelled) {
    fs::path longInput = LongInput(scratch, 200);
    harness.Start();
    Open(longInput);
    harness.Click(kDecodeButton);
    ASSERT_TRUE(harness.Dialog().IsDecoding());
    harness.answers.push_back(true);
    harness.Click(kDecodeButton);
    ASSERT_EQ(harness.questions.size(), 1u);
    EXPECT_EQ(harness.questions[0], text::kAskCancel);
    EXPECT_EQ(harness.ProgressText(), text::kCancelled);

    ASSERT_TRUE(harness.WaitForDecodeEnd());
    EXPECT_EQ(harness.ProgressText(), text::kCancelled);
    EXPECT_EQ(harness.Text(kDecodeButton), "&Decode");
    // Stopped early: far less than the whole stream's PCM was written.
    const auto full = static_cast<uintmax_t>(200) * 176400;
    EXPECT_LT(fs::file_size(scratch / "long.wav"), full / 2);
}

TEST_F(WindowTest, EscapeOffersToCancelOnlyWhileDecoding) {
    fs::path longInput = LongInput(scratch, 200);
    harness.Start();
    QTest::keyClick(&harness.Window(), Qt::Key_Escape);
    EXPECT_TRUE(harness.questions.empty());
    EXPECT_TRUE(harness.Window().isVisible());

    Open(longInput);
    harness.Click(kDecodeButton);
    harness.answers = {false, true};
    QTest::keyClick(&harness.Window(), Qt::Key_Escape); // No: the decode goes on
    EXPECT_EQ(harness.questions.size(), 1u);
    EXPECT_TRUE(harness.Dialog().IsDecoding());
    EXPECT_EQ(harness.Text(kDecodeButton), "&Cancel");
    QTest::keyClick(&harness.Window(), Qt::Key_Escape); // Yes
    ASSERT_TRUE(harness.WaitForDecodeEnd());
    EXPECT_EQ(harness.ProgressText(), text::kCancelled);
    EXPECT_TRUE(harness.Window().isVisible());
}

TEST_F(WindowTest, EnterTakesTheInputEditAndDecodesFromTheOutputEdit) {
    harness.Start();
    auto* inputEdit = qobject_cast<QLineEdit*>(harness.Window().Control(kInputEdit));
    inputEdit->setFocus();
    inputEdit->setText(Native(input));
    QTest::keyClick(inputEdit, Qt::Key_Return);
    EXPECT_EQ(harness.Dialog().InputPath().Str(), input.string());
    EXPECT_FALSE(harness.Dialog().IsDecoding());
    EXPECT_TRUE(harness.Window().isVisible());

    // On a focused button Enter clicks it: here Browse opens the Open dialog.
    harness.files.push_back(input);
    harness.Window().Control(kInputBrowse)->setFocus();
    QTest::keyClick(harness.Window().Control(kInputBrowse), Qt::Key_Return);
    ASSERT_EQ(harness.fileDialogs.size(), 1u);
    EXPECT_EQ(harness.Text(kOutputEdit), Native(scratch / "song.wav"));

    QWidget* outputEdit = harness.Window().Control(kOutputEdit);
    outputEdit->setFocus();
    QTest::keyClick(outputEdit, Qt::Key_Return);
    EXPECT_TRUE(harness.Dialog().IsDecoding());
    ASSERT_TRUE(harness.WaitForDecodeEnd());
    EXPECT_EQ(harness.ProgressText(), text::kDone);
    EXPECT_TRUE(harness.Window().isVisible());
}

TEST_F(WindowTest, DroppedFilesProbeOnlyTheFirst) {
    fs::path second = scratch / "second.mp3";
    fs::copy_file(Fixture("cbr_22050_mono.mp3"), second);
    harness.Start();
    QMimeData data;
    data.setUrls({QUrl::fromLocalFile(Native(input)), QUrl::fromLocalFile(Native(second)),
                  QUrl::fromLocalFile(Native(second))});
    const QPoint centre = harness.Window().rect().center();
    QDragEnterEvent enter(centre, Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
    QCoreApplication::sendEvent(&harness.Window(), &enter);
    EXPECT_TRUE(enter.isAccepted());
    QDropEvent drop(QPointF(centre), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
    QCoreApplication::sendEvent(&harness.Window(), &drop);
    EXPECT_TRUE(drop.isAccepted());

    EXPECT_EQ(harness.Text(kInputEdit), Native(input));
    EXPECT_EQ(harness.Text(kInputFormatText), "MP3: 128 kbit/sec, 44100 Hz, Stereo");
    EXPECT_EQ(harness.Text(kOutputEdit), Native(scratch / "song.wav"));
    EXPECT_TRUE(harness.IsEnabled(kDecodeButton));
    EXPECT_TRUE(harness.fileDialogs.empty());
}

// Several files dropped at once are converted one after another into the output's folder; a
// file the probe refuses is passed over.
TEST_F(WindowTest, DroppedFilesAreConvertedOneAfterAnother) {
    fs::copy_file(Fixture("cbr_22050_mono.mp3"), scratch / "second.mp3");
    WriteFileBytes(scratch / "third.mp3", {'n', 'o'});
    fs::copy_file(Fixture("vbr_16000_mono.mp3"), scratch / "fourth.mp3");
    harness.Start();
    QMimeData data;
    QList<QUrl> urls;
    for (const char* name : {"song.mp3", "second.mp3", "third.mp3", "fourth.mp3"}) {
        urls.push_back(QUrl::fromLocalFile(Native(scratch / name)));
    }
    data.setUrls(urls);
    const QPoint centre = harness.Window().rect().center();
    QDragEnterEvent enter(centre, Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
    QCoreApplication::sendEvent(&harness.Window(), &enter);
    QDropEvent drop(QPointF(centre), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
    QCoreApplication::sendEvent(&harness.Window(), &drop);
    EXPECT_EQ(harness.ProgressText(), "Click Decode to convert 4 files");

    harness.Click(kDecodeButton);
    ASSERT_TRUE(QTest::qWaitFor(
        [this] { return harness.Dialog().QueuedCount() == 0 && !harness.Dialog().IsDecoding(); },
        60000));
    for (const char* name : {"song.wav", "second.wav", "fourth.wav"}) {
        EXPECT_GT(fs::file_size(scratch / name), 44u) << name;
    }
    EXPECT_FALSE(fs::exists(scratch / "third.wav"));
    EXPECT_EQ(harness.questions.size(), 1u); // whether to take third.mp3 anyway: No
    EXPECT_EQ(harness.ProgressText(), text::kDone);
    EXPECT_EQ(harness.beeps, 1);
}

// Alt+F and Alt+H open the menus; Ctrl+O opens a file, Ctrl+Q quits.
TEST_F(WindowTest, KeyboardShortcutsOpenAndQuit) {
    harness.Start();
    DecoderWindow& window = harness.Window();
    window.activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&window));
    const QList<QAction*> menus = window.MenuBar()->actions();
    ASSERT_EQ(menus.size(), 2);
    EXPECT_EQ(QKeySequence::mnemonic(menus[0]->text()), QKeySequence(Qt::ALT | Qt::Key_F));
    EXPECT_EQ(QKeySequence::mnemonic(menus[1]->text()), QKeySequence(Qt::ALT | Qt::Key_H));
    QTest::keyClick(&window, Qt::Key_O, Qt::ControlModifier);
    EXPECT_EQ(harness.fileDialogs.size(), 1u); // the Open dialog, cancelled by the script
    QTest::keyClick(&window, Qt::Key_Q, Qt::ControlModifier);
    EXPECT_TRUE(QTest::qWaitFor([this] { return harness.Dialog().HasEnded(); }, 5000));
}

TEST_F(WindowTest, DragWithoutFilesIsRefused) {
    harness.Start();
    QMimeData data;
    data.setText("not a file");
    QDragEnterEvent enter(QPoint(5, 5), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
    enter.ignore();
    QCoreApplication::sendEvent(&harness.Window(), &enter);
    EXPECT_FALSE(enter.isAccepted());
}

TEST_F(WindowTest, CloseStoresTheWindowPosition) {
    harness.Start();
    harness.Window().move(140, 90);
    harness.Window().close();
    EXPECT_TRUE(harness.Dialog().HasEnded());
    EXPECT_FALSE(harness.Window().isVisible());
    QSettings stored(QStringLiteral("Quillon"), HarnessApplicationName());
    EXPECT_EQ(stored.value("Settings/WinPosX").toInt(), 140);
    EXPECT_EQ(stored.value("Settings/WinPosY").toInt(), 90);
}

TEST_F(WindowTest, StoredPositionIsRestoredWithNegativeValuesAsZero) {
    harness.Settings().WriteInt("Settings", "WinPosX", -50);
    harness.Settings().WriteInt("Settings", "WinPosY", 120);
    harness.Start();
    EXPECT_EQ(harness.Window().pos(), QPoint(0, 120));
}

TEST_F(WindowTest, ExitFromTheMenuClosesThroughTheLogic) {
    harness.Start();
    harness.Trigger(kCommandExit);
    // The exit is a posted close request, handled by the event loop.
    EXPECT_TRUE(QTest::qWaitFor([this] { return harness.Dialog().HasEnded(); }, 5000));
    EXPECT_FALSE(harness.Window().isVisible());
    QSettings stored(QStringLiteral("Quillon"), HarnessApplicationName());
    EXPECT_EQ(stored.value("Settings/WinPosX").toInt(), 300);
}

// -auto -exit with an input that is not there: after its message the program ends, so an
// unattended run never hangs on a window nobody sees.
TEST_F(WindowTest, AnUnattendedRunThatCannotStartEnds) {
    CommandLineOptions& options = harness.Dialog().Options();
    options.autoMode = true;
    options.exitWhenDone = true;
    options.inputGiven = true;
    options.inputPath.Assign((scratch / "nosuch.mp3").string());
    harness.Start();
    ASSERT_EQ(harness.messages.size(), 1u);
    EXPECT_EQ(harness.messages[0], (scratch / "nosuch.mp3").string() + " does not exist.");
    EXPECT_TRUE(QTest::qWaitFor([this] { return harness.Dialog().HasEnded(); }, 5000));
    EXPECT_EQ(harness.Dialog().Outcome(), DialogOutcome::kInputMissing);
}

TEST_F(WindowTest, CloseDuringADecodeCancelsAndCompletesTheFile) {
    fs::path longInput = LongInput(scratch, 200);
    harness.Start();
    Open(longInput);
    harness.Click(kDecodeButton);
    ASSERT_TRUE(harness.Dialog().IsDecoding());
    harness.Window().close();
    EXPECT_TRUE(harness.Dialog().HasEnded());
    EXPECT_FALSE(harness.Dialog().IsDecoding());
    // The writer was closed after the pump stopped: the RIFF size matches the file.
    std::vector<unsigned char> wav = ReadFileBytes(scratch / "long.wav");
    ASSERT_GE(wav.size(), 8u);
    const uint32_t riffSize = wav[4] | (wav[5] << 8) | (wav[6] << 16) | (wav[7] << 24);
    EXPECT_EQ(riffSize + 8, wav.size());
}

TEST_F(WindowTest, HelpAboutShowsTheAboutBox) {
    harness.Start();
    harness.Trigger(kCommandAbout);
    EXPECT_EQ(harness.aboutBoxes, 1);
    EXPECT_EQ(harness.aboutCaption, "About Sonarel MP3 Decoder");
}

TEST_F(WindowTest, NoBeepSilencesTheEnd) {
    harness.Dialog().Options().noBeep = true;
    harness.Start();
    Open(input);
    harness.Click(kDecodeButton);
    ASSERT_TRUE(harness.WaitForDecodeEnd());
    EXPECT_EQ(harness.ProgressText(), text::kDone);
    EXPECT_EQ(harness.beeps, 0);
}

} // namespace
} // namespace sonarel::test
