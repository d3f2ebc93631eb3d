// The headless platform: messages to standard error, preset answers to
// questions, no windows to draw into.
#include <cstdio>
#include <algorithm>
#include <cstring>
#include <string>

#include "CrossPlatform.h"
#include "HeadlessPlatform.h"

HeadlessState& Headless() {
    static HeadlessState state;
    return state;
}

void ResetHeadless() {
    bool quiet = Headless().quiet;
    Headless() = HeadlessState{};
    Headless().quiet = quiet;
}

void ShowMessage(const char* text, long number) {
    char line[600] = {};
    if (number == kNoNumber) {
        std::snprintf(line, sizeof(line), "%s", text ? text : "");
    } else {
        std::snprintf(line, sizeof(line), "%s  [ %ld ]", text ? text : "", number);
    }
    Headless().messages.emplace_back(line);
    if (!Headless().quiet) {
        std::fprintf(stderr, "%s\n", line);
    }
}

int AskYesNoCancel(const char* text, const char* caption) {
    (void)text;
    (void)caption;
    return Headless().yesNoCancelAnswer;
}

bool AskYesNo(const char* text, const char* caption) {
    return AskYesNoCancel(text, caption) == 1;
}

void AskText(char* text, const char* title, const char* line1, const char* line2) {
    if (text && !Headless().textAnswer.empty()) {
        std::snprintf(text, 81, "%s", Headless().textAnswer.c_str());
    }
}

void Beep(int kind) { ++Headless().beeps; }

long ReadClipboardText(char* buffer, long capacity) {
    const std::string& text = Headless().clipboard;
    if (text.empty() || !buffer || capacity <= 0) {
        return 0;
    }
    long count = std::min<long>(capacity, static_cast<long>(text.size()) + 1);
    std::memcpy(buffer, text.c_str(), static_cast<size_t>(count));
    return count;
}

void StretchImage(const Rect& dest, const Rect& source, void* context, const CDib& image) {}
