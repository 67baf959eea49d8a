#include "cli/console_command_line.h"

#include "cli/output_file.h"
#include "io/pipe_reader.h"

#include <cctype>
#include <vector>

namespace sonarel::cli {
namespace {

// A console switch, named in lower case. The dialog's own (flag == nullptr) are handed on to the
// dialog's parser under their whole name, so they act exactly as in the desktop program.
struct ConsoleSwitch {
    const char* name;
    bool takesName; // written -name=NAME
    bool ConsoleFlags::*flag;
};

constexpr ConsoleSwitch kSwitches[] = {
    {"input", true, nullptr},
    {"output", true, nullptr},
    {"overwrite", false, nullptr},
    {"nobeep", false, nullptr},
    {"auto", false, nullptr},
    {"exit", false, nullptr},
    {"yes", false, &ConsoleFlags::assumeYes},
    {"play", false, &ConsoleFlags::play},
    {"gapless", false, &ConsoleFlags::gapless},
    {"help", false, &ConsoleFlags::help},
    {"version", false, &ConsoleFlags::version},
    {"recursive", false, &ConsoleFlags::recursive},
    {"jobs", true, nullptr},
};

// More conversions at once than this only queue up for the processors.
constexpr int kMostJobs = 256;

bool BeginsWith(std::string_view name, std::string_view typed) {
    if (typed.empty() || typed.size() > name.size()) {
        return false;
    }
    for (size_t i = 0; i < typed.size(); ++i) {
        if (std::tolower(static_cast<unsigned char>(typed[i])) != name[i]) {
            return false;
        }
    }
    return true;
}

// The switches whose name begins with the typed one, ignoring letter case.
std::vector<const ConsoleSwitch*> SwitchesBeginningWith(std::string_view typed) {
    std::vector<const ConsoleSwitch*> found;
    for (const ConsoleSwitch& entry : kSwitches) {
        if (BeginsWith(entry.name, typed)) {
            found.push_back(&entry);
        }
    }
    return found;
}

std::string AmbiguityMessage(const std::string& typed,
                             const std::vector<const ConsoleSwitch*>& found) {
    std::string message = "ambiguous switch '" + typed + "': ";
    for (size_t i = 0; i < found.size(); ++i) {
        message += (i == 0 ? "-" : i + 1 == found.size() ? " or -" : ", -");
        message += found[i]->name;
    }
    return message + "?";
}

} // namespace

void ConsoleCommandLine::Parse(int argc, const char* const* argv) {
    argv_ = argv;
    arg_index_ = 0;
    DecoderCommandLine::Parse(argc, argv);
    if (jobs_value_next_) {
        SetUsageError("'-jobs' needs a number: -jobs=N or -jobs N");
    }
    argv_ = nullptr;
}

void ConsoleCommandLine::ParseParam(std::string_view text, bool isSwitch, bool isLast) {
    ++arg_index_;
    if (jobs_value_next_) {
        jobs_value_next_ = false;
        if (!isSwitch) {
            return ParseJobs(text, std::string("-jobs ") + Typed(text, false));
        }
        SetUsageError("'-jobs' needs a number: -jobs=N or -jobs N");
    }
    const bool lone = isSwitch && text.empty() && Typed(text, true) == "-"; // not "--"
    if (!isSwitch || lone) {
        ParseBareName(lone ? "-" : text, isLast);
    } else if (text == "?") {
        flags_.help = true;
    } else {
        ParseConsoleSwitch(text, isLast);
    }
}

void ConsoleCommandLine::ParseConsoleSwitch(std::string_view text, bool isLast) {
    const size_t equals = text.find('=');
    const std::string_view name = text.substr(0, equals);
    const std::string typed = Typed(text, true);
    const std::vector<const ConsoleSwitch*> found = SwitchesBeginningWith(name);
    if (found.empty()) {
        return SetUsageError("unknown switch '" + typed + "'");
    }
    if (found.size() > 1) {
        return SetUsageError(AmbiguityMessage(typed, found));
    }
    const ConsoleSwitch& entry = *found.front();
    const std::string_view value =
        equals == std::string_view::npos ? std::string_view() : text.substr(equals + 1);
    if (entry.name == std::string_view("jobs")) {
        if (equals == std::string_view::npos) {
            jobs_value_next_ = true;
            return;
        }
        return ParseJobs(value, typed);
    }
    if (entry.takesName && value.empty()) {
        return SetUsageError("'" + typed + "' needs a name: -" + entry.name + "=NAME");
    }
    if (!entry.takesName && equals != std::string_view::npos) {
        return SetUsageError("'" + typed + "' takes no value");
    }
    if (entry.flag != nullptr) {
        flags_.*entry.flag = true;
        return;
    }
    if (entry.name == std::string_view("input")) {
        flags_.inputSwitch = value;
    } else if (entry.name == std::string_view("output")) {
        flags_.outputSwitch = value;
    }
    std::string whole = entry.name;
    if (entry.takesName) {
        whole += '=';
        whole += StandardName(value, whole == "output=");
    }
    DecoderCommandLine::ParseParam(whole, true, isLast);
}

// The first bare name is the input, the next the output; a third has nothing left to name,
// unless the run turns out to be a batch.
void ConsoleCommandLine::ParseBareName(std::string_view text, bool isLast) {
    flags_.names.emplace_back(Typed(text, false));
    if (parsed_.inputGiven && parsed_.outputGiven) {
        if (flags_.extraNameError.empty()) {
            flags_.extraNameErrorFirst = flags_.usageError.empty();
            flags_.extraNameError = "unexpected argument '" + Typed(text, false) +
                                    "': the input and the output are already given";
        }
        return;
    }
    DecoderCommandLine::ParseParam(StandardName(text, parsed_.inputGiven), false, isLast);
}

std::string_view ConsoleCommandLine::StandardName(std::string_view text, bool output) {
    if (text != "-") {
        return text;
    }
    return output ? kStandardOutputPath : kStandardInputPath;
}

void ConsoleCommandLine::ParseJobs(std::string_view value, const std::string& typed) {
    int count = 0;
    for (char c : value) {
        if (!std::isdigit(static_cast<unsigned char>(c)) || count > kMostJobs) {
            count = -1;
            break;
        }
        count = count * 10 + (c - '0');
    }
    if (count < 1 || count > kMostJobs) {
        return SetUsageError("'" + typed + "': -jobs takes a number from 1 to " +
                             std::to_string(kMostJobs));
    }
    flags_.jobs = count;
}

std::string ConsoleCommandLine::Typed(std::string_view text, bool isSwitch) const {
    if (argv_ != nullptr) {
        return argv_[arg_index_];
    }
    std::string typed = isSwitch ? "-" : "";
    typed += text;
    return typed;
}

void ConsoleCommandLine::SetUsageError(const std::string& message) {
    if (flags_.usageError.empty()) {
        flags_.usageError = message;
    }
}

} // namespace sonarel::cli
