// The format probe of a candidate input and the proposal of an output name.
#include "app/byte_count.h"
#include "app/control_ids.h"
#include "app/decoder_dialog.h"
#include "app/dialog_texts.h"
#include "app/output_name.h"
#include "app/stream_probe.h"
#include "app/text_format.h"
#include "io/pipe_reader.h"

namespace sonarel {

bool DecoderDialog::ProbeFailed(DialogOutcome outcome) {
    outcome_ = outcome;
    return false;
}

// The probe's unknown-extension question. A Yes given while a decode start probes its input
// also answers the same question of that start (see StartDecode).
bool DecoderDialog::AskExtension(const std::string& question) {
    bool yes = view_.AskYesNo(question);
    if (yes && probing_for_start_) {
        extension_accepted_for_ = options_.inputPath.Str();
    }
    return yes;
}

bool DecoderDialog::ProbeInput(const std::string& name) {
    // The framer is declared after the source so that it goes first.
    InputFileReader source;
    source.Assign(name);
    source.SetQuestion([this](const std::string& question) { return AskExtension(question); });
    int result = source.Open();
    if (result == InputFileReader::kDeclined) {
        return ProbeFailed(DialogOutcome::kDeclined);
    }
    if (result != 0) {
        Message(result == PipeReader::kNeedsSeeking ? text::kPipedWave : text::kInvalidInput,
                DialogOutcome::kInputInvalid);
        return false;
    }
    if (source.IsPcm() != 0) {
        source.Close();
        Message(text::kPcmInput, DialogOutcome::kInputIsPcm);
        return false;
    }
    const StreamProbe probe = ProbeStream(source);
    if (!probe.framed && !view_.AskYesNo(FormatText(text::kAskNotMp3, name.c_str()))) {
        return ProbeFailed(DialogOutcome::kDeclined);
    }
    if (!probe.HasAudio()) {
        Message(text::kNoFormat, DialogOutcome::kInputInvalid);
        return false;
    }
    const StreamSurvey& survey = probe.survey;
    stream_sample_rate_ = static_cast<uint32_t>(survey.MainRate());
    stream_channels_ = static_cast<uint32_t>(survey.MainChannels());
    options_.inputPath.Assign(name);
    probed_input_ = options_.inputPath.Str();
    plan_ = PlanOutput(probe, options_.gapless);
    const bool pipe = source.IsSeekable() == 0;
    ShowFormat(survey.MainKbps(), pipe ? text::kSizeUnknown : SizeText(source.GetSize()),
               plan_.exact ? SizeText(OutputFileBytes(plan_.samples, stream_channels_))
                           : text::kSizeUnknown);
    return true;
}

std::string DecoderDialog::SizeText(int64_t bytes) {
    return FormatByteCount(bytes) + text::kBytesSuffix;
}

void DecoderDialog::ShowFormat(uint32_t kbps, const std::string& inputSize,
                               const std::string& outputSize) {
    const char* channels = stream_channels_ == 1 ? text::kMono : text::kStereo;
    int rate = static_cast<int>(stream_sample_rate_);
    input_format_label_ = text::kFormatLabel;
    input_format_text_ = FormatText(text::kMp3Format, static_cast<int>(kbps), rate, channels);
    output_format_label_ = text::kFormatLabel;
    output_format_text_ = FormatText(text::kPcmFormat, rate, channels);
    view_.SetControlText(kInputSizeLabel, inputSize);
    view_.SetControlText(kOutputSizeLabel, outputSize);
    view_.SetProgressText(text::kSelectOutput);
    Display();
}

bool DecoderDialog::OutputIsInput() const {
    return NamesOneFile(options_.inputPath.Str(), options_.outputPath.Str());
}

void DecoderDialog::ProposeOutputName() {
    bool decoding = IsDecoding();
    if (!decoding) {
        view_.EnableControl(kOutputBrowse, true);
        view_.EnableControl(kDecodeButton, true);
    }
    if (options_.outputPath.IsFolder()) {
        options_.outputPath = ProposedOutputName(options_.outputPath, options_.inputPath);
    }
    // A drop during a decode only proposes the name; the controls keep their decode state
    // and are restored when it ends.
    if (!decoding) {
        view_.EnableMenuItem(kCommandDecode, true);
        view_.EnableMenuItem(kCommandSaveAs, true);
        view_.SetProgressPosition(0);
    }
    Display();
    if (!decoding) {
        view_.EnableControl(kOutputEdit, true);
        view_.SetFocus(kOutputEdit);
    }
}

} // namespace sonarel
