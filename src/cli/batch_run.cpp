#include "cli/batch_run.h"

#include "app/decode_pipeline.h"
#include "app/decoder_dialog.h"
#include "cli/batch_board.h"
#include "cli/batch_job_view.h"
#include "cli/exit_codes.h"
#include "cli/interrupt_flag.h"
#include "cli/progress_line.h"
#include "cli/read_only_settings.h"
#include "platform/message_queue.h"
#include "platform/settings_store.h"

#include <algorithm>
#include <filesystem>
#include <system_error>
#include <thread>

namespace sonarel::cli {
namespace {

// How long a job's loop waits at most before it looks at the cancel request again, and how
// often the progress line is redrawn.
constexpr uint32_t kJobTickMs = 50;
constexpr int kDisplayTickMs = 200;

// One file through the dialog's logic, as a single conversion with -output naming the
// proposed file would run it.
BatchResult ConvertFile(const BatchFile& file, size_t index, const BatchOptions& options,
                        BatchBoard& board) {
    if (!file.refusal.empty()) {
        return {kExitOutputInvalid, false, file.refusal};
    }
    if (board.Cancelled()) {
        return {kExitCancelled, false, "cancelled before it started"};
    }
    board.Progress(index, 0);
    std::error_code error;
    std::filesystem::create_directories(file.outputFolder, error);
    DecodePipeline pipeline;
    std::unique_ptr<SettingsStore> stored = OpenUserSettings(settings::kCompany, options.program);
    ReadOnlySettings settings(*stored);
    DecoderDialog* target = nullptr;
    MessageQueue queue([&target](MessageId id, WParam wparam, LParam lparam) {
        return target != nullptr ? target->HandleMessage(id, wparam, lparam) : 0;
    });
    BatchJobView view(queue, options.assumeYes,
                      [&board, index](int percent) { board.Progress(index, percent); });
    DecoderDialog dialog(view, settings, pipeline);
    target = &dialog;
    CommandLineOptions& run = dialog.Options();
    run.autoMode = run.exitWhenDone = run.noBeep = true;
    run.overwrite = options.overwrite;
    run.gapless = options.gapless;
    run.inputGiven = run.outputGiven = true;
    run.inputPath.Assign(file.input);
    run.outputPath.Assign(file.output);
    dialog.Initialize();
    while (!view.Ended()) {
        if (board.Cancelled()) {
            dialog.CancelDecode();
        }
        if (!dialog.IsDecoding() && queue.PendingCount() == 0) {
            break;
        }
        queue.WaitAndDispatch(kJobTickMs);
    }
    const int exitCode = view.OutputRefused() ? kExitOutputNotWave : ExitCodeFor(dialog.Outcome());
    const bool converted = exitCode == kExitDone || exitCode == kExitDoneWithSkips;
    return {exitCode, view.Started(),
            converted || exitCode == kExitCancelled ? view.GetProgressText() : view.Notes()};
}

bool Converted(const BatchResult& result) {
    return result.exitCode == kExitDone || result.exitCode == kExitDoneWithSkips;
}

// "[ 3/40] a.mp3 -> out/a.wav: Done!", or what kept the file from being converted.
void PrintResult(std::FILE* stream, const BatchFile& file, const BatchResult& result, size_t ended,
                 size_t total) {
    const int digits = static_cast<int>(std::to_string(total).size());
    std::fprintf(stream, "[%*zu/%zu] ", digits, ended, total);
    if (result.started) {
        std::fprintf(stream, "%s -> %s: %s\n", file.input.c_str(), file.output.c_str(),
                     result.text.c_str());
    } else {
        std::fprintf(stream, "%s: not converted (status %d): %s\n", file.input.c_str(),
                     result.exitCode, result.text.c_str());
    }
    std::fflush(stream);
}

// "42%  3/40 files  a.mp3, b.mp3" beside the bar.
std::string ProgressNote(const BatchBoard& board, size_t total) {
    std::string note = std::to_string(board.EndedCount()) + "/" + std::to_string(total) + " files";
    const std::vector<std::string> running = board.RunningNames();
    for (size_t i = 0; i < running.size(); ++i) {
        note += i == 0 ? "  " : ", ";
        note += running[i];
    }
    return note;
}

int Summarise(const BatchPlan& plan, const BatchBoard& board, const BatchOptions& options) {
    size_t converted = 0;
    bool cancelled = false;
    bool skips = false;
    std::string failures;
    for (size_t i = 0; i < plan.files.size(); ++i) {
        const BatchResult& result = board.Result(i);
        cancelled = cancelled || result.exitCode == kExitCancelled;
        skips = skips || result.exitCode == kExitDoneWithSkips;
        if (Converted(result)) {
            ++converted;
        } else {
            failures += std::string("  ") + plan.files[i].input + " (status " +
                        std::to_string(result.exitCode) + "): " + result.text + "\n";
        }
    }
    std::fprintf(options.status, "%zu of %zu files converted\n", converted, plan.files.size());
    std::fflush(options.status);
    if (!failures.empty()) {
        std::fprintf(stderr, "%s: not converted (%zu):\n%s", options.program.c_str(),
                     plan.files.size() - converted, failures.c_str());
    }
    if (cancelled) {
        return kExitCancelled;
    }
    if (!failures.empty()) {
        return kExitBatchIncomplete;
    }
    return skips ? kExitDoneWithSkips : kExitDone;
}

} // namespace

int RunBatch(const BatchPlan& plan, const BatchOptions& options) {
    const size_t total = plan.files.size();
    if (total == 0) {
        std::fprintf(stderr, "%s: no .mp3 files to convert\n", options.program.c_str());
        return kExitInputMissing;
    }
    const unsigned cores = std::max(1u, std::thread::hardware_concurrency());
    const size_t jobs = std::min<size_t>(options.jobs > 0 ? options.jobs : cores, total);
    BatchBoard board(plan);
    InstallInterruptHandlers();
    std::vector<std::thread> workers;
    for (size_t j = 0; j < jobs; ++j) {
        workers.emplace_back([&] {
            while (std::optional<size_t> file = board.Take()) {
                board.Finish(*file, ConvertFile(plan.files[*file], *file, options, board));
            }
        });
    }
    ProgressLine progress(stderr);
    size_t shown = 0;
    bool allEnded = false;
    while (!allEnded) {
        allEnded = board.WaitForEnd(kDisplayTickMs);
        if (TakeInterrupt()) {
            board.Cancel();
        }
        const std::vector<size_t> ended = board.TakeEnded();
        if (!ended.empty()) {
            progress.Clear();
        }
        for (size_t file : ended) {
            PrintResult(options.status, plan.files[file], board.Result(file), ++shown, total);
        }
        progress.Show(board.OverallPercent(), ProgressNote(board, total));
    }
    for (std::thread& worker : workers) {
        worker.join();
    }
    progress.Clear();
    return Summarise(plan, board, options);
}

} // namespace sonarel::cli
