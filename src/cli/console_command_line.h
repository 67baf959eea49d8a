// The console's command line: the dialog's switches plus the console's own -yes, -play and
// -help (also -h and -?). Further console switches go into the table in the .cpp file.
// Unlike the dialog, the console does not pass over what it cannot use: a bare argument after
// both names are given is a usage error, kept in ConsoleFlags::usageError.
#pragma once

#include "app/decoder_command_line.h"

#include <string>

namespace sonarel::cli {

struct ConsoleFlags {
    bool assumeYes = false; // answer Yes to every question
    bool help = false;      // print the usage and stop
    bool play = false;      // play the input on the sound device (cli/play_mode.h)
    std::string usageError; // the first argument that cannot be used, as a message
};

class ConsoleCommandLine : public DecoderCommandLine {
public:
    ConsoleCommandLine(CommandLineOptions& options, ConsoleFlags& flags)
        : DecoderCommandLine(options), parsed_(options), flags_(flags) {}

    void ParseParam(std::string_view text, bool isSwitch, bool isLast) override;

private:
    bool ParseConsoleSwitch(std::string_view text);
    void ParseBareName(std::string_view text, bool isLast);
    void SetUsageError(const std::string& message);

    CommandLineOptions& parsed_;
    ConsoleFlags& flags_;
};

} // namespace sonarel::cli
