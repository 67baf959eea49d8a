// The console's command-line parser (the dialog's switches plus its own) on arbitrary
// argument vectors. Arguments are the input split at its zero bytes, as the system would
// hand them over; bare names are looked up on disk relative to the current folder.
#include "cli/console_command_line.h"
#include "fuzz_support.h"
#include "platform/host.h"

#include <cctype>
#include <string>
#include <vector>

namespace {

using sonarel::CommandLineOptions;
using sonarel::cli::ConsoleCommandLine;
using sonarel::cli::ConsoleFlags;
using sonarel::fuzz::Check;

constexpr size_t kMostArguments = 64;

std::vector<std::string> SplitArguments(const uint8_t* data, size_t size) {
    std::vector<std::string> args{"sonarel-cli"};
    std::string current;
    for (size_t i = 0; i < size && args.size() < kMostArguments; ++i) {
        if (data[i] == 0) {
            args.push_back(current);
            current.clear();
        } else {
            current.push_back(static_cast<char>(data[i]));
        }
    }
    if (!current.empty() && args.size() < kMostArguments) {
        args.push_back(current);
    }
    return args;
}

// '-' begins a switch; on Windows '/' does too.
bool IsSwitch(const std::string& arg) {
    return !arg.empty() && (arg[0] == '-' || (sonarel::kWindowsHost && arg[0] == '/'));
}

// "-jobs" without "=N" (or any beginning of it, in any case) takes the next argument as N
// unless that is a switch.
bool TakesTheNextArgument(const std::string& arg) {
    std::string name = arg.substr(arg.starts_with("--") ? 2 : 1);
    if (name.empty() || name.size() > 4 || name.find('=') != std::string::npos) {
        return false;
    }
    for (char& c : name) {
        c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    }
    return std::string("jobs").starts_with(name);
}

bool HasBareArgument(const std::vector<std::string>& args) {
    for (size_t i = 1; i < args.size(); ++i) {
        if (!IsSwitch(args[i])) {
            return true;
        }
        if (TakesTheNextArgument(args[i]) && i + 1 < args.size() && !IsSwitch(args[i + 1])) {
            ++i; // its value; a switch there is an error and parsed as a switch
        }
    }
    return false;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    std::vector<std::string> args = SplitArguments(data, size);
    std::vector<const char*> argv;
    for (const std::string& arg : args) {
        argv.push_back(arg.c_str());
    }
    argv.push_back(nullptr);

    CommandLineOptions options;
    ConsoleFlags flags;
    ConsoleCommandLine(options, flags).Parse(static_cast<int>(args.size()), argv.data());

    // Both names always hold something (at least the current folder); a bare argument (not
    // the value of -jobs) always gives the input; auto always brings exit along.
    Check(!options.inputPath.IsEmpty() && !options.outputPath.IsEmpty());
    Check(!HasBareArgument(args) || options.inputGiven);
    Check(!options.autoMode || options.exitWhenDone);
    return 0;
}
