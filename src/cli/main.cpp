// sonarel-cli: the main dialog's logic driven from the command line. It always runs as if
// -auto were given: it probes the input, proposes or takes the output, converts, and exits
// with a status that tells how the conversion ended (cli/exit_codes.h). Given several files or
// a folder, it runs that logic on each file, several at once (cli/batch_run.h).
#include "app/decode_pipeline.h"
#include "app/decoder_dialog.h"
#include "app/version.h"
#include "cli/batch_plan.h"
#include "cli/batch_run.h"
#include "cli/console_command_line.h"
#include "cli/console_view.h"
#include "cli/exit_codes.h"
#include "cli/interrupt_flag.h"
#include "cli/output_file.h"
#include "cli/play_mode.h"
#include "cli/read_only_settings.h"
#include "cli/usage.h"
#include "io/pipe_reader.h"
#include "platform/console.h"
#include "platform/message_queue.h"
#include "platform/settings_store.h"

#include <cstdio>
#include <filesystem>
#include <memory>
#include <string>
#include <vector>

namespace sonarel::cli {
namespace {

// How long the loop sleeps at most before it looks at the interrupt flag again.
constexpr uint32_t kLoopTickMs = 50;

std::string ProgramName(const char* argv0) {
    const std::filesystem::path path(argv0 != nullptr ? argv0 : "");
    std::string name = (path.extension() == ".exe" ? path.stem() : path.filename()).string();
    return name.empty() ? "sonarel-cli" : name;
}

// Dispatches the dialog's messages until it has ended, or until no decode runs and nothing
// is queued, so nothing further can happen. Returns false when an interrupt arrived while no
// decode was running.
bool RunMessageLoop(DecoderDialog& dialog, ConsoleView& view, MessageQueue& queue) {
    while (!view.Ended()) {
        if (TakeInterrupt()) {
            if (!dialog.IsDecoding()) {
                return false;
            }
            dialog.CancelDecode();
        }
        if (!dialog.IsDecoding() && queue.PendingCount() == 0) {
            break;
        }
        queue.WaitAndDispatch(kLoopTickMs);
    }
    return true;
}

// What is wrong with the pipes a command line names: standard input as the input needs an
// output file name (a pipe has no name to name one after), and neither end may be a terminal,
// where binary audio makes no sense. Empty when nothing is.
std::string PipeUsageError(const CommandLineOptions& parsed, bool play) {
    const bool fromStdin = parsed.inputPath.Str() == kStandardInputPath;
    if (fromStdin && !play && (!parsed.outputGiven || parsed.outputPath.IsFolder())) {
        return "reading standard input ('-') needs an OUTPUT file name, or '-' for standard "
               "output";
    }
    if (fromStdin && IsTerminal(stdin)) {
        return "standard input is a terminal: pipe an MP3 stream into '-'";
    }
    if (parsed.outputGiven && parsed.outputPath.Str() == kStandardOutputPath &&
        IsTerminal(stdout)) {
        return "standard output is a terminal: send the WAVE stream into a pipe or a file";
    }
    return {};
}

// A usage error, -help, -version or a missing input end the run before any conversion.
// Returns the exit status, or -1 to go on.
int AnswerWithoutConverting(const ConsoleFlags& flags, const CommandLineOptions& parsed,
                            const std::string& program) {
    if (!flags.usageError.empty()) {
        std::fprintf(stderr, "%s: %s (try %s -help)\n", program.c_str(), flags.usageError.c_str(),
                     program.c_str());
        return kExitUsage;
    }
    if (flags.help) {
        PrintUsage(stdout, program.c_str());
        return kExitDone;
    }
    if (flags.version) {
        std::printf("sonarel-cli %s\n", SONAREL_VERSION);
        return kExitDone;
    }
    if (!parsed.inputGiven) {
        std::fprintf(stderr, "%s: no input file given (try %s -help)\n", program.c_str(),
                     program.c_str());
        return kExitUsage;
    }
    const std::string pipeError = PipeUsageError(parsed, flags.play);
    if (!pipeError.empty()) {
        std::fprintf(stderr, "%s: %s (try %s -help)\n", program.c_str(), pipeError.c_str(),
                     program.c_str());
        return kExitUsage;
    }
    return -1;
}

// The status lines go to stdout, unless the output file is standard output itself, where they
// would land inside the WAVE file. Such an output that holds no data yet (the file a shell's
// "> out.wav" just made, a pipe) is written without the overwrite question: the redirection
// asked for it.
std::FILE* ChooseStatusStream(CommandLineOptions& parsed) {
    if (!parsed.outputGiven || !IsStandardOutputFile(parsed.outputPath.Str())) {
        return stdout;
    }
    if (!HoldsData(parsed.outputPath.Str())) {
        parsed.overwrite = true;
    }
    return stderr;
}

int Convert(const CommandLineOptions& parsed, bool assumeYes, std::FILE* status,
            const std::string& program) {
    DecodePipeline pipeline;
    std::unique_ptr<SettingsStore> stored = OpenUserSettings(settings::kCompany, program);
    ReadOnlySettings settings(*stored);
    DecoderDialog* target = nullptr;
    MessageQueue queue([&target](MessageId id, WParam wparam, LParam lparam) {
        return target != nullptr ? target->HandleMessage(id, wparam, lparam) : 0;
    });
    ConsoleView view(queue, assumeYes, status);
    DecoderDialog dialog(view, settings, pipeline);
    target = &dialog;
    dialog.Options() = parsed;
    dialog.Options().autoMode = true;
    dialog.Options().exitWhenDone = true;
    InstallInterruptHandlers();
    dialog.Initialize();
    bool uninterrupted = RunMessageLoop(dialog, view, queue);
    if (!uninterrupted || (InterruptPending() && !dialog.HasEnded())) {
        return kExitCancelled;
    }
    return view.OutputRefused() ? kExitOutputNotWave : ExitCodeFor(dialog.Outcome());
}

// Several files, a folder, -recursive or -jobs: each planned file is converted as a single
// run would convert it, several at once.
int ConvertBatch(const BatchPlan& plan, const CommandLineOptions& parsed, const ConsoleFlags& flags,
                 const std::string& program) {
    BatchOptions options;
    options.jobs = flags.jobs;
    options.overwrite = parsed.overwrite;
    options.assumeYes = flags.assumeYes;
    options.gapless = parsed.gapless;
    options.program = program;
    const int status = RunBatch(plan, options);
    if (!parsed.noBeep && IsTerminal(stderr)) {
        std::fputc('\a', stderr); // once, at the end of the whole batch
    }
    return status;
}

int Run(int argc, char** argv) {
    const std::string program = ProgramName(argc > 0 ? argv[0] : nullptr);
    ConsoleFlags flags;
    CommandLineOptions parsed;
    ConsoleCommandLine(parsed, flags).Parse(argc, argv);
    const bool batch = WantsBatch(flags);
    BatchPlan plan;
    if (batch && flags.usageError.empty() && !flags.help && !flags.version) {
        plan = PlanBatch(flags);
        flags.usageError = plan.usageError;
    } else if (!batch && !flags.extraNameError.empty() &&
               (flags.extraNameErrorFirst || flags.usageError.empty())) {
        flags.usageError = flags.extraNameError;
    }
    const int answered = AnswerWithoutConverting(flags, parsed, program);
    if (answered >= 0) {
        return answered;
    }
    parsed.gapless = flags.gapless;
    if (batch) {
        return ConvertBatch(plan, parsed, flags, program);
    }
    StandardInputPipe().SetCancelCheck(&InterruptedEver); // a read that waits ends on Ctrl-C
    std::FILE* status = ChooseStatusStream(parsed);
    if (flags.play) {
        return RunPlayback(parsed, flags.assumeYes, status);
    }
    return Convert(parsed, flags.assumeYes, status, program);
}

} // namespace
} // namespace sonarel::cli

int main(int argc, char** argv) {
    sonarel::PrepareConsole();
    std::vector<std::string> arguments = sonarel::ProgramArguments(argc, argv);
    std::vector<char*> pointers;
    for (std::string& argument : arguments) {
        pointers.push_back(argument.data());
    }
    pointers.push_back(nullptr);
    const int status = sonarel::cli::Run(static_cast<int>(arguments.size()), pointers.data());
    sonarel::InterruptHandled();
    return status;
}
