// The text of sonarel-cli -help.
#pragma once

#include <cstdio>

namespace sonarel::cli {

void PrintUsage(std::FILE* stream, const char* program);

} // namespace sonarel::cli
