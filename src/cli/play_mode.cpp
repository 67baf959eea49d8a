#include "cli/play_mode.h"

#include "app/dialog_texts.h"
#include "cli/exit_codes.h"
#include "cli/interrupt_flag.h"
#include "output/pcm_pump.h"
#include "platform/sound_device.h"

#include <cstdio>

namespace sonarel::cli {
namespace {

// How long the loop sleeps at most before it looks at the interrupt flag again.
constexpr uint32_t kLoopTickMs = 50;
constexpr uint32_t kProgressIntervalMs = 500;

} // namespace

Playback::Playback(const CommandLineOptions& options, bool assumeYes, std::FILE* status)
    : options_(options), queue_([this](MessageId id, WParam wparam, LParam lparam) {
          return OnMessage(id, wparam, lparam);
      }),
      view_(queue_, assumeYes, status), time_line_(stderr),
      time_message_(RegisterMessage(kMsgAudioPlayerTime)),
      stop_message_(RegisterMessage(kMsgPcmPumpThreadStop)) {
}

Playback::~Playback() {
    Release();
}

int Playback::Run() {
    if (!ProbeInput() || !ChooseOutput() || !OpenDevice() || !OpenInput() || !OpenOutput()) {
        Release();
        return exit_code_;
    }
    return Play();
}

// Ctrl-C stops the pump after its current pass (at most one buffer's wait) and closing the
// player drops what the device still holds, so the sound ends at once. At the end of the
// input the pump itself lets the device play out before it reports its stop.
int Playback::Play() {
    std::FILE* status = view_.StatusStream();
    std::fprintf(status, "Playing on \"%s\"\n", DefaultSoundDeviceName().c_str());
    if (writing_) {
        std::fprintf(status, "Writing %s\n", options_.outputPath.CStr());
    }
    std::fflush(status);
    PcmPump pump(&stage_, &player_, writing_ ? &writer_ : nullptr);
    pump.SetNotifier(&queue_, 0, kProgressIntervalMs);
    pump.Start();
    bool cancelled = false;
    while (!stopped_ && !cancelled) {
        cancelled = TakeInterrupt();
        if (!cancelled) {
            queue_.WaitAndDispatch(kLoopTickMs);
        }
    }
    pump.Stop(kWaitForever);
    if (cancelled) {
        player_.Close();
    }
    queue_.DispatchPending(); // the time of the buffers that finished meanwhile
    time_line_.Clear();
    const int exitCode = Outcome(stop_result_, cancelled);
    Release();
    return exitCode;
}

intptr_t Playback::OnMessage(MessageId id, WParam wparam, LParam lparam) {
    if (id == time_message_) {
        played_ms_ = static_cast<uint32_t>(lparam);
        time_line_.Show(played_ms_, static_cast<int16_t>(wparam & 0xFFFF));
    } else if (id == stop_message_) {
        stopped_ = true;
        stop_result_ = wparam;
    }
    return 0;
}

// Prints how it ended and returns the exit status.
int Playback::Outcome(WParam result, bool cancelled) {
    const std::string deviceError = player_.LastError();
    int exitCode = kExitDone;
    if (cancelled) {
        exitCode = kExitCancelled;
    } else if (result == PcmPump::kResultReadError) {
        view_.ShowMessage(text::kPumpReadError);
        exitCode = kExitReadError;
    } else if (result == PcmPump::kResultWriteError || (writing_ && writer_.LastError() != 0)) {
        view_.ShowMessage(text::kPumpWriteError);
        exitCode = kExitWriteError;
    } else if (!deviceError.empty()) {
        view_.ShowMessage("ERROR: Playback on the sound device failed " + deviceError);
        exitCode = kExitSoundDeviceFailed;
    }
    const char* status = cancelled               ? text::kCancelled
                         : exitCode == kExitDone ? text::kDone
                                                 : text::kFailed;
    std::fprintf(view_.StatusStream(), "Played %s\n%s\n", FormatPlayedTime(played_ms_).c_str(),
                 status);
    std::fflush(view_.StatusStream());
    return exitCode;
}

void Playback::Release() {
    player_.Close();
    writer_.Close();
    if (stage_.IsOpen() != 0) {
        stage_.Close();
    }
    source_.Close();
}

int RunPlayback(const CommandLineOptions& options, bool assumeYes, std::FILE* status) {
    InstallInterruptHandlers();
    Playback playback(options, assumeYes, status);
    return playback.Run();
}

} // namespace sonarel::cli
