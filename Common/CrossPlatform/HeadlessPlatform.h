// The headless side of the platform layer, used by tavrilo-render and the
// tests: messages go to standard error and are remembered, questions are
// answered by preset answers.
#pragma once

#include <string>
#include <vector>

struct HeadlessState {
    std::vector<std::string> messages;  // every message shown, as shown
    int beeps = 0;
    int yesNoCancelAnswer = 0;  // answer to AskYesNoCancel and AskYesNo (1 yes)
    std::string textAnswer;     // answer to AskText; empty keeps the pre-filled text
    std::string clipboard;      // what ReadClipboardText returns
    bool quiet = false;         // true: do not print messages
};

HeadlessState& Headless();
// Clears the remembered messages and beeps and restores the default answers.
void ResetHeadless();
