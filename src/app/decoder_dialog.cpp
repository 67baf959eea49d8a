#include "app/decoder_dialog.h"

#include "app/control_ids.h"
#include "app/dialog_texts.h"
#include "app/text_format.h"

#include <algorithm>

namespace sonarel {
namespace {

// Colours of the progress bar's ramp: yellow at the left end, red at the right.
constexpr unsigned kYellow = 0xFFFF00;
constexpr unsigned kRed = 0xFF0000;

} // namespace

DecoderDialog::DecoderDialog(DialogView& view, SettingsStore& settings, DecodePipeline& pipeline)
    : view_(view), settings_(settings), pipeline_(pipeline) {
    // The unit registers every name the program uses, although it handles only two.
    RegisterMessage(kMsgMp3FramerStatusChange);
    RegisterMessage(kMsgAudioPlayerTime);
    RegisterMessage(kMsgPcmPumpThreadStart);
    msg_stop_ = RegisterMessage(kMsgPcmPumpThreadStop);
    msg_progress_ = RegisterMessage(kMsgPcmPumpThreadProgress);
}

// A dialog that goes away mid-decode must not leave the pump writing into the pipeline.
DecoderDialog::~DecoderDialog() {
    if (IsDecoding()) {
        pipeline_.activePump->Stop(kWaitForever);
        pipeline_.activePump.reset();
        ReleasePipeline();
    }
}

void DecoderDialog::Initialize() {
    SetUpControls();
    RestoreWindowPosition();
    bool inputRefused = false;
    if (!options_.outputGiven) {
        options_.outputPath.Assign(
            settings_.ReadString(settings::kSection, settings::kDefaultSaveAsDir, ""));
    }
    if (options_.inputGiven) {
        if (options_.inputPath.Exists()) {
            std::string name = options_.inputPath.Str();
            inputRefused = !ProbeInput(name);
            if (!inputRefused) {
                ProposeOutputName();
            }
        } else {
            Message(FormatText(text::kInputMissing, options_.inputPath.CStr()),
                    DialogOutcome::kInputMissing);
        }
    } else {
        options_.inputPath.Assign(
            settings_.ReadString(settings::kSection, settings::kDefaultOpenDir, ""));
    }
    Display();
    // A decode start would probe the refused input again and only repeat its message.
    if (options_.autoMode && !inputRefused && options_.inputPath.Exists()) {
        OnDecode();
    } else if (options_.autoMode) {
        EndUnattendedRun();
    }
}

void DecoderDialog::SetUpControls() {
    view_.SetControlText(kInputSizeLabel, "");
    view_.SetControlText(kOutputSizeLabel, "");
    view_.SetProgressText(text::kSelectInput);
    view_.EnableControl(kOutputBrowse, false);
    view_.EnableControl(kDecodeButton, false);
    ProgressSetup setup;
    setup.leftColour = kYellow;
    setup.rightColour = kRed;
    view_.SetupProgress(setup);
    view_.SetProgressPosition(0);
    view_.EnableControl(kOutputEdit, false);
    view_.EnableMenuItem(kCommandDecode, false);
    view_.EnableMenuItem(kCommandSaveAs, false);
}

void DecoderDialog::RestoreWindowPosition() {
    int x = settings_.ReadInt(settings::kSection, settings::kWinPosX, settings::kDefaultWinPos);
    int y = settings_.ReadInt(settings::kSection, settings::kWinPosY, settings::kDefaultWinPos);
    view_.MoveWindow({std::max(x, 0), std::max(y, 0)});
}

intptr_t DecoderDialog::HandleMessage(MessageId id, WParam wparam, LParam /*lparam*/) {
    if (ended_) {
        return 0;
    }
    if (id == msg_progress_) {
        OnPumpProgress();
    } else if (id == msg_stop_) {
        OnPumpStop(static_cast<int>(wparam));
    } else if (id == kMsgClose) {
        OnClose();
    } else if (id == kMsgCommand) {
        OnCommand(static_cast<int>(wparam));
    }
    return 0;
}

void DecoderDialog::OnCommand(int id) {
    switch (id) {
    case kCommandOpen:
        OnOpen();
        break;
    case kCommandSaveAs:
        OnSaveAs();
        break;
    case kCommandDecode:
        OnDecode();
        break;
    case kCommandExit:
        view_.GetMessageTarget()->Post(kMsgClose, 0, 0);
        break;
    case kCommandAbout:
        view_.ShowAbout();
        break;
    case kCommandDecodeNext:
        DecodeNextQueued();
        break;
    default:
        break;
    }
}

void DecoderDialog::OnOpen() {
    PathName stored(settings_.ReadString(settings::kSection, settings::kDefaultOpenDir, ""));
    FileDialogRequest request;
    if (!stored.IsEmpty()) {
        request.initialName = stored.GetDriveAndFolder() + "*.mp3";
    }
    request.filter = text::kOpenFilter;
    request.options = FileDialogRequest::kFileMustExist | FileDialogRequest::kPathMustExist |
                      FileDialogRequest::kHideReadOnly;
    const std::vector<std::string> chosen = view_.ShowOpenFilesDialog(request);
    if (chosen.empty()) {
        return;
    }
    settings_.WriteString(settings::kSection, settings::kDefaultOpenDir,
                          PathName(chosen.front()).GetDriveAndFolder());
    AcceptInputs(chosen, false);
}

void DecoderDialog::OnSaveAs() {
    save_as_confirmed_name_.clear();
    FileDialogRequest request;
    request.defaultExtension = "wav";
    request.initialFolder = options_.outputPath.Str();
    request.filter = text::kSaveFilter;
    request.options = FileDialogRequest::kHideReadOnly | FileDialogRequest::kOverwritePrompt;
    std::optional<std::string> chosen = view_.ShowSaveDialog(request);
    if (!chosen) {
        return;
    }
    options_.outputPath.Assign(*chosen);
    settings_.WriteString(settings::kSection, settings::kDefaultSaveAsDir,
                          options_.outputPath.GetDriveAndFolder());
    view_.SetProgressText(text::kClickDecode);
    // The dialog asked about an existing file; a new one needs no confirmation.
    if (options_.outputPath.Exists()) {
        save_as_confirmed_name_ = options_.outputPath.Str();
    }
    view_.EnableControl(kDecodeButton, true);
    Display();
}

void DecoderDialog::OnDropFiles(const std::vector<std::string>& names) {
    if (!names.empty()) {
        AcceptInputs(names, true);
    }
}

void DecoderDialog::OnOk(int focusedControl) {
    if (focusedControl == kInputEdit) {
        Retrieve();
    } else if (focusedControl == kOutputEdit) {
        OnDecode();
    }
}

void DecoderDialog::OnCancel() {
    if (IsDecoding()) {
        OnDecode();
    }
}

void DecoderDialog::OnClose() {
    if (ended_) {
        return;
    }
    if (IsDecoding()) {
        CancelDecode();
        FinishDecode(0, true);
    }
    WindowPosition position = view_.GetWindowPosition();
    settings_.WriteInt(settings::kSection, settings::kWinPosX, position.x);
    settings_.WriteInt(settings::kSection, settings::kWinPosY, position.y);
    ended_ = true;
    view_.EndDialog(0);
}

// With -auto -exit nobody is there to read a message and close the window: a conversion
// that cannot start (or fails) ends the program, whose exit status then tells.
void DecoderDialog::EndUnattendedRun() {
    if (options_.autoMode && options_.exitWhenDone) {
        view_.GetMessageTarget()->Post(kMsgClose, 0, 0);
    }
}

void DecoderDialog::Display() {
    view_.SetControlText(kInputEdit, options_.inputPath.Str());
    view_.SetControlText(kInputFormatText, input_format_text_);
    view_.SetControlText(kInputFormatLabel, input_format_label_);
    view_.SetControlText(kOutputEdit, options_.outputPath.Str());
    view_.SetControlText(kOutputFormatText, output_format_text_);
    view_.SetControlText(kOutputFormatLabel, output_format_label_);
}

// The statics are display-only, so only the two edits come back.
void DecoderDialog::Retrieve() {
    options_.inputPath.Assign(view_.GetControlText(kInputEdit));
    options_.outputPath.Assign(view_.GetControlText(kOutputEdit));
}

void DecoderDialog::Message(const std::string& text, DialogOutcome outcome) {
    outcome_ = outcome;
    view_.ShowMessage(text);
}

} // namespace sonarel
