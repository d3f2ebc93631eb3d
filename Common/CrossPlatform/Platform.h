// The platform layer as one interface: the user-facing operations the core
// calls (messages, questions, the text prompt, the beep, the clipboard,
// drawing a picture into a port) as a table of virtual operations. The
// desktop program installs the Qt implementation at start-up; tavrilo-render
// and the tests install the headless one. The free functions of
// CrossPlatform.h forward to the installed implementation, so no library
// leaves a symbol for a program's link to choose.
#pragma once

#include <cstdint>
#include <vector>

struct Rect;
class CDib;
class PlatformWindow;

// A one-bit picture resource: one byte per pixel (1 set, 0 clear), top row
// first.
struct ResourceMask {
    int width = 0;
    int height = 0;
    std::vector<uint8_t> bits;
};

class Platform {
public:
    virtual ~Platform() = default;

    // A message the user must see, already formatted ("text  [ n ]").
    virtual void ShowMessage(const char* text, long number) = 0;
    // 1 yes, 0 no, -1 cancel.
    virtual int AskYesNoCancel(const char* text, const char* caption) = 0;
    virtual bool AskYesNo(const char* text, const char* caption) = 0;
    virtual void AskText(char* text, const char* title, const char* line1, const char* line2) = 0;
    virtual void Beep(int kind) = 0;
    virtual long ReadClipboardText(char* buffer, long capacity) = 0;
    // Draws a picture scaled into `dest` of a port (the current one when
    // `context` is null).
    virtual void StretchImage(const Rect& dest, const Rect& source, void* context, const CDib& image) = 0;
    // The one-bit picture resource `bitmapId`; false when there is none.
    virtual bool LoadResourceMask(int bitmapId, ResourceMask& mask) = 0;
};

// Makes `platform` the implementation the free functions use; null removes
// it. The caller keeps ownership. Returns the one installed before.
Platform* InstallPlatform(Platform* platform);
// The installed implementation; when none is, a headless one that writes
// messages to standard error and answers questions "no".
Platform& CurrentPlatform();
// Whether an implementation was installed.
bool PlatformInstalled();

// Installs a platform for the lifetime of the object and puts the previous
// one back afterwards.
class PlatformScope {
public:
    explicit PlatformScope(Platform& platform) : previous_(InstallPlatform(&platform)) {}
    ~PlatformScope() { InstallPlatform(previous_); }
    PlatformScope(const PlatformScope&) = delete;
    PlatformScope& operator=(const PlatformScope&) = delete;

private:
    Platform* previous_;
};
