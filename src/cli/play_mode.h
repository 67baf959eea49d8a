// sonarel-cli -play: plays the input on the sound device through the PCM pump and the
// audio player, and with an output name also writes the WAVE file at the same time. The
// input is checked as for a conversion (with the same messages); the device is opened
// before the output file is created, so a missing device leaves no empty file behind.
// The played time and level are shown on stderr while it plays (on a terminal); at the
// end the status stream (stdout, or stderr when the output is standard output) gets
// "Played m:ss.t" and "Done!", "Cancelled!" (Ctrl-C, which silences the
// device at once) or "Failed!".
#pragma once

#include "app/command_line_options.h"
#include "app/decoding_stage.h"
#include "app/input_file_reader.h"
#include "cli/console_view.h"
#include "cli/play_time_line.h"
#include "output/audio_player.h"
#include "output/wave_file_writer.h"
#include "platform/message_queue.h"

#include <cstdio>
#include <string>

namespace sonarel::cli {

class Playback {
public:
    Playback(const CommandLineOptions& options, bool assumeYes, std::FILE* status);
    ~Playback();

    Playback(const Playback&) = delete;
    Playback& operator=(const Playback&) = delete;

    // Returns the exit status (cli/exit_codes.h).
    int Run();

private:
    // Set-up, in play_setup.cpp. Each returns false after a refusal, with exit_code_ set.
    bool ProbeInput();
    bool ChooseOutput();
    bool OpenDevice();
    bool OpenInput();
    bool OpenOutput();
    bool Refuse(const std::string& message, int exitCode);

    int Play();
    intptr_t OnMessage(MessageId id, WParam wparam, LParam lparam);
    int Outcome(WParam result, bool cancelled);
    void Release();

    CommandLineOptions options_;
    MessageQueue queue_;
    ConsoleView view_;
    PlayTimeLine time_line_;
    InputFileReader source_;
    DecodingStage stage_;
    WaveFileWriter writer_;
    AudioPlayer player_;
    const MessageId time_message_;
    const MessageId stop_message_;
    uint32_t sample_rate_ = 0;
    uint16_t channels_ = 0;
    bool writing_ = false;
    bool extension_accepted_ = false;
    int exit_code_ = 0;
    bool stopped_ = false;
    WParam stop_result_ = 0;
    uint32_t played_ms_ = 0;
};

// Runs a playback for the parsed command line, with its status lines on status; returns the
// exit status.
int RunPlayback(const CommandLineOptions& options, bool assumeYes, std::FILE* status);

} // namespace sonarel::cli
