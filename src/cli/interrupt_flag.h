// Ctrl-C (SIGINT) and SIGTERM for the console: the handler only raises a flag, which the
// message loop takes and acts on. The handler is installed without SA_RESTART, so a prompt
// blocked in read() returns at once with EINTR. SIGPIPE is ignored.
#pragma once

namespace sonarel::cli {

void InstallInterruptHandlers();

// True when a signal arrived since the last call; clears the flag.
bool TakeInterrupt();

// True when a signal arrived and has not been taken yet.
bool InterruptPending();

// True once any signal arrived, taken or not.
bool InterruptedEver();

} // namespace sonarel::cli
