#include "cli/console_view.h"

#include "app/control_ids.h"
#include "app/dialog_texts.h"
#include "app/text_format.h"
#include "cli/interrupt_flag.h"
#include "cli/output_file.h"
#include "platform/console.h"

#include <cctype>
#include <cstdio>

namespace sonarel::cli {
namespace {

bool IsFormatControl(int id) {
    return id == kInputFormatText || id == kOutputFormatText || id == kInputSizeLabel ||
           id == kOutputSizeLabel;
}

bool IsYes(const std::string& answer) {
    std::string lower;
    for (char c : answer) {
        lower += static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    }
    return lower == "y" || lower == "yes";
}

} // namespace

ConsoleView::ConsoleView(MessageTarget& target, bool assumeYes, std::FILE* status)
    : WindowlessView(target), status_(status), assume_yes_(assumeYes),
      stdin_is_terminal_(IsTerminal(stdin)), stderr_is_terminal_(IsTerminal(stderr)),
      progress_(stderr) {
}

void ConsoleView::SetControlText(int id, const std::string& text) {
    std::string& stored = texts_[id];
    if (IsFormatControl(id) && text != stored && !text.empty()) {
        format_pending_ = true;
    }
    stored = text;
}

// The probe fills four texts one after another; they are printed together, as soon as
// anything else is about to be shown.
void ConsoleView::FlushFormat() {
    if (!format_pending_) {
        return;
    }
    format_pending_ = false;
    progress_.Clear();
    std::fprintf(status_, "%s (%s)\n", GetControlText(kInputFormatText).c_str(),
                 GetControlText(kInputSizeLabel).c_str());
    std::fprintf(status_, "%s (%s)\n", GetControlText(kOutputFormatText).c_str(),
                 GetControlText(kOutputSizeLabel).c_str());
    std::fflush(status_);
}

void ConsoleView::ConversionStarted(const std::string& output) {
    FlushFormat();
    std::fprintf(status_, "Writing %s\n", output.c_str());
    std::fflush(status_);
    progress_.Show(0);
}

// The bar of a cancelled conversion stays where it stopped, not at its end.
void ConsoleView::ConversionProgress(int percent) {
    if (GetProgressText() != text::kCancelled) {
        progress_.Show(percent);
    }
}

// The status text says how it ended: "Done!", "Cancelled!" or "Failed!".
void ConsoleView::ConversionEnded(DialogOutcome /*outcome*/, const std::string& status) {
    progress_.Clear();
    std::fprintf(status_, "%s\n", status.c_str());
    std::fflush(status_);
}

void ConsoleView::ShowMessage(const std::string& text) {
    FlushFormat();
    progress_.Clear();
    std::fprintf(stderr, "%s\n", text.c_str());
    std::fflush(stderr);
}

void ConsoleView::ShowReason(const std::string& reason) {
    std::fprintf(stderr, "  (%s)\n", reason.c_str());
    std::fflush(stderr);
}

bool ConsoleView::AskYesNo(const std::string& question) {
    FlushFormat();
    progress_.Clear();
    if (RefusesToReplace(question)) {
        return false;
    }
    if (InterruptPending()) {
        std::fprintf(stderr, "%s No\n", question.c_str());
        return false;
    }
    if (assume_yes_ || !stdin_is_terminal_) {
        std::fprintf(stderr, "%s %s\n", question.c_str(), assume_yes_ ? "Yes" : "No");
        return assume_yes_;
    }
    std::fprintf(stderr, "%s [y/N] ", question.c_str());
    std::fflush(stderr);
    bool yes = ReadAnswer();
    if (InterruptPending()) {
        std::fputc('\n', stderr);
    }
    return yes;
}

// The overwrite question about a file that is not a WAVE file is not asked: such a file (a
// document given as OUTPUT by mistake) is replaced only with -overwrite, which never asks.
bool ConsoleView::RefusesToReplace(const std::string& question) {
    const std::string output = GetControlText(kOutputEdit);
    if (!cli::RefusesToReplace(question, output)) {
        return false;
    }
    ShowMessage(NotWaveMessage(output));
    output_refused_ = true;
    return true;
}

// One line from the terminal; the end of the input or Ctrl-C while waiting answer No.
bool ConsoleView::ReadAnswer() {
    std::string answer;
    return ReadInputLine(answer) && !InterruptPending() && IsYes(answer);
}

void ConsoleView::Beep() {
    if (stderr_is_terminal_) {
        std::fputc('\a', stderr);
        std::fflush(stderr);
    }
}

} // namespace sonarel::cli
