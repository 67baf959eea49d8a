// The dialog's window for one file of a batch: it shows nothing itself. It keeps the messages
// for the file's result line, answers every question without asking (Yes with -yes, else No;
// an existing output that is not a WAVE file is never replaced on a Yes), and passes the
// conversion's progress on.
#pragma once

#include "app/dialog_view.h"

#include <functional>
#include <map>
#include <string>

namespace sonarel::cli {

class BatchJobView : public DialogView {
public:
    using ProgressSink = std::function<void(int percent)>;

    BatchJobView(MessageTarget& target, bool assumeYes, ProgressSink progress)
        : target_(target), assumeYes_(assumeYes), progress_(std::move(progress)) {}

    void SetControlText(int id, const std::string& text) override { texts_[id] = text; }
    std::string GetControlText(int id) const override;
    void EnableControl(int /*id*/, bool /*enabled*/) override {}
    void EnableMenuItem(int /*id*/, bool /*enabled*/) override {}
    void SetFocus(int /*id*/) override {}

    void SetupProgress(const ProgressSetup& /*setup*/) override {}
    void SetProgressPosition(int /*position*/) override {}
    void SetProgressText(const std::string& text) override { progressText_ = text; }
    std::string GetProgressText() const override { return progressText_; }

    void ShowMessage(const std::string& text) override;
    void ShowReason(const std::string& reason) override;
    bool AskYesNo(const std::string& question) override;
    std::optional<std::string> ShowOpenDialog(const FileDialogRequest&) override { return {}; }
    std::optional<std::string> ShowSaveDialog(const FileDialogRequest&) override { return {}; }

    void ConversionStarted(const std::string& /*output*/) override { started_ = true; }
    void ConversionProgress(int percent) override { progress_(percent); }

    void ShowAbout() override {}
    void Beep() override {}
    void EndDialog(int /*result*/) override { ended_ = true; }
    WindowPosition GetWindowPosition() const override { return {}; }
    void MoveWindow(WindowPosition /*position*/) override {}
    MessageTarget* GetMessageTarget() override { return &target_; }

    bool Ended() const { return ended_; }
    // True once the output was opened and written to.
    bool Started() const { return started_; }
    // What the dialog said about the file, in one line.
    const std::string& Notes() const { return notes_; }
    // True when an existing output was kept because it is not a WAVE file.
    bool OutputRefused() const { return outputRefused_; }

private:
    void Note(const std::string& text);

    MessageTarget& target_;
    bool assumeYes_;
    ProgressSink progress_;
    std::map<int, std::string> texts_;
    std::string progressText_;
    std::string notes_;
    bool ended_ = false;
    bool started_ = false;
    bool outputRefused_ = false;
};

} // namespace sonarel::cli
