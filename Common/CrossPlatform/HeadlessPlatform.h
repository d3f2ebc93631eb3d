// The headless implementation of the platform layer, used by tavrilo-render
// and the tests: messages go to standard error and are remembered, questions
// are answered by preset answers, and the windowing calls work without a
// display:
// - The message queue is in memory. PostEvent, PostQuit, PeekEvent,
//   DispatchEvent, SendEvent, DrainKeys and PendingEventCount behave as on
//   the desktop. WaitEvent never blocks: nothing outside the program can
//   post, so an empty queue answers false, as a waiting quit message does.
//   RunMessageLoop dispatches until the quit message (its code) or until the
//   queue is empty (0).
// - Windows are records in a window table: creating one succeeds (false
//   only for a window already created) and leaves `native` null, so callers
//   that place or draw only when a native window exists skip that work.
//   Rectangles, visibility, titles and scroll positions are remembered;
//   the client area is the window's rectangle from (0, 0). Moving posts
//   nothing; InvalidateWindow posts a paint message, as on the desktop.
//   Destroying a window drops its queued messages.
// - Drawing paints nothing: there is no port (GetPort is what SetPort was
//   given), pixels read 0 and ports have no size; the interface fonts are
//   null and text has no width. Resource pictures report the compiled-in
//   ones (LoadResourceMask) as drawn.
// - Menu bars and text fields are not made (their calls answer false,
//   nothing or empty); dialogs answer cancel; the help page is not shown.
// What it does not remember is the roles' default (Platform.h).
// - ApplicationName is the name the platform was made with; the work area
//   is `HeadlessContext::workArea`; PlatformShutdown empties the queue.
#pragma once

#include <map>
#include <string>
#include <vector>

#include "EventQueue.h"
#include "Platform.h"

struct HeadlessState {
    std::vector<std::string> messages;  // every message shown, as shown
    int beeps = 0;
    int yesNoCancelAnswer = 0;  // answer to AskYesNoCancel and AskYesNo (1 yes)
    std::string textAnswer;     // answer to AskText; empty keeps the pre-filled text
    std::string clipboard;      // what ReadClipboardText returns
    bool quiet = false;         // true: do not print messages
};

// A window of the headless window table.
struct HeadlessWindow {
    int32_t options = 0;
    bool visible = false;
    Rect rect;
    std::string title;
    int hScroll = 0;
    int vScroll = 0;
    int hScrollMax = 0;  // highest position (0 until ranges are set)
    int vScrollMax = 0;
};

// Everything the headless windowing calls remember, in one object.
struct HeadlessContext {
    std::string appName;
    EventQueue queue;
    uint32_t dispatchingKeyPress = 0;
    std::map<const PlatformWindow*, HeadlessWindow> windows;
    DrawingPort* port = nullptr;
    CursorKind cursorKind = kCursorArrow;
    Rect workArea{0, 0, 1920, 1080};
};

class HeadlessPlatform : public WindowingPlatform {
public:
    explicit HeadlessPlatform(const char* appName = "");

    // ---- messages (Headless.cpp)
    void ShowMessage(const char* text, long number) override;
    int AskYesNoCancel(const char* text, const char* caption) override;
    bool AskYesNo(const char* text, const char* caption) override;
    void AskText(char* text, const char* title, const char* line1, const char* line2) override;
    void Beep(int kind) override;
    long ReadClipboardText(char* buffer, long capacity) override;
    void StretchImage(const Rect& dest, const Rect& source, void* context, const CDib& image) override {}
    // The pictures compiled into the program (ResourceMasks.cpp).
    bool LoadResourceMask(int bitmapId, ResourceMask& mask) override;

    // ---- the layer, the queue and the windows (HeadlessWindows.cpp)
    void PlatformShutdown() override;
    const char* ApplicationName() override;
    int RunMessageLoop(bool onlyListedWindows) override;
    bool PeekEvent(PlatformEvent& event) override;
    bool WaitEvent(PlatformEvent& event) override;
    intptr_t DispatchEvent(const PlatformEvent& event) override;
    bool PostEvent(PlatformWindow* window, uint32_t message, uintptr_t wParam, intptr_t lParam) override;
    void PostQuit(int code) override;
    intptr_t SendEvent(PlatformWindow* window, uint32_t message, uintptr_t wParam, intptr_t lParam) override;
    void DrainKeys() override;
    int PendingEventCount() override;

    bool CreatePlatformWindow(PlatformWindow& window, PlatformWindow* parent, int32_t options) override;
    void DestroyPlatformWindow(PlatformWindow& window) override;
    void MoveWindowTo(PlatformWindow& window, int32_t left, int32_t top, int32_t right, int32_t bottom,
                      bool repaint) override;
    void ShowPlatformWindow(PlatformWindow& window, WindowShowMode mode) override;
    void SetWindowTitle(PlatformWindow& window, const char* text) override;
    std::string WindowTitle(const PlatformWindow& window) override;
    Rect GetClientRect(const PlatformWindow& window) override;
    Rect GetWindowRect(const PlatformWindow& window) override;
    bool IsWindowVisible(const PlatformWindow& window) override;
    bool IsListedWindow(const PlatformWindow* window) override;
    int ListedWindowCount() override;
    void InvalidateWindow(PlatformWindow& window) override;

    void SetScrollRanges(PlatformWindow& window, int hMax, int vMax, int hPage, int vPage, bool redraw) override;
    void SetHorizontalScroll(PlatformWindow& window, int position, bool redraw) override;
    int GetHorizontalScroll(const PlatformWindow& window) override;
    void SetVerticalScroll(PlatformWindow& window, int position, bool redraw) override;
    int GetVerticalScroll(const PlatformWindow& window) override;

    Rect WorkArea() override;
    void SetCursorKind(CursorKind kind) override { context.cursorKind = kind; }
    CursorKind CurrentCursorKind() override { return context.cursorKind; }

    // ---- drawing: the port given, the compiled-in pictures; nothing drawn
    DrawingPort* GetPort() override { return context.port; }
    void SetPort(DrawingPort* port) override { context.port = port; }
    bool DrawResourceBitmap(const Rect& rect, int bitmapId, uint32_t rasterOp) override;
    bool TileResourceBitmap(const Rect& area, int bitmapId) override;
    bool ResourceBitmapSize(int bitmapId, int& width, int& height) override;
    void PortSize(DrawingPort* port, int& width, int& height) override;

    // ---- menus and text fields: none made, their records emptied
    void ReleaseMenuBar(PlatformMenu& menu) override;
    int GetTextFieldText(const PlatformEdit& field, char* buffer, int capacity) override;

    HeadlessState state;
    HeadlessContext context;

private:
    HeadlessWindow* Find(const PlatformWindow* window);
};

// The state of the installed headless platform (of the fallback one when
// another kind, or none, is installed).
HeadlessState& Headless();
// Clears the remembered messages and beeps and restores the default answers
// (keeps `quiet`).
void ResetHeadless();
