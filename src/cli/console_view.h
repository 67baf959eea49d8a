// The dialog's window on a terminal. Message box texts go to stderr as they stand; the probe's
// format lines, the conversion's start and its end ("Done!", "Cancelled!") go to the status
// stream: stdout, or stderr when the output file is standard output itself; the progress bar is
// drawn on stderr when that is a terminal. Questions are asked at the prompt when stdin is a
// terminal, otherwise answered No (or Yes with -yes); the question whether to replace an existing
// output that is not a WAVE file is answered No without asking. There are no file dialogs: they
// always report a cancel.
#pragma once

#include "cli/progress_line.h"
#include "cli/windowless_view.h"

#include <cstdio>
#include <map>
#include <string>

namespace sonarel::cli {

class ConsoleView : public WindowlessView {
public:
    ConsoleView(MessageTarget& target, bool assumeYes, std::FILE* status);

    void SetControlText(int id, const std::string& text) override;

    void ShowMessage(const std::string& text) override;
    void ShowReason(const std::string& reason) override;
    bool AskYesNo(const std::string& question) override;

    void ConversionStarted(const std::string& output) override;
    void ConversionProgress(int percent) override;
    void ConversionEnded(DialogOutcome outcome, const std::string& status) override;

    void Beep() override;

    WindowPosition GetWindowPosition() const override { return position_; }
    void MoveWindow(WindowPosition position) override { position_ = position; }

    std::FILE* StatusStream() const { return status_; }

private:
    void FlushFormat();
    bool RefusesToReplace(const std::string& question);
    bool ReadAnswer();

    std::FILE* status_;
    bool assume_yes_;
    bool stdin_is_terminal_;
    bool stderr_is_terminal_;
    ProgressLine progress_;
    bool format_pending_ = false;
    WindowPosition position_;
};

} // namespace sonarel::cli
