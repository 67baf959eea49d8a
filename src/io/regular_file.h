// Opening input files without surprises: only regular files are accepted.
// A named pipe would block the open until some other program writes to it,
// a folder opens but cannot be read, and a device or pipe cannot be read
// twice (once to look at the stream, once to convert it).
#pragma once

#include <cstdint>
#include <cstdio>

namespace sonarel {

// Opens path for binary reading and stores its length in size; null when it
// cannot be opened or is not a regular file. Never blocks on a named pipe.
std::FILE* OpenRegularFile(const char* path, uint64_t& size);

} // namespace sonarel
