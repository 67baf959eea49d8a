// What the main dialog's logic needs from its window. The desktop program implements it with
// its toolkit, the console with the terminal, and the tests with a scripted fake. Controls and
// menu items are addressed by the IDs of control_ids.h.
#pragma once

#include "app/dialog_outcome.h"
#include "platform/message_target.h"

#include <optional>
#include <string>
#include <vector>

namespace sonarel {

// A file dialog as the logic asks for it. The filter is "Name|pattern|Name|pattern||".
struct FileDialogRequest {
    enum Options : unsigned {
        kOverwritePrompt = 0x0002, // save: ask before an existing file is chosen
        kHideReadOnly = 0x0004,
        kPathMustExist = 0x0800,
        kFileMustExist = 0x1000,
    };
    std::string defaultExtension; // without the dot; empty for none
    std::string initialName;      // may hold a folder part and a wildcard
    std::string initialFolder;    // empty: the dialog's own choice
    std::string filter;
    unsigned options = 0;
};

// Set-up of the progress bar with text (see the desktop program's progress control).
struct ProgressSetup {
    unsigned leftColour = 0;  // 0xRRGGBB, the left end of the bar's colour ramp
    unsigned rightColour = 0; // 0xRRGGBB, the right end
    int rangeLow = 0;
    int rangeHigh = 105;
    int step = -1; // -1: positions are set directly
    int displayMode = 2;
    bool showText = true;
};

struct WindowPosition {
    int x = 0;
    int y = 0;
};

class DialogView {
public:
    virtual ~DialogView() = default;

    // Static texts, edits and button captions.
    virtual void SetControlText(int id, const std::string& text) = 0;
    virtual std::string GetControlText(int id) const = 0;
    virtual void EnableControl(int id, bool enabled) = 0;
    virtual void EnableMenuItem(int id, bool enabled) = 0;
    virtual void SetFocus(int id) = 0;

    virtual void SetupProgress(const ProgressSetup& setup) = 0;
    virtual void SetProgressPosition(int position) = 0;
    virtual void SetProgressText(const std::string& text) = 0;
    virtual std::string GetProgressText() const = 0;

    // A message box with an OK button.
    virtual void ShowMessage(const std::string& text) = 0;
    // Why the last message came: a console prints it on the next line; a window, whose
    // message box says enough, ignores it.
    virtual void ShowReason(const std::string& /*reason*/) {}
    // A question with Yes and No buttons; true for Yes.
    virtual bool AskYesNo(const std::string& question) = 0;
    // The chosen full name, or nothing when the user cancelled.
    virtual std::optional<std::string> ShowOpenDialog(const FileDialogRequest& request) = 0;
    virtual std::optional<std::string> ShowSaveDialog(const FileDialogRequest& request) = 0;
    // The open dialog where the view lets several files be chosen at once: their full names,
    // none when the user cancelled. Without such a dialog, the one file ShowOpenDialog gives.
    virtual std::vector<std::string> ShowOpenFilesDialog(const FileDialogRequest& request) {
        std::optional<std::string> chosen = ShowOpenDialog(request);
        return chosen ? std::vector<std::string>{*chosen} : std::vector<std::string>{};
    }

    // The About box, modal.
    virtual void ShowAbout() = 0;
    // The default system sound.
    virtual void Beep() = 0;
    // Ends the dialog (after the logic has saved what it keeps).
    virtual void EndDialog(int result) = 0;

    // The course of a conversion, for views that follow it rather than the controls: the
    // start (after the pump runs, with the output's name), the input read so far in percent
    // (0..100), and the end with its outcome and the status text ("Done!", "Cancelled!",
    // "Failed!"), told once the controls are restored.
    virtual void ConversionStarted(const std::string& /*output*/) {}
    virtual void ConversionProgress(int /*percent*/) {}
    virtual void ConversionEnded(DialogOutcome /*outcome*/, const std::string& /*status*/) {}

    virtual WindowPosition GetWindowPosition() const = 0;
    virtual void MoveWindow(WindowPosition position) = 0;

    // Where the pump's messages and the dialog's own posted requests arrive; they are handed
    // back to DecoderDialog::HandleMessage on the dialog's thread.
    virtual MessageTarget* GetMessageTarget() = 0;
};

} // namespace sonarel
