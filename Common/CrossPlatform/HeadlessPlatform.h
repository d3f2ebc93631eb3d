// The headless implementation of the platform layer, used by tavrilo-render
// and the tests: messages go to standard error and are remembered, questions
// are answered by preset answers, there are no windows to draw into.
#pragma once

#include <string>
#include <vector>

#include "Platform.h"

struct HeadlessState {
    std::vector<std::string> messages;  // every message shown, as shown
    int beeps = 0;
    int yesNoCancelAnswer = 0;  // answer to AskYesNoCancel and AskYesNo (1 yes)
    std::string textAnswer;     // answer to AskText; empty keeps the pre-filled text
    std::string clipboard;      // what ReadClipboardText returns
    bool quiet = false;         // true: do not print messages
};

class HeadlessPlatform : public Platform {
public:
    void ShowMessage(const char* text, long number) override;
    int AskYesNoCancel(const char* text, const char* caption) override;
    bool AskYesNo(const char* text, const char* caption) override;
    void AskText(char* text, const char* title, const char* line1, const char* line2) override;
    void Beep(int kind) override;
    long ReadClipboardText(char* buffer, long capacity) override;
    void StretchImage(const Rect& dest, const Rect& source, void* context, const CDib& image) override {}
    // The pictures compiled into the program (ResourceMasks.cpp).
    bool LoadResourceMask(int bitmapId, ResourceMask& mask) override;

    HeadlessState state;
};

// The state of the installed headless platform (of the fallback one when
// another kind, or none, is installed).
HeadlessState& Headless();
// Clears the remembered messages and beeps and restores the default answers
// (keeps `quiet`).
void ResetHeadless();
