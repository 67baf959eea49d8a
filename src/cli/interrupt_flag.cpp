#include "cli/interrupt_flag.h"

#include <csignal>
#include <initializer_list>

namespace sonarel::cli {
namespace {

volatile std::sig_atomic_t gInterrupted = 0;
volatile std::sig_atomic_t gInterruptedEver = 0;

extern "C" void OnInterruptSignal(int /*signal*/) {
    gInterrupted = 1;
    gInterruptedEver = 1;
}

} // namespace

void InstallInterruptHandlers() {
    struct sigaction action = {};
    action.sa_handler = OnInterruptSignal;
    sigemptyset(&action.sa_mask);
    action.sa_flags = 0; // no SA_RESTART: interrupt blocking reads
    // Ctrl-C, a kill, a closed terminal (SIGHUP) and Ctrl-\ (SIGQUIT) all cancel: the
    // conversion stops and leaves a complete WAVE file of what was written.
    for (int signal : {SIGINT, SIGTERM, SIGHUP, SIGQUIT}) {
        sigaction(signal, &action, nullptr);
    }
    // A reader of our output that goes away (sonarel-cli ... | head -1) must not kill the
    // process while the WAVE file's sizes are still placeholders; the write just fails.
    std::signal(SIGPIPE, SIG_IGN);
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
