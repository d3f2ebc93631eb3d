// A test platform's user-facing calls when the test does not look at them:
// messages and beeps go nowhere, questions are answered no, the clipboard is
// empty and no picture resource is found. `Base` is Platform or
// WindowingPlatform.
#pragma once

#include "Platform.h"

template <typename Base>
class SilentMessages : public Base {
public:
    void ShowMessage(const char*, long) override {}
    int AskYesNoCancel(const char*, const char*) override { return 0; }
    bool AskYesNo(const char*, const char*) override { return false; }
    void AskText(char*, const char*, const char*, const char*) override {}
    void Beep(int) override {}
    long ReadClipboardText(char*, long) override { return 0; }
    void StretchImage(const Rect&, const Rect&, void*, const CDib&) override {}
    bool LoadResourceMask(int, ResourceMask&) override { return false; }
};
