// Opening files without surprises. A named pipe would block a plain open until
// some other program opens its other end, and a folder opens but cannot be
// read; inputs must also be read twice (once to look at the stream, once to
// convert it), which only a regular file allows.
#pragma once

#include <sys/stat.h>

#include <cstdint>
#include <cstdio>

namespace sonarel {

// open(2) with the given flags and mode that never waits on a named pipe: the
// returned descriptor is blocking again and info describes the file. -1 when
// the file cannot be opened.
int OpenWithoutWaiting(const char* path, int flags, int mode, struct stat& info);

// Opens path for binary reading and stores its length in size; null when it
// cannot be opened or is not a regular file.
std::FILE* OpenRegularFile(const char* path, uint64_t& size);

} // namespace sonarel
