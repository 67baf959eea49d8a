// Parses the program's arguments into CommandLineOptions.
//
// Switches start with '-' ("--name" counts as "-name"); '/' is not a switch prefix on this
// host because it begins absolute paths. A switch is matched case-insensitively against the
// keywords auto, overwrite, exit, nobeep, input, output, in that order, comparing only the
// keyword's own length, so -automatic acts as -auto and -inputfile=a.mp3 as -input=a.mp3.
// input and output take the text after the first '='; without '=' they are ignored, since
// they carry no name. Unknown switches are ignored. The first bare argument is the input, every
// later one the output (the last wins).
#pragma once

#include "app/command_line_options.h"

#include <string_view>

namespace sonarel {

class DecoderCommandLine {
public:
    explicit DecoderCommandLine(CommandLineOptions& options) : options_(options) {}
    virtual ~DecoderCommandLine() = default;

    // Splits each argument after argv[0] into its parameter text and switch flag and hands it
    // to ParseParam.
    void Parse(int argc, const char* const* argv);

    // One argument: text is the argument without its switch prefix when isSwitch is set.
    // isLast is not used here; front-ends that add switches override this and call it for
    // everything they do not handle themselves.
    virtual void ParseParam(std::string_view text, bool isSwitch, bool isLast);

protected:
    // True when text begins with keyword, ignoring letter case.
    static bool MatchesKeyword(std::string_view text, std::string_view keyword);

private:
    void ParseSwitch(std::string_view text);
    void ParseBare(std::string_view text);

    CommandLineOptions& options_;
};

} // namespace sonarel
