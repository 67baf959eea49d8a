// The main window driven like a user, assembled as main() does with the modal dialogs answered
// by script: its layout, opening inputs, decoding to "Done!", cancelling, keys, drops, the menu
// and the window position.
#include "app/control_ids.h"
#include "app/decode_pipeline.h"
#include "app/decoder_dialog.h"
#include "app/dialog_texts.h"
#include "controls/gradient_progress_bar.h"
#include "gui/about_box.h"
#include "gui/decoder_window.h"
#include "gui/qt_settings_store.h"
#include "support/test_paths.h"
#include "support/wave_file.h"

#include <QAbstractButton>
#include <QAction>
#include <QDropEvent>
#include <QFileDialog>
#include <QMimeData>
#include <QSettings>
#include <QTest>
#include <deque>
#include <gtest/gtest.h>

namespace sonarel::test {
namespace {

namespace fs = std::filesystem;

const QString kCompany = QStringLiteral("Quillon");
const QString kApplication = QStringLiteral("sonarel-window-test");

fs::path Mp3(const char* name) {
    return FixturesDir() / "mp3" / name;
}

// The window and its logic with emptied settings, proposing outputs in a scratch folder; the
// modal dialogs take their answers from `answers` and `files` (an empty path cancels) and are
// recorded.
struct Harness {
    Harness() {
        QSettings(kCompany, kApplication).clear();
        settings.WriteString("Settings", "DefaultSaveAsDir", scratch.Path().string());
        window.SetLogic(&dialog);
        DecoderWindow::ModalHooks& hooks = window.Hooks();
        hooks.messageBox = [this](QMessageBox& box) {
            EXPECT_EQ(box.windowTitle(), "Sonarel MP3 Decoder");
            const bool question = (box.standardButtons() & QMessageBox::Yes) != 0;
            boxes.push_back((question ? "? " : "! ") + box.text().toStdString());
            const bool yes = question && !answers.empty() && answers.front();
            if (question && !answers.empty()) {
                answers.pop_front();
            }
            return question ? (yes ? QMessageBox::Yes : QMessageBox::No) : QMessageBox::Ok;
        };
        hooks.fileDialog = [this](QFileDialog& box) -> std::optional<QString> {
            const bool save = box.acceptMode() == QFileDialog::AcceptSave;
            folder = box.directory().canonicalPath();
            dialogs << (save ? "save ." + box.defaultSuffix() : QStringLiteral("open")) +
                           (box.testOption(QFileDialog::DontConfirmOverwrite) ? "" : " confirm") +
                           (box.fileMode() == QFileDialog::AnyFile ? "" : " existing") + ": " +
                           box.nameFilters().join(";;");
            const fs::path chosen = files.empty() ? fs::path() : files.front();
            if (!files.empty()) {
                files.pop_front();
            }
            return chosen.empty() ? std::nullopt
                                  : std::optional(QString::fromStdString(chosen.string()));
        };
        hooks.aboutBox = [this](AboutBox& box) {
            boxes.push_back(box.windowTitle().toStdString());
        };
        hooks.beep = [this] { ++beeps; };
    }

    void Start() {
        dialog.Initialize();
        window.show();
        QCoreApplication::processEvents();
    }

    // Opens `path` through File > Open, as if the user picked it in the dialog.
    void Open(const fs::path& path) {
        files.push_back(path);
        window.MenuAction(kCommandOpen)->trigger();
    }

    void Click(int id) {
        QTest::mouseClick(qobject_cast<QAbstractButton*>(window.Control(id)), Qt::LeftButton);
    }

    void Key(int id, Qt::Key key) {
        window.Control(id)->setFocus();
        QTest::keyClick(window.Control(id), key);
    }

    std::string Text(int id) const { return window.GetControlText(id); }
    QString ScratchFolder() const {
        return QDir(QString::fromStdString(scratch.Path().string())).canonicalPath();
    }

    bool DecodeEnds() {
        return QTest::qWaitFor([this] { return !dialog.IsDecoding(); }, 60000);
    }

    int BarPosition() const {
        return static_cast<GradientProgressBar*>(window.Control(kProgressBar))->Pos();
    }

    // The status text and position of the bar, the enabled controls and menu items, and the
    // Decode button's caption.
    std::string Shows() const {
        static const std::pair<const char*, int> kControls[] = {
            {"input", kInputEdit},       {"open", kInputBrowse},     {"output", kOutputEdit},
            {"save", kOutputBrowse},     {"decode", kDecodeButton},  {"Open", -kCommandOpen},
            {"SaveAs", -kCommandSaveAs}, {"Decode", -kCommandDecode}};
        std::string shown = window.GetProgressText() + " " + std::to_string(BarPosition()) + " [";
        for (const auto& [name, id] : kControls) {
            const bool on =
                id > 0 ? window.Control(id)->isEnabled() : window.MenuAction(-id)->isEnabled();
            shown += on ? std::string(name) + " " : "";
        }
        return shown + "] " + Text(kDecodeButton);
    }

    // The texts the probe fills in, and the output's name in the scratch folder.
    std::string Probe() const {
        std::string probe;
        for (int id : {kInputFormatLabel, kInputFormatText, kInputSizeLabel, kOutputFormatLabel,
                       kOutputFormatText, kOutputSizeLabel}) {
            probe += Text(id) + "|";
        }
        return probe + fs::path(Text(kOutputEdit)).lexically_relative(scratch.Path()).string();
    }

    ScratchDir scratch;
    QSettingsStore settings{kCompany, kApplication};
    DecodePipeline pipeline;
    DecoderWindow window;
    DecoderDialog dialog{window, settings, pipeline}; // goes first: it stops a running pump
    std::deque<bool> answers;
    std::deque<fs::path> files;
    std::vector<std::string> boxes; // "? question", "! message", or the About box's caption
    QStringList dialogs;
    QString folder; // where the last file dialog started
    int beeps = 0;
};

using Strings = std::vector<std::string>;

const std::string kProbed = " 0 [input open output save decode Open SaveAs Decode ] &Decode";
const std::string kReady = "Select MP3 file to decode 0 [input open Open ] &Decode";
const std::string kSelected = text::kSelectOutput + kProbed;
const std::string kAskExtension = "? " + std::string(text::kAskUnknownExtension);
const std::string kSongProbe = "Format:|MP3: 128 kbit/sec, 44100 Hz, Stereo|17,135 bytes|"
                               "Format:|PCM: 44100 Hz, 16 Bit, Stereo|184,376 bytes|song.wav";

// A fixture opened under a name in the scratch folder ("": the Open dialog is cancelled) with
// the answer to a question, the message box it brings, and then Shows() and Probe().
const std::tuple<const char*, const char*, bool, std::string, std::string, std::string>
    kOpenCases[] = {
        {"mp3/cbr_44100_stereo.mp3", "song.mp2", false, kAskExtension, kReady, "||||||."},
        {"mp3/cbr_44100_stereo.mp3", "song.mp2", true, kAskExtension, kSelected, kSongProbe},
        {"wave/python_pcm_stereo.wav", "", false, "", kReady, "||||||."},
        // The output must not replace its own input.
        {"mp3/riff_mp3_22050_stereo.wav", "riff.wav", false, "", kSelected,
         "Format:|MP3: 64 kbit/sec, 22050 Hz, Stereo|8,568 bytes|"
         "Format:|PCM: 22050 Hz, 16 Bit, Stereo|94,520 bytes|riff_1.wav"}};

TEST(WindowTest, OpenProbesTheInputAndProposesTheOutput) {
    for (const auto& [fixture, name, answer, box, shows, probe] : kOpenCases) {
        Harness h;
        h.Start();
        fs::copy_file(FixturesDir() / fixture, h.scratch / (*name ? name : "unused"));
        h.answers = {answer};
        h.Open(*name ? h.scratch / name : fs::path());
        EXPECT_EQ(h.dialogs, QStringList({"open existing: MP3 Files (*.mp3);;MP3 Compressed "
                                          "Wave (*.wav);;All Files (*)"}));
        EXPECT_EQ(h.boxes, box.empty() ? Strings() : Strings({box})) << name;
        EXPECT_EQ(h.Shows(), shows) << name;
        EXPECT_EQ(h.Probe(), probe) << name;
        if (shows == kSelected) {
            EXPECT_EQ(h.Text(kInputEdit), (h.scratch / name).string());
            EXPECT_EQ(h.window.FocusedControl(), kOutputEdit);
            EXPECT_EQ(h.settings.ReadString("Settings", "DefaultOpenDir", ""),
                      FolderName(h.scratch.Path()));
        }
    }
}

// Escape with no decode running does nothing; Enter takes the input edit's text, on a focused
// button it clicks it, in the output edit it decodes; neither key closes the window. Save As
// names the output, the decode runs to "Done!", and a second one asks before replacing it.
TEST(WindowTest, KeysAndSaveAsThenDecodeRunToDoneAndAgainAskBeforeReplacing) {
    Harness h;
    fs::copy_file(Mp3("cbr_44100_stereo.mp3"), h.scratch / "song.mp3");
    h.Start();
    EXPECT_EQ(h.Shows(), kReady);
    EXPECT_EQ(h.window.pos(), QPoint(300, 300)); // nothing stored yet
    EXPECT_EQ(h.Text(kInputEdit), fs::current_path().string());
    QTest::keyClick(&h.window, Qt::Key_Escape);
    h.window.SetControlText(kInputEdit, (h.scratch / "song.mp3").string());
    h.Key(kInputEdit, Qt::Key_Return);
    EXPECT_EQ(h.dialog.InputPath().Str(), (h.scratch / "song.mp3").string());
    h.files = {h.scratch / "song.mp3", h.scratch / "chosen.wav"};
    h.Key(kInputBrowse, Qt::Key_Enter);
    EXPECT_EQ(h.Probe(), kSongProbe);
    h.Click(kOutputBrowse);
    EXPECT_EQ(h.folder, h.ScratchFolder()); // the folder of the proposed output
    EXPECT_EQ(h.dialogs.value(1), "save .wav confirm: WAV Files (*.wav);;All Files (*)");
    EXPECT_EQ(h.Text(kOutputEdit), (h.scratch / "chosen.wav").string());
    EXPECT_EQ(h.settings.ReadString("Settings", "DefaultSaveAsDir", ""),
              FolderName(h.scratch.Path()));
    EXPECT_EQ(h.Shows(), text::kClickDecode + kProbed);

    h.Key(kOutputEdit, Qt::Key_Return);
    EXPECT_EQ(h.Shows(), " 5 [decode Open ] &Cancel");
    ASSERT_TRUE(h.DecodeEnds());
    EXPECT_EQ(h.Shows(), text::kDone + std::string(" 105") + kProbed.substr(2));
    EXPECT_EQ(h.window.FocusedControl(), kInputEdit);
    EXPECT_EQ(h.beeps, 1);
    EXPECT_TRUE(h.boxes.empty());
    EXPECT_TRUE(h.window.isVisible());
    const WaveFile wave = CheckedWave(h.scratch / "chosen.wav");
    EXPECT_EQ(wave.fileSize, 184376u); // as the size label said
    EXPECT_EQ(wave.rate, 44100u);

    h.Click(kDecodeButton);
    EXPECT_EQ(h.boxes, Strings({"? Overwrite " + (h.scratch / "chosen.wav").string() + "?"}));
    EXPECT_FALSE(h.dialog.IsDecoding());
    EXPECT_EQ(ReadWaveFile(h.scratch / "chosen.wav").data, wave.data);
}

// Progress rises while a decode outlasts the pump's half-second report interval; Escape
// offers to cancel (No goes on), the Cancel button cancels, and either way the output is a
// complete WAVE file. Closing the window during a decode does the same without asking.
TEST(WindowTest, ALongDecodeRisesAndCancelsOrClosesWithACompleteFile) {
    Harness h;
    WriteLongInput(h.scratch / "long.mp3", 1500);
    h.Start();
    h.Open(h.scratch / "long.mp3");
    h.Click(kDecodeButton);
    EXPECT_EQ(h.Shows(), " 5 [decode Open ] &Cancel");
    EXPECT_TRUE(
        QTest::qWaitFor([&h] { return h.BarPosition() > 5 || !h.dialog.IsDecoding(); }, 60000));
    EXPECT_TRUE(h.dialog.IsDecoding()) << "no progress before the end";
    EXPECT_LT(h.BarPosition(), 105);
    h.answers = {false, true, true};
    QTest::keyClick(&h.window, Qt::Key_Escape);
    EXPECT_TRUE(h.dialog.IsDecoding());
    h.Click(kDecodeButton);
    EXPECT_EQ(h.window.GetProgressText(), text::kCancelled);
    ASSERT_TRUE(h.DecodeEnds());
    EXPECT_EQ(h.Shows(), text::kCancelled + std::string(" 105") + kProbed.substr(2));
    EXPECT_EQ(h.boxes, Strings(2, "? " + std::string(text::kAskCancel)));
    const WaveFile cancelled = ReadWaveFile(h.scratch / "long.wav");
    EXPECT_EQ(WaveInconsistency(cancelled), "");
    h.Click(kDecodeButton); // Yes: replace it
    ASSERT_TRUE(h.dialog.IsDecoding());
    h.window.close();
    EXPECT_TRUE(h.dialog.HasEnded());
    EXPECT_FALSE(h.window.isVisible());
    EXPECT_EQ(WaveInconsistency(ReadWaveFile(h.scratch / "long.wav")), "");
}

// Files dropped together are converted one after another into the output's folder; a file
// the probe refuses is passed over.
TEST(WindowTest, DroppedFilesAreConvertedOneAfterAnother) {
    Harness h;
    fs::copy_file(Mp3("cbr_44100_stereo.mp3"), h.scratch / "song.mp3");
    fs::copy_file(Mp3("cbr_22050_mono.mp3"), h.scratch / "second.mp3");
    WriteFileBytes(h.scratch / "third.mp3", {'n', 'o'});
    fs::copy_file(Mp3("vbr_16000_mono.mp3"), h.scratch / "fourth.mp3");
    h.Start();
    QMimeData data;
    QList<QUrl> urls;
    for (const char* name : {"song.mp3", "second.mp3", "third.mp3", "fourth.mp3"}) {
        urls.push_back(QUrl::fromLocalFile(QString::fromStdString((h.scratch / name).string())));
    }
    data.setUrls(urls);
    QDragEnterEvent enter(QPoint(5, 5), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
    QCoreApplication::sendEvent(&h.window, &enter);
    EXPECT_TRUE(enter.isAccepted());
    QDropEvent drop(QPointF(5, 5), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
    QCoreApplication::sendEvent(&h.window, &drop);
    EXPECT_TRUE(drop.isAccepted());
    EXPECT_EQ(h.Shows(), "Click Decode to convert 4 files" + kProbed);
    EXPECT_EQ(h.Probe(), kSongProbe);

    h.Click(kDecodeButton);
    ASSERT_TRUE(QTest::qWaitFor(
        [&h] { return fs::exists(h.scratch / "fourth.wav") && !h.dialog.IsDecoding(); }, 60000));
    for (const char* name : {"song.wav", "second.wav", "fourth.wav"}) {
        EXPECT_EQ(WaveInconsistency(ReadWaveFile(h.scratch / name)), "") << name;
    }
    EXPECT_FALSE(fs::exists(h.scratch / "third.wav"));
    EXPECT_EQ(h.boxes.size(), 1u); // whether to take third.mp3 anyway: No
    EXPECT_EQ(h.window.GetProgressText(), text::kDone);
    EXPECT_EQ(h.beeps, 1);
}

// Ctrl+O opens a file in the folder of the last one, Help > About shows the About box, and
// Ctrl+Q quits, storing the window's position (restored with negative values as 0).
TEST(WindowTest, MenuKeysAboutAndQuitStoringThePosition) {
    Harness h;
    h.settings.WriteInt("Settings", "WinPosX", -50);
    h.settings.WriteInt("Settings", "WinPosY", 120);
    h.settings.WriteString("Settings", "DefaultOpenDir", FolderName(h.scratch.Path()));
    h.Start();
    EXPECT_EQ(h.window.pos(), QPoint(0, 120));
    EXPECT_EQ(h.Text(kInputEdit), FolderName(h.scratch.Path()));
    h.window.activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&h.window));
    QTest::keyClick(&h.window, Qt::Key_O, Qt::ControlModifier);
    EXPECT_EQ(h.dialogs.size(), 1); // the Open dialog, cancelled by the script
    EXPECT_EQ(h.folder, h.ScratchFolder());
    h.window.MenuAction(kCommandAbout)->trigger();
    EXPECT_EQ(h.boxes, Strings({"About Sonarel MP3 Decoder"}));
    h.window.move(140, 90);
    QTest::keyClick(&h.window, Qt::Key_Q, Qt::ControlModifier);
    EXPECT_TRUE(QTest::qWaitFor([&h] { return h.dialog.HasEnded(); }, 5000));
    EXPECT_FALSE(h.window.isVisible());
    QSettings stored(kCompany, kApplication);
    EXPECT_EQ(stored.value("Settings/WinPosX").toInt(), 140);
    EXPECT_EQ(stored.value("Settings/WinPosY").toInt(), 90);
}

// -auto -exit with an input that is not there: after its message the program ends, so an
// unattended run never hangs on a window nobody sees.
TEST(WindowTest, AnUnattendedRunThatCannotStartEnds) {
    Harness h;
    CommandLineOptions& options = h.dialog.Options();
    options.autoMode = true;
    options.exitWhenDone = true;
    options.inputGiven = true;
    options.inputPath.Assign((h.scratch / "nosuch.mp3").string());
    h.Start();
    EXPECT_EQ(h.boxes, Strings({"! " + (h.scratch / "nosuch.mp3").string() + " does not exist."}));
    EXPECT_TRUE(QTest::qWaitFor([&h] { return h.dialog.HasEnded(); }, 5000));
    EXPECT_EQ(h.dialog.Outcome(), DialogOutcome::kInputMissing);
}

} // namespace
} // namespace sonarel::test
