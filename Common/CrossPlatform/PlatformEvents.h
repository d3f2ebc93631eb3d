// The queue and the windows of the platform layer: the program's message
// vocabulary, start-up, the message loops, program windows, scroll bars,
// frame metrics and cursors. Forward to the installed platform; no Qt here.
#pragma once

#include <cstdint>
#include <string>

#include "CrossPlatform.h"
#include "KeyCodes.h"

// ---------------------------------------------------------------- messages

// The program's message vocabulary (the classic desktop numbers).
enum : uint32_t {
    kMsgMove = 3,
    kMsgSize = 5,
    kMsgPaint = 15,
    kMsgClose = 16,
    kMsgQuit = 18,
    kMsgKeyDown = 0x100,
    kMsgKeyUp = 0x101,
    kMsgChar = 0x102,
    kMsgCommand = 0x111,
    kMsgHScroll = 0x114,
    kMsgVScroll = 0x115,
    kMsgTimer = 0x113,  // wParam: the timer's id
    kMsgMouseMove = 0x200,
    kMsgLeftDown = 0x201,
    kMsgLeftUp = 0x202,
    kMsgLeftDouble = 0x203,
    kMsgRightDown = 0x204,
    kMsgRightUp = 0x205,
    kMsgClosing = 12345,  // posted by the main window before the quit message
    kCancelDrag = 1234532,
};

// Mouse messages carry the point as lParam: x in the low 16 bits, y in the
// next 16 (both signed). Size messages carry the client width and height.
inline intptr_t MakePointParam(int32_t x, int32_t y) {
    return static_cast<intptr_t>(static_cast<uint16_t>(x)) | (static_cast<intptr_t>(static_cast<uint16_t>(y)) << 16);
}
inline int32_t PointParamX(intptr_t lParam) {
    return static_cast<int16_t>(lParam & 0xFFFF);
}
inline int32_t PointParamY(intptr_t lParam) {
    return static_cast<int16_t>((lParam >> 16) & 0xFFFF);
}

// Key-down lParam bit set for an auto-repeated key.
constexpr intptr_t kKeyRepeatBit = intptr_t{1} << 30;
// Mouse wParam bits.
enum : uintptr_t { kMouseLeft = 1, kMouseRight = 2, kMouseShift = 4, kMouseControl = 8 };

class PlatformWindow;

// A message taken from the queue.
struct PlatformEvent {
    PlatformWindow* window = nullptr;  // null for the quit message
    uint32_t message = 0;
    uintptr_t wParam = 0;
    intptr_t lParam = 0;
    uint32_t time = 0;  // TickCount when queued
    int32_t x = 0;      // pointer position (screen) when queued
    int32_t y = 0;
    uint32_t keyPress = 0;  // key-down and its character share this number
};

// ---------------------------------------------------------------- windows

// Window creation options.
enum WindowOptions : int32_t {
    kWindowThinBorder = 0x001,
    kWindowPopup = 0x002,
    kWindowSizing = 0x004,
    kWindowCaption = 0x008,
    kWindowSystemMenu = 0x010,
    kWindowHScroll = 0x020,
    kWindowVScroll = 0x040,
    kWindowOverlapped = 0x080,
    kWindowFrame = 0x100,
    kWindowUnlisted = 0x200,
};

struct NativeWindow;

// The base of every program window: a window procedure and a paint
// operation, the native window, an owner and the class name.
class PlatformWindow {
public:
    PlatformWindow() = default;
    virtual ~PlatformWindow();
    PlatformWindow(const PlatformWindow&) = delete;
    PlatformWindow& operator=(const PlatformWindow&) = delete;

    // Handles a message: 1 handled, 0 for the default processing.
    virtual intptr_t WindowProc(uint32_t message, uintptr_t wParam, intptr_t lParam) { return 1; }
    // Draws the window into its port.
    virtual void Paint() {}

    NativeWindow* native = nullptr;
    PlatformWindow* owner = nullptr;
    char className[32] = {};
};

// Starts the Qt layer and installs it: the application object, the name (63
// characters at most), the icon, the five interface fonts, the work area, an
// empty window table and the settings file. Defined by the Qt platform.
void PlatformInit(const char* appName, int iconId);

// The calls of the queue and the windows (PlatformShutdown, ApplicationName,
// RunMessageLoop, PeekEvent, WaitEvent, DispatchEvent, PostEvent, PostQuit,
// SendEvent, DrainKeys, ProcessPendingEvents, PendingEventCount; creating,
// placing, showing and naming windows, scroll bars, frame metrics, cursors),
// described in PlatformCalls.def.
#define PLATFORM_QUEUE(result, name, parameters, arguments) result name parameters;
#define PLATFORM_WINDOWS(result, name, parameters, arguments) result name parameters;
#include "PlatformCalls.def"

// Hands a key message a child window does not keep on to its parent (the
// main window handles the keyboard); Shift on its own is not passed on.
inline void PassKeyToParent(PlatformWindow* parent, uint32_t message, uintptr_t wParam, intptr_t lParam) {
    if (wParam != kKeyShift && parent) {
        SendEvent(parent, message, wParam, lParam);
    }
}
// Whether a key-down message is an auto-repeat of a held key.
inline bool IsRepeatedKey(const PlatformEvent& event) {
    return (event.lParam & kKeyRepeatBit) != 0;
}

// MoveWindowTo with the four sides of a rectangle.
void MoveWindowTo(PlatformWindow& window, const Rect& rect, bool repaint);

// Scroll codes carried in the low word of a scroll message's wParam.
enum ScrollCode : int {
    kScrollLineBack = 0,
    kScrollLineForward = 1,
    kScrollPageBack = 2,
    kScrollPageForward = 3,
    kScrollThumbPosition = 4,
    kScrollThumbTrack = 5
};
// The shared scroll behaviour for a scroll message; returns the new position.
int HandleScroll(PlatformWindow& window, uint32_t message, uintptr_t code, intptr_t lineAmount);
