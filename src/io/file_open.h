// Opening an output file without surprises: a named pipe would block a plain
// open until some other program opens its other end.
#pragma once

#include <sys/stat.h>

#include <cstdint>
#include <cstdio>

namespace sonarel {

// open(2) with the given flags and mode that never waits on a named pipe: the
// returned descriptor is blocking again and info describes the file. -1 when
// the file cannot be opened.
int OpenWithoutWaiting(const char* path, int flags, int mode, struct stat& info);

} // namespace sonarel
