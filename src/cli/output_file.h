// What the console checks about an output file before it replaces it.
#pragma once

#include "platform/file_system.h"

#include <string>
#include <string_view>

namespace sonarel::cli {

// True when name is a regular file that holds data and does not begin as a WAVE file does
// ("RIFF" or "RF64", a size, "WAVE"). Such a file is replaced only with -overwrite; an
// empty file, a WAVE file and anything that is not a regular file (a device, a pipe) are
// left to the overwrite question. A file that cannot be read counts as not WAVE.
bool HoldsOtherThanWave(const std::string& name);

// True when name is a regular file that holds data.
bool HoldsData(const std::string& name);

// True when question asks to overwrite output and output is such a file: the question is not
// asked, as only -overwrite (which never asks) replaces it.
bool RefusesToReplace(const std::string& question, const std::string& output);

// The refusal for such a file, naming it and the switch that replaces it.
std::string NotWaveMessage(const std::string& name);

} // namespace sonarel::cli
