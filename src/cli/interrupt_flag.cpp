#include "cli/interrupt_flag.h"

#include "platform/console.h"

#include <csignal>

namespace sonarel::cli {
namespace {

volatile std::sig_atomic_t gInterrupted = 0;
volatile std::sig_atomic_t gInterruptedEver = 0;

void RaiseInterruptFlag() {
    gInterrupted = 1;
    gInterruptedEver = 1;
}

} // namespace

void InstallInterruptHandlers() {
    // Ctrl-C, a kill, a closed terminal or console window all cancel: the conversion stops
    // and leaves a complete WAVE file of what was written. A reader of our output that goes
    // away (sonarel-cli ... | head -1) makes the write fail instead of killing the process.
    InstallInterruptHandler(RaiseInterruptFlag);
}

bool TakeInterrupt() {
    if (gInterrupted == 0) {
        return false;
    }
    gInterrupted = 0;
    return true;
}

bool InterruptPending() {
    return gInterrupted != 0;
}

bool InterruptedEver() {
    return gInterruptedEver != 0;
}

} // namespace sonarel::cli
