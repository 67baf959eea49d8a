// Ctrl-C, kill and a closed terminal or console for the console converter: the handler only
// raises a flag, which the message loop takes and acts on. An interrupt also ends a prompt
// waiting for its answer.
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
