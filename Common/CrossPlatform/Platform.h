// The platform layer as one interface: the user-facing operations the core
// calls (messages, questions, the text prompt, the beep, the clipboard,
// drawing a picture into a port) and the windowing ones the editor windows
// call (the message queue, windows, scroll bars, cursors, drawing and fonts,
// menus, the text field, the system dialogs) as a table of virtual
// operations. The desktop program installs the Qt implementation at
// start-up (PlatformInit); tavrilo-render and the tests install the headless
// one. The free functions of CrossPlatform.h and PlatformWindows.h forward to
// the installed implementation, so no library leaves a symbol for a
// program's link to choose. Each operation is described where its free
// function is declared.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

struct Rect;
struct FileSpec;
struct FontChoice;
class CDib;
class PlatformWindow;
struct PlatformEvent;
struct DrawingPort;
struct PlatformFont;
struct PlatformMenu;
struct PlatformEdit;

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

// A platform with windows: the user-facing operations and the windowing
// ones. Both the Qt and the headless implementation are one; a platform
// that is only a Platform (a test's recorder) leaves the windowing calls to
// the fallback headless platform.
class WindowingPlatform : public Platform {
public:
    // ---- the layer itself (PlatformEvents.h); PlatformInit makes the Qt one
    virtual void PlatformShutdown() = 0;
    virtual const char* ApplicationName() = 0;

    // ---- the message queue (PlatformEvents.h)
    virtual int RunMessageLoop(bool onlyListedWindows) = 0;
    virtual bool PeekEvent(PlatformEvent& event) = 0;
    virtual bool WaitEvent(PlatformEvent& event) = 0;
    virtual intptr_t DispatchEvent(const PlatformEvent& event) = 0;
    virtual bool PostEvent(PlatformWindow* window, uint32_t message, uintptr_t wParam, intptr_t lParam) = 0;
    virtual void PostQuit(int code) = 0;
    virtual intptr_t SendEvent(PlatformWindow* window, uint32_t message, uintptr_t wParam, intptr_t lParam) = 0;
    virtual void DrainKeys() = 0;
    virtual void ProcessPendingEvents() = 0;
    virtual int PendingEventCount() = 0;

    // ---- windows and the window table (PlatformEvents.h)
    virtual bool CreatePlatformWindow(PlatformWindow& window, PlatformWindow* parent, int32_t options) = 0;
    // Also called by every window's destructor, created or not.
    virtual void DestroyPlatformWindow(PlatformWindow& window) = 0;
    virtual void MoveWindowTo(PlatformWindow& window, int32_t left, int32_t top, int32_t right, int32_t bottom,
                              bool repaint) = 0;
    virtual void ShowPlatformWindow(PlatformWindow& window, int mode) = 0;
    virtual void SetWindowTitle(PlatformWindow& window, const char* text) = 0;
    virtual std::string WindowTitle(const PlatformWindow& window) = 0;
    virtual Rect GetClientRect(const PlatformWindow& window) = 0;
    virtual Rect GetWindowRect(const PlatformWindow& window) = 0;
    virtual bool IsWindowVisible(const PlatformWindow& window) = 0;
    virtual bool IsListedWindow(const PlatformWindow* window) = 0;
    virtual int ListedWindowCount() = 0;
    virtual void InvalidateWindow(PlatformWindow& window) = 0;
    // Timers; a platform without them says so.
    virtual bool SetWindowTimer(PlatformWindow& window, int id, int intervalMs) { return false; }
    virtual void KillWindowTimer(PlatformWindow& window, int id) {}

    // ---- scroll bars (PlatformEvents.h)
    virtual void SetScrollRanges(PlatformWindow& window, int hMax, int vMax, int hPage, int vPage, bool redraw) = 0;
    virtual void ShowScrollBars(PlatformWindow& window, bool horizontal, bool vertical) = 0;
    virtual void SetHorizontalScroll(PlatformWindow& window, int position, bool redraw) = 0;
    virtual int GetHorizontalScroll(const PlatformWindow& window) = 0;
    virtual void SetVerticalScroll(PlatformWindow& window, int position, bool redraw) = 0;
    virtual int GetVerticalScroll(const PlatformWindow& window) = 0;

    // ---- frame metrics and cursors (PlatformEvents.h)
    virtual int MenuBarHeight() = 0;
    virtual int CaptionHeight() = 0;
    virtual int ScrollBarWidth() = 0;
    virtual int DialogFrameWidth() = 0;
    virtual Rect WorkArea() = 0;
    virtual void SetCursorKind(int kind) = 0;
    virtual int CurrentCursorKind() = 0;

    // ---- drawing into the current port (PlatformDrawing.h)
    virtual DrawingPort* GetPort() = 0;
    virtual void SetPort(DrawingPort* port) = 0;
    virtual DrawingPort* WindowPort(PlatformWindow& window) = 0;
    virtual void FrameRect(uint32_t colour, const Rect& rect, int penWidth, int penStyle) = 0;
    virtual void FillRect(uint32_t colour, const Rect& rect) = 0;
    virtual void DrawLine(uint32_t colour, int32_t x1, int32_t y1, int32_t x2, int32_t y2, int penWidth,
                          int penStyle) = 0;
    virtual void FrameRoundRect(uint32_t colour, const Rect& rect, int corner, int penWidth, int penStyle) = 0;
    virtual void FillRoundRect(uint32_t colour, const Rect& rect, int corner) = 0;
    virtual void FrameOval(uint32_t colour, const Rect& rect, int penWidth, int penStyle) = 0;
    virtual void FillOval(uint32_t colour, const Rect& rect) = 0;
    virtual void InvertOval(const Rect& rect, int penWidth, int penStyle) = 0;
    virtual void FillTriangle(uint32_t colour, int32_t x, int32_t y, int size, int direction) = 0;
    virtual void DrawBevel(uint32_t lightColour, uint32_t darkColour, const Rect& rect, int penWidth) = 0;
    virtual void DrawRadioMark(uint32_t colour, const Rect& rect, bool selected) = 0;
    virtual void DrawCheckBox(uint32_t colour, const Rect& rect, bool checked) = 0;
    virtual void DrawPercentSlider(uint32_t frameColour, uint32_t trackColour, const Rect& rect, int value, int scale,
                                   bool showNumber) = 0;
    virtual bool DrawResourceBitmap(const Rect& rect, int bitmapId, uint32_t rasterOp) = 0;
    virtual bool TileResourceBitmap(const Rect& area, int bitmapId) = 0;
    virtual bool ResourceBitmapSize(int bitmapId, int& width, int& height) = 0;
    virtual void DrawImage(const CDib& image, int32_t x, int32_t y) = 0;
    virtual uint32_t PortPixel(DrawingPort* port, int32_t x, int32_t y) = 0;
    virtual void PortSize(DrawingPort* port, int& width, int& height) = 0;

    // ---- the interface fonts and text (PlatformDrawing.h)
    virtual PlatformFont* UiFont(int which) = 0;
    virtual PlatformFont* CreateUiFont(const char* familyName, int size, int32_t flags) = 0;
    virtual void DeleteUiFont(PlatformFont* font) = 0;
    virtual void SelectFont(PlatformFont* font, int64_t backColour, int backMode) = 0;
    virtual void DrawText(uint32_t colour, const char* text, int32_t x, int32_t y, int alignment) = 0;
    virtual int TextWidth(const char* text) = 0;

    // ---- menu bars (PlatformMenus.h)
    virtual bool CreateMenuBar(PlatformMenu& menu, PlatformWindow& window) = 0;
    virtual void ReleaseMenuBar(PlatformMenu& menu) = 0;
    virtual void AddMenu(PlatformMenu& menu, const char* title, int32_t options) = 0;
    virtual void AddMenuItem(PlatformMenu& menu, int commandId, const char* text, int32_t options) = 0;
    virtual void SetMenuItemState(PlatformMenu& menu, int commandId, int32_t options) = 0;
    virtual void CheckMenuItem(PlatformMenu& menu, int commandId, bool checked) = 0;
    virtual bool GetMenuItemState(const PlatformMenu& menu, int commandId, std::string& text, int32_t& options) = 0;
    virtual std::vector<std::string> MenuTitles(const PlatformMenu& menu) = 0;
    virtual std::vector<int> MenuCommands(const PlatformMenu& menu, int menuIndex) = 0;
    virtual bool ChooseMenuItem(PlatformMenu& menu, int commandId) = 0;

    // ---- the single-line text field (PlatformTextField.h)
    virtual bool CreateTextField(PlatformEdit& field, PlatformWindow& parent, int32_t x, int32_t y, int32_t width,
                                 int32_t height, int id, PlatformFont* font) = 0;
    virtual void PlaceTextField(PlatformEdit& field, int32_t x, int32_t y, int32_t width, int32_t height,
                                bool visible) = 0;
    virtual void SetTextFieldFont(PlatformEdit& field, PlatformFont* font) = 0;
    virtual void SetTextFieldText(PlatformEdit& field, const char* text, bool selectAll) = 0;
    virtual void SelectTextFieldText(PlatformEdit& field, int first, int last) = 0;
    virtual int GetTextFieldText(const PlatformEdit& field, char* buffer, int capacity) = 0;
    virtual void FocusTextField(PlatformEdit& field) = 0;
    virtual void ShowTextField(PlatformEdit& field) = 0;
    virtual void DestroyTextField(PlatformEdit& field) = 0;
    virtual bool TextFieldExists(const PlatformEdit& field) = 0;
    virtual Rect TextFieldRect(const PlatformEdit& field) = 0;

    // ---- the system dialogs and the help page (PlatformDialogs.h)
    virtual bool ChooseFontDialog(PlatformWindow* owner, FontChoice& choice) = 0;
    virtual bool ChooseFileToOpen(PlatformWindow* owner, FileSpec& file, const char* filter, const char* title,
                                  const char* initialFolder, const char* defaultExtension) = 0;
    virtual bool ChooseFilesToOpen(PlatformWindow* owner, std::vector<FileSpec>& files, const char* filter,
                                   const char* title, const char* initialFolder) = 0;
    virtual bool ChooseFileToSave(PlatformWindow* owner, FileSpec& file, const char* filter, const char* defaultName,
                                  const char* initialFolder, const char* defaultExtension) = 0;
    virtual bool ShowHelp(PlatformWindow* window, const char* helpFile) = 0;
};

// Makes `platform` the implementation the free functions use; null removes
// it. The caller keeps ownership. Returns the one installed before.
Platform* InstallPlatform(Platform* platform);
// The installed implementation; when none is, a headless one that writes
// messages to standard error and answers questions "no".
Platform& CurrentPlatform();
// The installed implementation when it has windows; otherwise that same
// fallback headless one.
WindowingPlatform& CurrentWindowing();
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
