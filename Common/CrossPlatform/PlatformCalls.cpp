// The free functions of the user-facing calls: each forwards to the
// installed platform implementation.
#include "CrossPlatform.h"
#include "HeadlessPlatform.h"

namespace {

Platform* gInstalled = nullptr;
WindowingPlatform* gWindowing = nullptr;  // gInstalled when it has windows

HeadlessPlatform& Fallback() {
    static HeadlessPlatform fallback;
    return fallback;
}

}  // namespace

Platform* InstallPlatform(Platform* platform) {
    Platform* previous = gInstalled;
    gInstalled = platform;
    gWindowing = dynamic_cast<WindowingPlatform*>(platform);
    return previous;
}

bool PlatformInstalled() {
    return gInstalled != nullptr;
}

Platform& CurrentPlatform() {
    if (gInstalled) {
        return *gInstalled;
    }
    return Fallback();
}

WindowingPlatform& CurrentWindowing() {
    if (gWindowing) {
        return *gWindowing;
    }
    return Fallback();
}

void ShowMessage(const char* text, long number) {
    CurrentPlatform().ShowMessage(text, number);
}

int AskYesNoCancel(const char* text, const char* caption) {
    return CurrentPlatform().AskYesNoCancel(text, caption);
}

bool AskYesNo(const char* text, const char* caption) {
    return CurrentPlatform().AskYesNo(text, caption);
}

void AskText(char* text, const char* title, const char* line1, const char* line2) {
    CurrentPlatform().AskText(text, title, line1, line2);
}

void Beep(int kind) {
    CurrentPlatform().Beep(kind);
}

long ReadClipboardText(char* buffer, long capacity) {
    return CurrentPlatform().ReadClipboardText(buffer, capacity);
}

void StretchImage(const Rect& dest, const Rect& source, void* context, const CDib& image) {
    CurrentPlatform().StretchImage(dest, source, context, image);
}
