// The headless platform: messages to standard error, preset answers to
// questions, no windows to draw into.
#include <algorithm>
#include <cstdio>
#include <cstring>
#include <string>

#include "CrossPlatform.h"
#include "HeadlessPlatform.h"

HeadlessState& Headless() {
    if (auto* headless = dynamic_cast<HeadlessPlatform*>(&CurrentPlatform())) {
        return headless->state;
    }
    static HeadlessState unused;  // another kind of platform is installed
    return unused;
}

void ResetHeadless() {
    bool quiet = Headless().quiet;
    Headless() = HeadlessState{};
    Headless().quiet = quiet;
}

void HeadlessPlatform::ShowMessage(const char* text, long number) {
    std::string line = MessageText(text, number);
    state.messages.push_back(line);
    if (!state.quiet) {
        std::fprintf(stderr, "%s\n", line.c_str());
    }
}

int HeadlessPlatform::AskYesNoCancel(const char* text, const char* caption) {
    return state.yesNoCancelAnswer;
}

bool HeadlessPlatform::AskYesNo(const char* text, const char* caption) {
    return AskYesNoCancel(text, caption) == 1;
}

void HeadlessPlatform::AskText(char* text, const char* title, const char* line1, const char* line2) {
    if (text && !state.textAnswer.empty()) {
        std::snprintf(text, 81, "%s", state.textAnswer.c_str());
    }
}

void HeadlessPlatform::Beep(int kind) {
    ++state.beeps;
}

long HeadlessPlatform::ReadClipboardText(char* buffer, long capacity) {
    const std::string& text = state.clipboard;
    if (text.empty() || !buffer || capacity <= 0) {
        return 0;
    }
    long count = std::min<long>(capacity, static_cast<long>(text.size()) + 1);
    std::memcpy(buffer, text.c_str(), static_cast<size_t>(count));
    return count;
}
