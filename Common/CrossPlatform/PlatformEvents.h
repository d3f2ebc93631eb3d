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
bool PlatformInit(const char* appName, int iconId);
// Qt: deletes the fonts, saves the settings, puts back the platform before.
void PlatformShutdown();
const char* ApplicationName();

// The main loop: returns the quit code. With the flag set, messages for
// windows outside the window table are dropped.
int RunMessageLoop(bool onlyListedWindows);
// Takes the first pending input message (key, mouse or command) without
// dispatching it; other messages stay queued. False when there is none.
bool PeekEvent(PlatformEvent& event);
// Takes the next message of any kind, waiting for one; false on quit (the
// quit message stays queued for the main loop).
bool WaitEvent(PlatformEvent& event);
// Hands a message to its window's procedure; 0 for a destroyed window.
intptr_t DispatchEvent(const PlatformEvent& event);
bool PostEvent(PlatformWindow* window, uint32_t message, uintptr_t wParam, intptr_t lParam);
void PostQuit(int code);
// Calls a window's procedure at once (null window: nothing, 0).
intptr_t SendEvent(PlatformWindow* window, uint32_t message, uintptr_t wParam, intptr_t lParam);
// Discards the pending auto-repeats of held keys (piled up while the
// program was busy); keys pressed since stay queued.
void DrainKeys();
// Lets the toolkit deliver pending input and paint, without taking
// anything from the queue (for loops that wait for nothing).
void ProcessPendingEvents();
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
// The number of messages waiting (tests and diagnostics).
int PendingEventCount();

bool CreatePlatformWindow(PlatformWindow& window, PlatformWindow* parent, int32_t options);
void DestroyPlatformWindow(PlatformWindow& window);
// Window rectangles are in screen coordinates, as GetWindowRect returns them.
void MoveWindowTo(PlatformWindow& window, const Rect& rect, bool repaint);
void MoveWindowTo(PlatformWindow& window, int32_t left, int32_t top, int32_t right, int32_t bottom, bool repaint);
// 0 hide, 1 show, 2 maximise; other values do nothing.
void ShowPlatformWindow(PlatformWindow& window, int mode);
void SetWindowTitle(PlatformWindow& window, const char* text);
std::string WindowTitle(const PlatformWindow& window);
Rect GetClientRect(const PlatformWindow& window);
Rect GetWindowRect(const PlatformWindow& window);
bool IsWindowVisible(const PlatformWindow& window);
// Whether the window is in the window table.
bool IsListedWindow(const PlatformWindow* window);
int ListedWindowCount();
// Asks for the window to be drawn again: posts a paint message.
void InvalidateWindow(PlatformWindow& window);
// Posts a timer message (wParam `id`) to the window every `intervalMs`
// until killed or the window goes; a timer message still waiting is not
// doubled. Setting a timer again changes its interval. False where the
// platform has no timers (headless).
bool SetWindowTimer(PlatformWindow& window, int id, int intervalMs);
void KillWindowTimer(PlatformWindow& window, int id);

void SetScrollRanges(PlatformWindow& window, int hMax, int vMax, int hPage, int vPage, bool redraw);
void ShowScrollBars(PlatformWindow& window, bool horizontal, bool vertical);
void SetHorizontalScroll(PlatformWindow& window, int position, bool redraw);
int GetHorizontalScroll(const PlatformWindow& window);
void SetVerticalScroll(PlatformWindow& window, int position, bool redraw);
int GetVerticalScroll(const PlatformWindow& window);
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

int MenuBarHeight();
int CaptionHeight();
int ScrollBarWidth();
int DialogFrameWidth();
Rect WorkArea();

// ---------------------------------------------------------------- cursors

// 1 arrow, 2 cross, 3 text beam, 4 forbidden, 5 four-way move, 6 north-east
// diagonal, 7 vertical, 8 north-west diagonal, 9 horizontal, 10 up arrow,
// 11 hourglass, 12-14 the program's cursors 106, 135, 136; others hide it.
void SetCursorKind(int kind);
int CurrentCursorKind();
