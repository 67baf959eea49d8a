// The console's command line: the dialog's switches plus the console's own -yes, -play and
// -help (also -h and -?). Further console switches go into the table in the .cpp file.
#pragma once

#include "app/decoder_command_line.h"

namespace sonarel::cli {

struct ConsoleFlags {
    bool assumeYes = false; // answer Yes to every question
    bool help = false;      // print the usage and stop
    bool play = false;      // play the input on the sound device (cli/play_mode.h)
};

class ConsoleCommandLine : public DecoderCommandLine {
public:
    ConsoleCommandLine(CommandLineOptions& options, ConsoleFlags& flags)
        : DecoderCommandLine(options), flags_(flags) {}

    void ParseParam(std::string_view text, bool isSwitch, bool isLast) override;

private:
    bool ParseConsoleSwitch(std::string_view text);

    ConsoleFlags& flags_;
};

} // namespace sonarel::cli
