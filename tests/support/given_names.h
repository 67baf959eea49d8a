// Names given to a dialog as the command line would give them.
#pragma once

#include "app/command_line_options.h"

#include <string>

namespace sonarel::test {

inline void GiveNames(CommandLineOptions& options, const std::string& input,
                      const std::string& output) {
    options.inputPath.Assign(input);
    options.inputGiven = true;
    options.outputPath.Assign(output);
    options.outputGiven = true;
}

} // namespace sonarel::test
