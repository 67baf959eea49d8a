// The console's command-line parser (the dialog's switches plus its own) on arbitrary
// argument vectors. Arguments are the input split at its zero bytes, as the system would
// hand them over; bare names are looked up on disk relative to the current folder.
#include "cli/console_command_line.h"
#include "fuzz_support.h"

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

bool HasBareArgument(const std::vector<std::string>& args) {
    for (size_t i = 1; i < args.size(); ++i) {
        if (args[i].empty() || args[i][0] != '-') {
            return true;
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

    // Both names always hold something (at least the current folder); a bare argument
    // always gives the input; auto always brings exit along.
    Check(!options.inputPath.IsEmpty() && !options.outputPath.IsEmpty());
    Check(!HasBareArgument(args) || options.inputGiven);
    Check(!options.autoMode || options.exitWhenDone);
    return 0;
}
