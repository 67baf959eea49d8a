// Which files a batch conversion takes and where their outputs go. A batch is asked for by
// -recursive or -jobs, by a folder among the inputs, or by several inputs with -output naming
// a folder (an existing one, or a name ending in "/", which is created). Every bare name is
// then an input: a file is taken as named, a folder gives its .mp3 files (with -recursive,
// those of its sub-folders too, whose outputs keep their relative folders under the output
// folder). Outputs are named as the dialog proposes them in a folder.
#pragma once

#include "cli/console_command_line.h"

#include <cstdint>
#include <string>
#include <vector>

namespace sonarel::cli {

struct BatchFile {
    std::string input;
    std::string outputFolder; // the folder the dialog proposes the output in
    std::string output;       // the name it proposes there
    uintmax_t inputBytes = 0; // weighs the file in the overall progress
    std::string refusal;      // not converted, for this reason; empty: converted
};

struct BatchPlan {
    std::vector<BatchFile> files;
    std::string usageError; // the command line cannot be a batch, as a message
};

// True when the command line asks for a batch.
bool WantsBatch(const ConsoleFlags& flags);

BatchPlan PlanBatch(const ConsoleFlags& flags);

} // namespace sonarel::cli
