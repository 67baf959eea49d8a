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
    if (isSwitch && ParseConsoleSwitch(text)) {
        return;
    }
    DecoderCommandLine::ParseParam(text, isSwitch, isLast);
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
