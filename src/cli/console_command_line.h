// The console's command line: the dialog's switches plus the console's own -yes, -play,
// -gapless, -help (also -?), -version, and -recursive and -jobs=N (or -jobs N) of a batch
// conversion. Unlike the dialog, the console passes over nothing it cannot use: a switch is
// written as its whole name or any beginning of it that fits that switch alone, in any letter
// case (-over, -OUT=x.wav); an unknown or ambiguous switch, a name switch without its name, and
// a bare argument after both names are given are usage errors, of which the first is kept in
// ConsoleFlags::usageError. A lone "-" (also -input=- and -output=-) names standard input as
// the input and standard output as the output.
#pragma once

#include "app/decoder_command_line.h"

#include <string>
#include <vector>

namespace sonarel::cli {

struct ConsoleFlags {
    bool assumeYes = false;         // answer Yes to every question
    bool help = false;              // print the usage and stop
    bool version = false;           // print the version and stop
    bool play = false;              // play the input on the sound device (cli/play_mode.h)
    bool gapless = false;           // trim the encoder delay and padding a LAME tag records
    bool recursive = false;         // a batch takes the files of sub-folders too
    int jobs = 0;                   // conversions at once in a batch; 0: not given
    std::vector<std::string> names; // every bare name, as typed
    std::string inputSwitch;        // the name of the last -input=, as typed; empty: none
    std::string outputSwitch;       // the same of -output=
    std::string usageError;         // the first argument that cannot be used, as a message
    // A bare name after both the input and the output: an error unless the run is a batch,
    // which takes every bare name as an input (see cli/batch_plan.h).
    std::string extraNameError;
    bool extraNameErrorFirst = false; // it came before any other usage error
};

class ConsoleCommandLine : public DecoderCommandLine {
public:
    ConsoleCommandLine(CommandLineOptions& options, ConsoleFlags& flags)
        : DecoderCommandLine(options), parsed_(options), flags_(flags) {}

    // Parses as the dialog's command line does; messages name each argument as it was typed.
    void Parse(int argc, const char* const* argv);

    void ParseParam(std::string_view text, bool isSwitch, bool isLast) override;

private:
    void ParseConsoleSwitch(std::string_view text, bool isLast);
    void ParseBareName(std::string_view text, bool isLast);
    void ParseJobs(std::string_view value, const std::string& typed);
    std::string Typed(std::string_view text, bool isSwitch) const;
    // The name a "-" stands for in the slot it fills; any other text as it is.
    static std::string_view StandardName(std::string_view text, bool output);
    void SetUsageError(const std::string& message);

    CommandLineOptions& parsed_;
    ConsoleFlags& flags_;
    const char* const* argv_ = nullptr; // during Parse: the arguments as typed
    int arg_index_ = 0;                 // the argument ParseParam was last called for
    bool jobs_value_next_ = false;      // "-jobs" without "=": the next argument is its count
};

} // namespace sonarel::cli
