#include "cli/console_command_line.h"

namespace sonarel::cli {
namespace {

// Console switches, matched like the dialog's: by their beginning, any letter case.
struct ConsoleSwitch {
    const char* keyword;
    bool ConsoleFlags::*flag;
};

constexpr ConsoleSwitch kSwitches[] = {
    {"yes", &ConsoleFlags::assumeYes},
    {"help", &ConsoleFlags::help},
    {"play", &ConsoleFlags::play},
};

} // namespace

void ConsoleCommandLine::ParseParam(std::string_view text, bool isSwitch, bool isLast) {
    if (!isSwitch) {
        ParseBareName(text, isLast);
    } else if (!ParseConsoleSwitch(text)) {
        DecoderCommandLine::ParseParam(text, isSwitch, isLast);
    }
}

// The first bare name is the input, the next the output; a third has nothing left to name.
void ConsoleCommandLine::ParseBareName(std::string_view text, bool isLast) {
    if (parsed_.inputGiven && parsed_.outputGiven) {
        SetUsageError("unexpected argument '" + std::string(text) +
                      "': the input and the output are already given");
        return;
    }
    DecoderCommandLine::ParseParam(text, false, isLast);
}

void ConsoleCommandLine::SetUsageError(const std::string& message) {
    if (flags_.usageError.empty()) {
        flags_.usageError = message;
    }
}

bool ConsoleCommandLine::ParseConsoleSwitch(std::string_view text) {
    if (text == "h" || text == "H" || text == "?") {
        flags_.help = true;
        return true;
    }
    for (const ConsoleSwitch& entry : kSwitches) {
        if (MatchesKeyword(text, entry.keyword)) {
            flags_.*entry.flag = true;
            return true;
        }
    }
    return false;
}

} // namespace sonarel::cli
