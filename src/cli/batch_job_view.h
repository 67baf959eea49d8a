// The dialog's window for one file of a batch: it shows nothing itself. It keeps the messages
// for the file's result line, answers every question without asking (Yes with -yes, else No;
// an existing output that is not a WAVE file is never replaced on a Yes), and passes the
// conversion's progress on.
#pragma once

#include "cli/windowless_view.h"

#include <functional>
#include <string>

namespace sonarel::cli {

class BatchJobView : public WindowlessView {
public:
    using ProgressSink = std::function<void(int percent)>;

    BatchJobView(MessageTarget& target, bool assumeYes, ProgressSink progress)
        : WindowlessView(target), assume_yes_(assumeYes), progress_(std::move(progress)) {}

    void ShowMessage(const std::string& text) override;
    void ShowReason(const std::string& reason) override;
    bool AskYesNo(const std::string& question) override;

    void ConversionStarted(const std::string& /*output*/) override { started_ = true; }
    void ConversionProgress(int percent) override { progress_(percent); }

    void Beep() override {}
    WindowPosition GetWindowPosition() const override { return {}; }
    void MoveWindow(WindowPosition /*position*/) override {}

    // True once the output was opened and written to.
    bool Started() const { return started_; }
    // What the dialog said about the file, in one line.
    const std::string& Notes() const { return notes_; }

private:
    void Note(const std::string& text);

    bool assume_yes_;
    ProgressSink progress_;
    std::string notes_;
    bool started_ = false;
};

} // namespace sonarel::cli
