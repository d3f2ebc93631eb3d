// The signals that stop a render or a join of tavrilo-render: Ctrl+C
// (SIGINT), and SIGTERM and SIGHUP (a job being cancelled, a terminal or a
// remote session going away). While a scope is alive they only set a flag,
// which the render loop and the join ask, so that the movie made so far is
// closed (a render) or nothing is replaced (a join).
#pragma once

#include <csignal>
#include <iterator>
#include <string>

class InterruptScope {
public:
    InterruptScope();
    ~InterruptScope();
    InterruptScope(const InterruptScope&) = delete;
    InterruptScope& operator=(const InterruptScope&) = delete;

private:
    static constexpr int kSignals[] = {SIGINT, SIGTERM, SIGHUP};
    struct sigaction previous_[std::size(kSignals)]{};
};

// The signal that arrived in the current scope; 0 while none.
int InterruptSignal();
// "cancelled" (SIGINT), "stopped (SIGTERM)", "stopped (SIGHUP)".
std::string InterruptText(int signal);
