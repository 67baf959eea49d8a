// The output name the dialog proposes for an input, shared by every front-end that names
// outputs (the dialog itself, the console's batch conversion).
#pragma once

#include "paths/path_name.h"

#include <string>

namespace sonarel {

// True when the two names are one file: the same text, or two names of one file (a link, a
// case-insensitive file system).
bool NamesOneFile(const std::string& a, const std::string& b);

// The name proposed in an existing folder: the folder (as named, without its trailing
// separator), the input's base name and the extension .wav; when that names the input
// itself, the first free name among base_1.wav, base_2.wav, ...
PathName ProposedOutputName(const PathName& folder, const PathName& input);

} // namespace sonarel
