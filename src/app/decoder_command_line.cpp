#include "app/decoder_command_line.h"

#include "platform/host.h"

#include <cctype>

namespace sonarel {
namespace {

// The text after the first '=', or nothing when there is none.
bool ValueAfterEquals(std::string_view text, std::string_view& value) {
    size_t equals = text.find('=');
    if (equals == std::string_view::npos) {
        return false;
    }
    value = text.substr(equals + 1);
    return true;
}

} // namespace

void DecoderCommandLine::Parse(int argc, const char* const* argv) {
    for (int i = 1; i < argc; ++i) {
        std::string_view arg = argv[i];
        // '-' (or "--") introduces a switch; on Windows '/' does too, elsewhere it begins a path.
        const bool slash = kWindowsHost && arg.starts_with('/');
        const bool isSwitch = arg.starts_with('-') || slash;
        if (isSwitch) {
            arg.remove_prefix(arg.starts_with("--") ? 2 : 1);
        }
        ParseParam(arg, isSwitch, i == argc - 1);
    }
}

void DecoderCommandLine::ParseParam(std::string_view text, bool isSwitch, bool /*isLast*/) {
    if (isSwitch) {
        ParseSwitch(text);
    } else {
        ParseBare(text);
    }
}

bool DecoderCommandLine::MatchesKeyword(std::string_view text, std::string_view keyword) {
    if (text.size() < keyword.size()) {
        return false;
    }
    for (size_t i = 0; i < keyword.size(); ++i) {
        auto a = static_cast<unsigned char>(text[i]);
        auto b = static_cast<unsigned char>(keyword[i]);
        if (std::tolower(a) != std::tolower(b)) {
            return false;
        }
    }
    return true;
}

void DecoderCommandLine::ParseSwitch(std::string_view text) {
    std::string_view value;
    if (MatchesKeyword(text, "auto")) {
        options_.autoMode = true;
        options_.exitWhenDone = true;
    } else if (MatchesKeyword(text, "overwrite")) {
        options_.overwrite = true;
    } else if (MatchesKeyword(text, "exit")) {
        options_.exitWhenDone = true;
    } else if (MatchesKeyword(text, "nobeep")) {
        options_.noBeep = true;
    } else if (MatchesKeyword(text, "input")) {
        if (ValueAfterEquals(text, value)) {
            options_.inputPath.Assign(value);
            options_.inputGiven = true;
        }
    } else if (MatchesKeyword(text, "output")) {
        if (ValueAfterEquals(text, value)) {
            options_.outputPath.Assign(value);
            options_.outputGiven = true;
        }
    }
}

void DecoderCommandLine::ParseBare(std::string_view text) {
    PathName& target = options_.inputGiven ? options_.outputPath : options_.inputPath;
    bool& given = options_.inputGiven ? options_.outputGiven : options_.inputGiven;
    target.Assign(text);
    target.ExpandLongNames(); // a name that cannot be found stays as it is
    given = true;
}

} // namespace sonarel
