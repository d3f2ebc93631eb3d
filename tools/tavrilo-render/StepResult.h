// The outcome of one step of tavrilo-render (load the show, import data,
// save, render pictures or a movie, convert a picture, join): whether it
// worked, the exit status and the one-line error. Each step returns one; the
// program prints the error of the step that failed once, last, and exits
// with its status.
#pragma once

#include <string>
#include <utility>

struct StepResult {
    int status = 0;     // the exit status: 0 done, 1 failed, 128 + signal when stopped
    std::string error;  // the error line, without the program's name; empty: nothing to add
    // The error only says that the step failed (it is dropped when the core
    // showed why while the step ran).
    bool generic = false;

    bool Ok() const { return status == 0; }
    // The exit status, so that a step's result can be returned as one.
    operator int() const { return status; }
};

inline StepResult StepDone() {
    return StepResult{};
}

inline StepResult StepFailed(std::string error, int status = 1) {
    return StepResult{status, std::move(error), false};
}

// A failure of a core call that reports its own reasons: `error` is printed
// only when the core showed nothing.
inline StepResult StepFailedUnlessSaid(std::string error) {
    return StepResult{1, std::move(error), true};
}

// Prints "tavrilo-render: <error>" to standard error for a failed step with
// an error line; returns the step's exit status.
int PrintStepError(const StepResult& result);
