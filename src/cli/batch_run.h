// A batch conversion: the planned files converted by several jobs at once, each running the
// dialog's logic on one file after another, with one progress line for the whole batch on a
// terminal, a result line per file, and a summary that names every file not converted.
#pragma once

#include "cli/batch_plan.h"

#include <cstdio>
#include <string>

namespace sonarel::cli {

struct BatchOptions {
    int jobs = 0; // conversions at once; 0: one per processor
    bool overwrite = false;
    bool assumeYes = false;
    bool gapless = false;       // trim what the LAME tag records, as -gapless does for one file
    std::FILE* status = stdout; // result lines and the summary
    std::string program;        // names the settings file and the messages
};

// Returns the exit status: 0 when every file was converted, 3 after a cancel, 19 when any
// file was not converted, 17 when all were but some left audio out.
int RunBatch(const BatchPlan& plan, const BatchOptions& options);

} // namespace sonarel::cli
