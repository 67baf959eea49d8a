// The main dialog's logic, free of any toolkit: choosing and probing the input, proposing the
// output name, starting, following, cancelling and ending a conversion, and the settings kept
// between runs. It reaches its window only through DialogView and its settings through
// SettingsStore; the pump's messages come back through HandleMessage on the dialog's thread.
#pragma once

#include "app/command_line_options.h"
#include "app/decode_pipeline.h"
#include "app/dialog_outcome.h"
#include "app/dialog_view.h"
#include "app/output_plan.h"
#include "platform/registered_message.h"
#include "platform/settings_store.h"

#include <cstdint>
#include <deque>
#include <string>
#include <vector>

namespace sonarel {

// Messages the dialog posts to itself or receives from its window, numbered like the window
// system's close request and command message (registered messages start at 0xC000).
inline constexpr MessageId kMsgClose = 0x0010;   // no parameters
inline constexpr MessageId kMsgCommand = 0x0111; // wparam: command ID (control_ids.h)

class DecoderDialog {
public:
    DecoderDialog(DialogView& view, SettingsStore& settings, DecodePipeline& pipeline);
    ~DecoderDialog();

    DecoderDialog(const DecoderDialog&) = delete;
    DecoderDialog& operator=(const DecoderDialog&) = delete;

    // The command line writes here before Initialize.
    CommandLineOptions& Options() { return options_; }
    const CommandLineOptions& Options() const { return options_; }

    // Sets up the controls, restores the window position and saved folders, probes an input
    // given on the command line and, in auto mode, starts the decode.
    void Initialize();

    // The one entry for messages arriving on the view's message target: the pump's progress
    // and stop messages, kMsgClose and kMsgCommand. Ignored once the dialog has ended.
    intptr_t HandleMessage(MessageId id, WParam wparam, LParam lparam);

    // Window events.
    void OnCommand(int id);
    void OnDropFiles(const std::vector<std::string>& names);
    void OnEditFocusLost() { Retrieve(); }
    // Enter: in the input edit it takes the text, in the output edit it starts the decode.
    void OnOk(int focusedControl);
    // Escape: offers to cancel a running decode, otherwise does nothing.
    void OnCancel();
    // The close request: a running decode is cancelled and its pipeline released first.
    void OnClose();

    // Cancels the running decode as if "Cancel decode?" had been answered Yes.
    void CancelDecode();

    bool ProbeInput(const std::string& name);
    void ProposeOutputName();
    void OnDecode();
    bool StartDecode(const std::string& outputName);
    void OnPumpProgress();
    void OnPumpStop(int result);

    bool IsDecoding() const { return pipeline_.activePump != nullptr; }
    bool HasEnded() const { return ended_; }
    DialogOutcome Outcome() const { return outcome_; }
    // The desktop program's exit status: in exit mode 1 when the conversion did not finish
    // (it could not start, failed or was cancelled), else 0.
    int ProgramExitCode() const {
        const bool finished = outcome_ == DialogOutcome::kDone || outcome_ == DialogOutcome::kNone;
        return options_.exitWhenDone && !finished ? 1 : 0;
    }

    const PathName& InputPath() const { return options_.inputPath; }

private:
    void SetUpControls();
    void RestoreWindowPosition();
    void LoadInitialNames();
    void OnOpen();
    void AcceptInputs(const std::vector<std::string>& names, bool assignAfterProbe);
    void ShowQueue();
    void ContinueQueue(bool stopped);
    void DecodeNextQueued();
    void OnSaveAs();
    bool ConfirmedInSaveAs() const;
    void EndUnattendedRun();

    // Data exchange: members to controls, and the two edits back to the members.
    void Display();
    void Retrieve();

    void Message(const std::string& text, DialogOutcome outcome);
    bool AskExtension(const std::string& question);
    void ShowFormat(uint32_t kbps, const std::string& inputSize, const std::string& outputSize);
    static std::string DoneText(double skippedSeconds);
    static std::string SizeText(int64_t bytes);
    bool ProbeFailed(DialogOutcome outcome);
    bool OutputIsInput() const;
    bool CheckNamesBeforeStart();
    bool EnsureProbed();
    bool FailStart(const std::string& message, DialogOutcome outcome);
    void ReportStop(int result);
    void FinishDecode(int result, bool closing);
    void ReleasePipeline();
    void RestoreControlsAfterDecode();

    DialogView& view_;
    SettingsStore& settings_;
    DecodePipeline& pipeline_;
    CommandLineOptions options_;

    std::string save_as_confirmed_name_; // the existing file Save As confirmed; empty: none
    std::string input_format_text_;
    std::string input_format_label_;
    std::string output_format_text_;
    std::string output_format_label_;
    uint32_t stream_sample_rate_ = 0;
    uint32_t stream_channels_ = 0;
    OutputPlan plan_; // of the last successful probe

    // The input the current format describes; empty before the first successful probe.
    std::string probed_input_;
    // Set while a decode start probes the input itself, so the extension question it
    // answered is not asked a second time by the same start.
    bool probing_for_start_ = false;
    std::string extension_accepted_for_;

    // Several inputs chosen at once: those after the current one, and the current one's place
    // among all of them (1 for the first); a total of 0 or 1 means no queue.
    std::deque<std::string> queued_;
    int queue_place_ = 0;
    int queue_total_ = 0;

    bool ended_ = false;
    DialogOutcome outcome_ = DialogOutcome::kNone;

    MessageId msg_progress_ = 0;
    MessageId msg_stop_ = 0;
};

} // namespace sonarel
