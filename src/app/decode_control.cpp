// Starting, following, cancelling and ending a conversion.
#include "app/byte_count.h"
#include "app/control_ids.h"
#include "app/decoder_dialog.h"
#include "app/dialog_texts.h"
#include "app/text_format.h"
#include "io/wave_format.h"

#include <algorithm>
#include <filesystem>
#include <system_error>

namespace sonarel {
namespace {

constexpr uint32_t kProgressIntervalMs = 500;
constexpr int kProgressOffset = 5; // the bar runs from 5 (started) to 105 (finished)
constexpr int kProgressEnd = 105;

constexpr int kResultNoReader = static_cast<int>(PcmPump::kResultNoSource);
constexpr int kResultReaderFailed = static_cast<int>(PcmPump::kResultOpenFailed);
constexpr int kResultReadError = static_cast<int>(PcmPump::kResultReadError);
constexpr int kResultWriteError = static_cast<int>(PcmPump::kResultWriteError);

// A file whose contents a conversion would replace (a folder or a device loses nothing).
bool HoldsAFile(const PathName& name) {
    std::error_code error;
    return std::filesystem::is_regular_file(name.Str(), error);
}

// The folder a name lies in, without the trailing separator ("dir/" names the folder).
std::filesystem::path FolderOf(const PathName& name) {
    std::filesystem::path folder(name.GetDriveAndFolder());
    return folder.has_relative_path() && !folder.has_filename() ? folder.parent_path() : folder;
}

bool IsFolder(const std::filesystem::path& path) {
    std::error_code error;
    return std::filesystem::is_directory(path, error);
}

// A name that can be created, or one in an existing folder: a folder that cannot be
// written is not an invalid name, and the output's open says so in its own words.
bool CanBeOutput(const PathName& name) {
    return name.CanCreate() || IsFolder(FolderOf(name));
}

// What is wrong with an output name that cannot be used, in a few words.
std::string InvalidOutputReason(const PathName& name) {
    const std::filesystem::path folder = FolderOf(name);
    if (IsFolder(folder)) {
        return "it names the input file";
    }
    std::error_code error;
    const std::string shown = name.GetDriveAndFolder();
    return std::filesystem::exists(folder, error) ? shown + " is not a folder"
                                                  : "the folder " + shown + " does not exist";
}

} // namespace

void DecoderDialog::OnDecode() {
    Retrieve();
    if (IsDecoding()) {
        if (view_.AskYesNo(text::kAskCancel)) {
            CancelDecode();
        }
        return;
    }
    if (!CheckNamesBeforeStart()) {
        EndUnattendedRun();
        return;
    }
    view_.EnableControl(kInputEdit, false);
    view_.EnableControl(kOutputEdit, false);
    view_.SetProgressText("");
    view_.SetFocus(kDecodeButton);
    save_as_confirmed_name_.clear(); // the confirmation served this conversion
    if (!StartDecode(options_.outputPath.Str())) {
        view_.EnableControl(kInputEdit, true);
        view_.EnableControl(kOutputEdit, true);
        EndUnattendedRun();
    }
    extension_accepted_for_.clear();
}

// The checks of the names before a start; false after a refusal (its message shown) or a
// question answered No.
bool DecoderDialog::CheckNamesBeforeStart() {
    const PathName& output = options_.outputPath;
    if (!CanBeOutput(output) || OutputIsInput()) {
        Message(FormatText(text::kInvalidOutput, output.CStr()), DialogOutcome::kOutputInvalid);
        view_.ShowReason(InvalidOutputReason(output));
        return false;
    }
    if (!options_.inputPath.Exists()) {
        Message(text::kSourceMissing, DialogOutcome::kInputMissing);
        return false;
    }
    if (!EnsureProbed()) {
        return false;
    }
    if (!options_.overwrite && !ConfirmedInSaveAs() && HoldsAFile(output) &&
        !view_.AskYesNo(FormatText(text::kAskOverwrite, output.CStr()))) {
        outcome_ = DialogOutcome::kDeclined;
        return false;
    }
    return true;
}

// An existing output is replaced without a question only when this very name was chosen in
// the Save As dialog (which asked) for this conversion. A proposed or typed name, or one
// confirmed for an earlier conversion, is asked about: replacing it would lose a file.
bool DecoderDialog::ConfirmedInSaveAs() const {
    return !save_as_confirmed_name_.empty() && save_as_confirmed_name_ == options_.outputPath.Str();
}

// The output format comes from the last successful probe. When that probe was of another
// name (typed into the edit, or an earlier probe failed or was declined), the input is probed
// now, and a refusal ends the start with the probe's own message.
bool DecoderDialog::EnsureProbed() {
    extension_accepted_for_.clear();
    if (!probed_input_.empty() && probed_input_ == options_.inputPath.Str()) {
        return true;
    }
    probing_for_start_ = true;
    bool accepted = ProbeInput(options_.inputPath.Str());
    probing_for_start_ = false;
    return accepted;
}

bool DecoderDialog::FailStart(const std::string& message, DialogOutcome outcome) {
    Message(message, outcome);
    // Nothing of a failed start stays open: the next start begins from a closed pipeline.
    if (pipeline_.stage.IsOpen() != 0) {
        pipeline_.stage.Close();
    }
    pipeline_.source.Close();
    return false;
}

bool DecoderDialog::StartDecode(const std::string& outputName) {
    PcmFormat format(stream_sample_rate_, static_cast<uint16_t>(stream_channels_), 16);
    InputFileReader& source = pipeline_.source;
    source.Assign(options_.inputPath.Str());
    source.Close();
    std::string accepted = extension_accepted_for_;
    source.SetQuestion([this, accepted](const std::string& question) {
        return accepted == options_.inputPath.Str() || view_.AskYesNo(question);
    });
    int opened = source.Open();
    if (opened != 0) {
        return FailStart(text::kInputOpenFailed, opened == InputFileReader::kDeclined
                                                     ? DialogOutcome::kDeclined
                                                     : DialogOutcome::kInputOpenFailed);
    }
    pipeline_.stage.Attach(&source, false);
    if (pipeline_.stage.Open() != 0) {
        return FailStart(text::kDecoderOpenFailed, DialogOutcome::kDecoderOpenFailed);
    }
    pipeline_.stage.SetOutputFormat(stream_sample_rate_, stream_channels_);
    if (options_.gapless) {
        pipeline_.stage.SetTrim(plan_.skip, plan_.keep);
    }
    WaveFileWriter& writer = pipeline_.writer;
    writer.Assign(outputName);
    writer.SetFormat(&format);
    writer.SetExpectedDataBytes(plan_.DataBytes(stream_channels_), plan_.exact);
    const int created = writer.Open();
    if (created != 0) {
        return FailStart(created == WaveFileWriter::kOpenBusy
                             ? FormatText(text::kOutputBusy, outputName.c_str())
                             : std::string(text::kOutputOpenFailed),
                         DialogOutcome::kOutputOpenFailed);
    }
    pipeline_.activePump = std::make_unique<PcmPump>();
    PcmPump& pump = *pipeline_.activePump;
    pump.SetSource(&pipeline_.stage);
    pump.SetSink(&writer);
    pump.SetNotifier(view_.GetMessageTarget(), 0, kProgressIntervalMs);
    pump.Start();
    outcome_ = DialogOutcome::kNone;
    view_.SetControlText(kDecodeButton, text::kCancelCaption);
    view_.EnableControl(kInputBrowse, false);
    view_.EnableControl(kOutputBrowse, false);
    view_.EnableMenuItem(kCommandDecode, false);
    view_.EnableMenuItem(kCommandSaveAs, false);
    view_.SetProgressPosition(kProgressOffset);
    Display();
    view_.ConversionStarted(outputName);
    return true;
}

void DecoderDialog::CancelDecode() {
    if (!IsDecoding()) {
        return;
    }
    pipeline_.activePump->Stop(kWaitForever);
    view_.SetProgressText(text::kCancelled);
}

void DecoderDialog::OnPumpProgress() {
    if (!IsDecoding()) {
        return; // a late message after the end would move the finished bar back
    }
    uint32_t percent = 0;
    if (!ProgressPercent(pipeline_.source.GetPosition(), pipeline_.source.GetSize(), percent)) {
        return;
    }
    percent = std::min<uint32_t>(percent, 100);
    if (percent == 100) {
        view_.SetProgressText(text::kDone);
    } else if (queue_total_ > 1 && view_.GetProgressText() != text::kCancelled) {
        view_.SetProgressText(FormatText(text::kQueueProgress, static_cast<int>(percent),
                                         queue_place_, queue_total_));
    }
    view_.SetProgressPosition(static_cast<int>(percent) + kProgressOffset);
    view_.ConversionProgress(static_cast<int>(percent));
}

void DecoderDialog::OnPumpStop(int result) {
    if (!IsDecoding()) {
        return; // the stop of a pump already ended by a close request
    }
    // A write error the pump did not report still makes the file incomplete, and so does a
    // stream that ended short of the length a pipe's header announced.
    if (result == 0 && pipeline_.writer.FinishData() != 0 &&
        view_.GetProgressText() != text::kCancelled) {
        result = kResultWriteError;
    }
    ReportStop(result);
    FinishDecode(result, false);
}

void DecoderDialog::ReportStop(int result) {
    switch (result) {
    case 0:
        if (options_.exitWhenDone) {
            view_.GetMessageTarget()->Post(kMsgClose, 0, 0);
        }
        break;
    case kResultNoReader:
        Message(text::kPumpNoReader, DialogOutcome::kPumpNoReader);
        break;
    case kResultReaderFailed:
        Message(text::kPumpReaderFailed, DialogOutcome::kPumpReaderFailed);
        break;
    case kResultReadError:
        Message(text::kPumpReadError, DialogOutcome::kReadError);
        break;
    case kResultWriteError:
        Message(text::kPumpWriteError, DialogOutcome::kWriteError);
        if (pipeline_.writer.LastError() == WaveFileWriter::kErrorLengthChanged) {
            view_.ShowReason(text::kLengthChanged);
        }
        break;
    default:
        break;
    }
    if (result != 0) {
        EndUnattendedRun();
    }
}

void DecoderDialog::FinishDecode(int result, bool closing) {
    // The pump posts its stop just before its thread ends; wait for that end before the
    // objects it used are closed.
    pipeline_.activePump->Stop(kWaitForever);
    pipeline_.activePump.reset();
    const double skipped = pipeline_.stage.SkippedSeconds();
    ReleasePipeline();
    bool cancelled = view_.GetProgressText() == text::kCancelled;
    bool failed = result == kResultReadError || result == kResultWriteError;
    if (!cancelled) {
        view_.SetProgressText(failed ? text::kFailed : DoneText(skipped));
    }
    if (cancelled) {
        outcome_ = DialogOutcome::kCancelled;
    } else if (result == 0) {
        outcome_ = skipped > 0 ? DialogOutcome::kDoneWithSkips : DialogOutcome::kDone;
    }
    view_.SetProgressPosition(kProgressEnd);
    if (!cancelled) {
        view_.ConversionProgress(100); // a cancelled bar stays where it stopped
    }
    RestoreControlsAfterDecode();
    view_.ConversionEnded(outcome_, view_.GetProgressText());
    ContinueQueue(cancelled || closing);
    if (!options_.noBeep && !closing && queued_.empty()) {
        view_.Beep();
    }
}

// "Done!", or with the seconds of audio left out at another sampling rate.
std::string DecoderDialog::DoneText(double skippedSeconds) {
    if (skippedSeconds <= 0) {
        return text::kDone;
    }
    return FormatText(text::kDoneSkipped, skippedSeconds);
}

void DecoderDialog::ReleasePipeline() {
    if (pipeline_.source.HoldsReader()) {
        pipeline_.source.Close();
    }
    if (pipeline_.stage.IsOpen() != 0) {
        pipeline_.stage.Close();
    }
    if (pipeline_.writer.IsOpen()) {
        pipeline_.writer.Close();
    }
}

void DecoderDialog::RestoreControlsAfterDecode() {
    view_.SetControlText(kDecodeButton, text::kDecodeCaption);
    view_.EnableControl(kInputBrowse, true);
    view_.EnableControl(kOutputBrowse, true);
    view_.EnableMenuItem(kCommandDecode, true);
    view_.EnableMenuItem(kCommandSaveAs, true);
    view_.EnableControl(kInputEdit, true);
    view_.SetFocus(kInputEdit);
    view_.EnableControl(kOutputEdit, true);
}

} // namespace sonarel
