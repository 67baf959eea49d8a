// sonarel-memory-bench: converts files one after another through one dialog and one pipeline,
// as the desktop program reuses them, and measures the resident memory after the first tenth
// of the conversions and after the last.
//
//   sonarel-memory-bench [--conversions N] OUT.wav FILE...
//
// Every conversion must end "Done!". The target: 500 conversions (the default) grow the
// resident memory by less than 768 KiB after the first 50; a leak of one 2 KB decoder chunk per
// conversion would add 900 KB. The exit status is 1 when a conversion fails, 3 when the growth
// misses the target. Under AddressSanitizer the growth says nothing (its quarantine holds freed
// memory on purpose); LeakSanitizer then checks at exit that nothing was lost.
#include "app/control_ids.h"
#include "app/decode_pipeline.h"
#include "app/decoder_dialog.h"
#include "cli/batch_job_view.h"
#include "platform/message_queue.h"
#include "platform/settings_store.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <string>
#include <unistd.h>
#include <vector>

namespace {

using namespace sonarel;

constexpr long kGrowthTargetKiB = 768;

long ResidentKiB() {
    std::ifstream statm("/proc/self/statm");
    long size = 0;
    long resident = 0;
    statm >> size >> resident;
    return resident * (sysconf(_SC_PAGESIZE) / 1024);
}

} // namespace

int main(int argc, char** argv) {
    int conversions = 500;
    int first = 1;
    if (argc > 2 && std::strcmp(argv[1], "--conversions") == 0) {
        conversions = std::atoi(argv[2]);
        first = 3;
    }
    if (conversions < 10 || argc - first < 2) {
        std::fprintf(stderr, "usage: sonarel-memory-bench [--conversions N] OUT.wav FILE...\n");
        return 2;
    }
    const std::vector<std::string> inputs(argv + first + 1, argv + argc);
    DecodePipeline pipeline;
    SettingsStore settings; // keeps nothing: the run neither reads nor changes the user's
    DecoderDialog* target = nullptr;
    MessageQueue queue([&target](MessageId id, WParam wparam, LParam lparam) {
        return target != nullptr ? target->HandleMessage(id, wparam, lparam) : 0;
    });
    cli::BatchJobView view(queue, true, [](int) {});
    DecoderDialog dialog(view, settings, pipeline);
    target = &dialog;
    CommandLineOptions& options = dialog.Options();
    options.noBeep = options.overwrite = options.inputGiven = options.outputGiven = true;
    options.inputPath.Assign(inputs[0]);
    options.outputPath.Assign(argv[first]);
    dialog.Initialize();
    long afterTenth = 0;
    for (int i = 0; i < conversions; ++i) {
        const std::string& input = inputs[static_cast<size_t>(i) % inputs.size()];
        view.SetControlText(kInputEdit, input);
        dialog.OnDecode();
        while (dialog.IsDecoding()) {
            queue.WaitAndDispatch(50);
        }
        if (dialog.Outcome() != DialogOutcome::kDone) {
            std::fprintf(stderr, "conversion %d (%s) failed: %s\n", i, input.c_str(),
                         view.Notes().c_str());
            return 1;
        }
        afterTenth = i + 1 == conversions / 10 ? ResidentKiB() : afterTenth;
    }
    const long afterAll = ResidentKiB();
    std::printf("%d conversions: resident %ld KiB after %d, %ld KiB after all, growth %ld KiB "
                "(target < %ld)\n",
                conversions, afterTenth, conversions / 10, afterAll, afterAll - afterTenth,
                kGrowthTargetKiB);
    return afterAll - afterTenth < kGrowthTargetKiB ? 0 : 3;
}
