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
    int cursorKind = 1;
    Rect workArea{0, 0, 1920, 1080};
};

class HeadlessPlatform : public WindowingPlatform {
public:
    explicit HeadlessPlatform(const char* appName = "");

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
    void ProcessPendingEvents() override {}
    int PendingEventCount() override;

    bool CreatePlatformWindow(PlatformWindow& window, PlatformWindow* parent, int32_t options) override;
    void DestroyPlatformWindow(PlatformWindow& window) override;
    void MoveWindowTo(PlatformWindow& window, int32_t left, int32_t top, int32_t right, int32_t bottom,
                      bool repaint) override;
    void ShowPlatformWindow(PlatformWindow& window, int mode) override;
    void SetWindowTitle(PlatformWindow& window, const char* text) override;
    std::string WindowTitle(const PlatformWindow& window) override;
    Rect GetClientRect(const PlatformWindow& window) override;
    Rect GetWindowRect(const PlatformWindow& window) override;
    bool IsWindowVisible(const PlatformWindow& window) override;
    bool IsListedWindow(const PlatformWindow* window) override;
    int ListedWindowCount() override;
    void InvalidateWindow(PlatformWindow& window) override;

    void SetScrollRanges(PlatformWindow& window, int hMax, int vMax, int hPage, int vPage, bool redraw) override;
    void ShowScrollBars(PlatformWindow& window, bool horizontal, bool vertical) override {}
    void SetHorizontalScroll(PlatformWindow& window, int position, bool redraw) override;
    int GetHorizontalScroll(const PlatformWindow& window) override;
    void SetVerticalScroll(PlatformWindow& window, int position, bool redraw) override;
    int GetVerticalScroll(const PlatformWindow& window) override;

    int MenuBarHeight() override { return 0; }
    int CaptionHeight() override { return 0; }
    int ScrollBarWidth() override { return 0; }
    int DialogFrameWidth() override { return 0; }
    Rect WorkArea() override;
    void SetCursorKind(int kind) override { context.cursorKind = kind; }
    int CurrentCursorKind() override { return context.cursorKind; }

    // ---- drawing, fonts, menus, text fields, dialogs: nothing to show
    DrawingPort* GetPort() override { return context.port; }
    void SetPort(DrawingPort* port) override { context.port = port; }
    DrawingPort* WindowPort(PlatformWindow& window) override { return nullptr; }
    void FrameRect(uint32_t colour, const Rect& rect, int penWidth, int penStyle) override {}
    void FillRect(uint32_t colour, const Rect& rect) override {}
    void DrawLine(uint32_t colour, int32_t x1, int32_t y1, int32_t x2, int32_t y2, int penWidth,
                  int penStyle) override {}
    void FrameRoundRect(uint32_t colour, const Rect& rect, int corner, int penWidth, int penStyle) override {}
    void FillRoundRect(uint32_t colour, const Rect& rect, int corner) override {}
    void FrameOval(uint32_t colour, const Rect& rect, int penWidth, int penStyle) override {}
    void FillOval(uint32_t colour, const Rect& rect) override {}
    void InvertOval(const Rect& rect, int penWidth, int penStyle) override {}
    void FillTriangle(uint32_t colour, int32_t x, int32_t y, int size, int direction) override {}
    void DrawBevel(uint32_t lightColour, uint32_t darkColour, const Rect& rect, int penWidth) override {}
    void DrawRadioMark(uint32_t colour, const Rect& rect, bool selected) override {}
    void DrawCheckBox(uint32_t colour, const Rect& rect, bool checked) override {}
    void DrawPercentSlider(uint32_t frameColour, uint32_t trackColour, const Rect& rect, int value, int scale,
                           bool showNumber) override {}
    bool DrawResourceBitmap(const Rect& rect, int bitmapId, uint32_t rasterOp) override;
    bool TileResourceBitmap(const Rect& area, int bitmapId) override;
    bool ResourceBitmapSize(int bitmapId, int& width, int& height) override;
    void DrawImage(const CDib& image, int32_t x, int32_t y) override {}
    uint32_t PortPixel(DrawingPort* port, int32_t x, int32_t y) override { return 0; }
    void PortSize(DrawingPort* port, int& width, int& height) override;

    PlatformFont* UiFont(int which) override { return nullptr; }
    PlatformFont* CreateUiFont(const char* familyName, int size, int32_t flags) override { return nullptr; }
    void DeleteUiFont(PlatformFont* font) override {}
    void SelectFont(PlatformFont* font, int64_t backColour, int backMode) override {}
    void DrawText(uint32_t colour, const char* text, int32_t x, int32_t y, int alignment) override {}
    int TextWidth(const char* text) override { return 0; }

    bool CreateMenuBar(PlatformMenu& menu, PlatformWindow& window) override { return false; }
    void ReleaseMenuBar(PlatformMenu& menu) override;
    void AddMenu(PlatformMenu& menu, const char* title, int32_t options) override {}
    void AddMenuItem(PlatformMenu& menu, int commandId, const char* text, int32_t options) override {}
    void SetMenuItemState(PlatformMenu& menu, int commandId, int32_t options) override {}
    void CheckMenuItem(PlatformMenu& menu, int commandId, bool checked) override {}
    bool GetMenuItemState(const PlatformMenu& menu, int commandId, std::string& text, int32_t& options) override {
        return false;
    }
    std::vector<std::string> MenuTitles(const PlatformMenu& menu) override { return {}; }
    std::vector<int> MenuCommands(const PlatformMenu& menu, int menuIndex) override { return {}; }
    bool ChooseMenuItem(PlatformMenu& menu, int commandId) override { return false; }

    bool CreateTextField(PlatformEdit& field, PlatformWindow& parent, int32_t x, int32_t y, int32_t width,
                         int32_t height, int id, PlatformFont* font) override {
        return false;
    }
    void PlaceTextField(PlatformEdit& field, int32_t x, int32_t y, int32_t width, int32_t height,
                        bool visible) override {}
    void SetTextFieldFont(PlatformEdit& field, PlatformFont* font) override {}
    void SetTextFieldText(PlatformEdit& field, const char* text, bool selectAll) override {}
    void SelectTextFieldText(PlatformEdit& field, int first, int last) override {}
    int GetTextFieldText(const PlatformEdit& field, char* buffer, int capacity) override;
    void FocusTextField(PlatformEdit& field) override {}
    void ShowTextField(PlatformEdit& field) override {}
    void DestroyTextField(PlatformEdit& field) override {}
    bool TextFieldExists(const PlatformEdit& field) override { return false; }
    Rect TextFieldRect(const PlatformEdit& field) override;

    bool ChooseFontDialog(PlatformWindow* owner, FontChoice& choice) override { return false; }
    bool ChooseFileToOpen(PlatformWindow* owner, FileSpec& file, const char* filter, const char* title,
                          const char* initialFolder, const char* defaultExtension) override {
        return false;
    }
    bool ChooseFilesToOpen(PlatformWindow* owner, std::vector<FileSpec>& files, const char* filter, const char* title,
                           const char* initialFolder) override {
        return false;
    }
    bool ChooseFileToSave(PlatformWindow* owner, FileSpec& file, const char* filter, const char* defaultName,
                          const char* initialFolder, const char* defaultExtension) override {
        return false;
    }
    bool ShowHelp(PlatformWindow* window, const char* helpFile) override { return false; }

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
