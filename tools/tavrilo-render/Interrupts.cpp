// Signals taken as a request to stop.
#include "Interrupts.h"

namespace {

volatile std::sig_atomic_t gInterrupted = 0;

void OnInterrupt(int signal) {
    gInterrupted = signal;
}

}  // namespace

InterruptScope::InterruptScope() {
    gInterrupted = 0;
    struct sigaction action {};
    action.sa_handler = OnInterrupt;
    sigemptyset(&action.sa_mask);
    for (size_t i = 0; i < std::size(kSignals); ++i) {
        sigaction(kSignals[i], &action, &previous_[i]);
    }
}

InterruptScope::~InterruptScope() {
    for (size_t i = 0; i < std::size(kSignals); ++i) {
        sigaction(kSignals[i], &previous_[i], nullptr);
    }
}

int InterruptSignal() {
    return gInterrupted;
}

std::string InterruptText(int signal) {
    switch (signal) {
        case SIGTERM:
            return "stopped (SIGTERM)";
        case SIGHUP:
            return "stopped (SIGHUP)";
        default:
            return "cancelled";
    }
}
