// What the command line sets for a run: the dialog's option flags and its two file names.
#pragma once

#include "paths/path_name.h"

namespace sonarel {

struct CommandLineOptions {
    bool autoMode = false;     // start the decode at the end of initialisation
    bool exitWhenDone = false; // close after a decode that ended with result 0
    bool noBeep = false;       // no sound when a decode ends
    bool overwrite = false;    // replace an existing output in auto mode without asking
    bool gapless = false;      // trim the encoder delay and padding a LAME tag records
    bool inputGiven = false;   // inputPath came from the command line
    bool outputGiven = false;  // outputPath came from the command line
    // Both start as the current folder (the assignment rule of an empty name).
    PathName inputPath{""};
    PathName outputPath{""};
};

} // namespace sonarel
