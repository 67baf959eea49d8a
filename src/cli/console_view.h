// The dialog's window on a terminal. Message box texts go to stderr as they stand; the probe's
// format lines, the conversion's start and its end ("Done!", "Cancelled!") go to the status
// stream: stdout, or stderr when the output file is standard output itself; the progress bar is
// drawn on stderr when that is a terminal. Questions are asked at the prompt when stdin is a
// terminal, otherwise answered No (or Yes with -yes); the question whether to replace an existing
// output that is not a WAVE file is answered No without asking. There are no file dialogs: they
// always report a cancel.
#pragma once

#include "app/dialog_view.h"
#include "cli/progress_line.h"

#include <cstdio>
#include <map>
#include <string>

namespace sonarel::cli {

class ConsoleView : public DialogView {
public:
    ConsoleView(MessageTarget& target, bool assumeYes, std::FILE* status);

    void SetControlText(int id, const std::string& text) override;
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
    std::optional<std::string> ShowOpenDialog(const FileDialogRequest& /*request*/) override {
        return std::nullopt;
    }
    std::optional<std::string> ShowSaveDialog(const FileDialogRequest& /*request*/) override {
        return std::nullopt;
    }

    void ConversionStarted(const std::string& output) override;
    void ConversionProgress(int percent) override;
    void ConversionEnded(DialogOutcome outcome, const std::string& status) override;

    void ShowAbout() override {}
    void Beep() override;
    void EndDialog(int /*result*/) override { ended_ = true; }

    WindowPosition GetWindowPosition() const override { return position_; }
    void MoveWindow(WindowPosition position) override { position_ = position; }
    MessageTarget* GetMessageTarget() override { return &target_; }

    bool Ended() const { return ended_; }
    std::FILE* StatusStream() const { return status_; }
    // True when an existing output was kept because it is not a WAVE file.
    bool OutputRefused() const { return outputRefused_; }

private:
    void FlushFormat();
    bool RefusesToReplace(const std::string& question);
    bool ReadAnswer();

    MessageTarget& target_;
    std::FILE* status_;
    bool assumeYes_;
    bool stdinIsTerminal_;
    bool stderrIsTerminal_;
    ProgressLine progress_;
    std::map<int, std::string> texts_;
    std::string progressText_;
    bool formatPending_ = false;
    bool ended_ = false;
    bool outputRefused_ = false;
    WindowPosition position_;
};

} // namespace sonarel::cli
