// The checks and openings before sonarel-cli -play starts its pump.
#include "app/dialog_texts.h"
#include "app/output_name.h"
#include "app/stream_probe.h"
#include "app/text_format.h"
#include "cli/exit_codes.h"
#include "cli/output_file.h"
#include "cli/play_mode.h"

#include <cstdio>

namespace sonarel::cli {

bool Playback::Refuse(const std::string& message, int exitCode) {
    if (!message.empty()) {
        view_.ShowMessage(message);
    }
    exit_code_ = exitCode;
    return false;
}

// The stream's rate and channels, from a framer over a reader of its own, as the dialog
// probes; the format line goes to the status stream.
bool Playback::ProbeInput() {
    const PathName& input = options_.inputPath;
    if (!input.Exists()) {
        return Refuse(FormatText(text::kInputMissing, input.CStr()), kExitInputMissing);
    }
    InputFileReader source;
    source.Assign(input.Str());
    source.SetQuestion([this](const std::string& question) {
        extension_accepted_ = view_.AskYesNo(question);
        return extension_accepted_;
    });
    const int opened = source.Open();
    if (opened != 0) {
        return opened == InputFileReader::kDeclined
                   ? Refuse("", kExitDeclined)
                   : Refuse(text::kInvalidInput, kExitInputInvalid);
    }
    if (source.IsPcm() != 0) {
        return Refuse(text::kPcmInput, kExitInputIsPcm);
    }
    const StreamProbe probe = ProbeStream(source);
    if (!probe.framed && !view_.AskYesNo(FormatText(text::kAskNotMp3, input.CStr()))) {
        return Refuse("", kExitDeclined);
    }
    if (!probe.HasAudio()) {
        return Refuse(text::kNoFormat, kExitInputInvalid);
    }
    sample_rate_ = static_cast<uint32_t>(probe.survey.MainRate());
    channels_ = static_cast<uint32_t>(probe.survey.MainChannels());
    const char* layout = channels_ == 1 ? text::kMono : text::kStereo;
    std::fprintf(view_.StatusStream(), "%s\n",
                 FormatText(text::kMp3Format, static_cast<int>(probe.survey.MainKbps()),
                            static_cast<int>(sample_rate_), layout)
                     .c_str());
    std::fflush(view_.StatusStream());
    return true;
}

// Only with an output name: a folder gets the input's name with .wav, as a conversion
// proposes it; an existing file is replaced only with -overwrite or a Yes, and one that is not
// a WAVE file only with -overwrite.
bool Playback::ChooseOutput() {
    if (!options_.outputGiven) {
        return true;
    }
    PathName& output = options_.outputPath;
    if (output.IsFolder()) {
        output = ProposedOutputName(output, options_.inputPath);
    }
    if (!output.CanCreate() || NamesOneFile(output.Str(), options_.inputPath.Str())) {
        return Refuse(FormatText(text::kInvalidOutput, output.CStr()), kExitOutputInvalid);
    }
    if (!options_.overwrite && HoldsOtherThanWave(output.Str())) {
        return Refuse(NotWaveMessage(output.Str()), kExitOutputNotWave);
    }
    if (output.Exists() && !options_.overwrite &&
        !view_.AskYesNo(FormatText(text::kAskOverwrite, output.CStr()))) {
        return Refuse("", kExitDeclined);
    }
    writing_ = true;
    return true;
}

bool Playback::OpenDevice() {
    const PcmFormat format(sample_rate_, channels_, 16);
    player_.SetNotifier(&queue_, 0, 0);
    if (player_.Open(&format, stage_.GetBufferSize()) != 0) {
        return Refuse("ERROR: Could not open the sound device " + player_.LastError(),
                      kExitSoundDeviceFailed);
    }
    return true;
}

bool Playback::OpenInput() {
    source_.Assign(options_.inputPath.Str());
    source_.SetQuestion([this](const std::string& question) {
        return extension_accepted_ || view_.AskYesNo(question);
    });
    const int opened = source_.Open();
    if (opened != 0) {
        return Refuse(text::kInputOpenFailed,
                      opened == InputFileReader::kDeclined ? kExitDeclined : kExitInputOpenFailed);
    }
    stage_.Attach(&source_, false);
    if (stage_.Open() != 0) {
        return Refuse(text::kDecoderOpenFailed, kExitDecoderOpenFailed);
    }
    return true;
}

bool Playback::OpenOutput() {
    if (!writing_) {
        return true;
    }
    const PcmFormat format(sample_rate_, channels_, 16);
    writer_.Assign(options_.outputPath.Str());
    writer_.SetFormat(&format);
    if (writer_.Open() != 0) {
        return Refuse(text::kOutputOpenFailed, kExitOutputOpenFailed);
    }
    return true;
}

} // namespace sonarel::cli
