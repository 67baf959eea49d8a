// The desktop program's window and logic assembled as main() does, with the modal dialogs
// answered by script and recorded, for tests that drive the window like a user.
#pragma once

#include "app/decode_pipeline.h"
#include "app/decoder_dialog.h"
#include "gui/decoder_window.h"
#include "gui/qt_settings_store.h"

#include <QString>
#include <QStringList>
#include <deque>
#include <filesystem>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace sonarel::test {

// What a file dialog was set up to show.
struct FileDialogSeen {
    bool save = false;
    QStringList nameFilters;
    QString defaultSuffix;
    QString directory;
    bool existingFileOnly = false;
    bool confirmsOverwrite = false;
};

class WindowHarness {
public:
    // The settings live under the test's own application name, emptied first.
    WindowHarness();
    ~WindowHarness();

    QSettingsStore& Settings() { return *settings_; }
    DecoderWindow& Window() { return *window_; }
    DecoderDialog& Dialog() { return *dialog_; }

    // Initialises the logic and shows the window, as the program's start does.
    void Start();

    // Scripts for the modal dialogs, taken in order. A question with no answer left gets No,
    // a file dialog with no answer left is cancelled.
    std::deque<bool> answers;
    std::deque<std::optional<std::filesystem::path>> files;
    // Run while a message box is up, before it is answered (e.g. to look at the window).
    std::function<void(const QString&)> onMessageBox;

    // Records.
    std::vector<std::string> messages;  // OK boxes
    std::vector<std::string> questions; // Yes/No boxes
    QStringList boxCaptions;
    std::vector<FileDialogSeen> fileDialogs;
    int aboutBoxes = 0;
    QString aboutCaption;
    int beeps = 0;

    // Convenience views of the window.
    QString Text(int id) const;
    bool IsEnabled(int id) const;
    bool IsMenuEnabled(int command) const;
    QString ProgressText() const;
    int ProgressPos() const;
    void Trigger(int command);
    void Click(int id);

    // Waits (handling events) until the running decode has ended; false after timeout_ms.
    bool WaitForDecodeEnd(int timeout_ms = 60000);

private:
    int AnswerMessageBox(QMessageBox& box);
    std::optional<QString> AnswerFileDialog(QFileDialog& dialog);

    DecodePipeline pipeline_;
    std::unique_ptr<QSettingsStore> settings_;
    std::unique_ptr<DecoderWindow> window_;
    std::unique_ptr<DecoderDialog> dialog_;
};

// The settings file of the harness's application name.
QString HarnessApplicationName();

} // namespace sonarel::test
