// The outcome of one step of tavrilo-render (load the show, import data,
// save, render pictures or a movie, convert a picture, join): whether it
// worked, the exit status and the one-line error. Each step returns one; the
// program prints the error of the step that failed once, last, and exits
// with its status.
#pragma once

#include <string>
#include <utility>

#include "Result.h"

struct StepResult {
    int status = 0;     // the exit status: 0 done, 1 failed, 128 + signal when stopped
    std::string error;  // the error line, without the program's name; empty: nothing to add

    bool Ok() const { return status == 0; }
};

inline StepResult StepDone() {
    return StepResult{};
}

inline StepResult StepFailed(std::string error, int status = 1) {
    return StepResult{status, std::move(error)};
}

// The step that a core call's result makes: its notes are printed at once
// ("tavrilo-render: <note>"); a failure's message becomes the step's error.
// Both are shown escaped for the terminal.
StepResult StepOf(const Result& result);

// Prints "tavrilo-render: <error>" to standard error for a failed step with
// an error line; returns the step's exit status.
int PrintStepError(const StepResult& result);
