// The free functions of the windowing calls: each forwards to the installed
// platform implementation (PlatformInit, which makes the Qt one, lives with
// it). The few calls built from others are here too, so that every
// implementation shares them.
#include "PlatformWindows.h"

PlatformWindow::~PlatformWindow() {
    CurrentWindowing().DestroyPlatformWindow(*this);
}

void MoveWindowTo(PlatformWindow& window, const Rect& rect, bool repaint) {
    MoveWindowTo(window, rect.left, rect.top, rect.right, rect.bottom, repaint);
}

void DrawLine(uint32_t colour, const Rect& rect, int penWidth, int penStyle) {
    DrawLine(colour, rect.left, rect.top, rect.right, rect.bottom, penWidth, penStyle);
}

int HandleScroll(PlatformWindow& window, uint32_t message, uintptr_t code, intptr_t lineAmount) {
    const bool horizontal = message == kMsgHScroll;
    const Rect client = GetClientRect(window);
    int position = horizontal ? GetHorizontalScroll(window) : GetVerticalScroll(window);
    const int page = horizontal ? client.right : client.bottom;
    switch (static_cast<int>(code & 0xFFFF)) {
        case kScrollLineBack:
            position -= static_cast<int>(lineAmount);
            break;
        case kScrollLineForward:
            position += static_cast<int>(lineAmount);
            break;
        case kScrollPageBack:
            position -= page;
            break;
        case kScrollPageForward:
            position += page;
            break;
        case kScrollThumbPosition:
        case kScrollThumbTrack:
            position = static_cast<int>((code >> 16) & 0xFFFF);
            break;
        default:
            break;
    }
    if (horizontal) {
        SetHorizontalScroll(window, position, true);
        return GetHorizontalScroll(window);
    }
    SetVerticalScroll(window, position, true);
    return GetVerticalScroll(window);
}

void PlatformShutdown() {
    CurrentWindowing().PlatformShutdown();
}

const char* ApplicationName() {
    return CurrentWindowing().ApplicationName();
}

int RunMessageLoop(bool onlyListedWindows) {
    return CurrentWindowing().RunMessageLoop(onlyListedWindows);
}

bool PeekEvent(PlatformEvent& event) {
    return CurrentWindowing().PeekEvent(event);
}

bool WaitEvent(PlatformEvent& event) {
    return CurrentWindowing().WaitEvent(event);
}

intptr_t DispatchEvent(const PlatformEvent& event) {
    return CurrentWindowing().DispatchEvent(event);
}

bool PostEvent(PlatformWindow* window, uint32_t message, uintptr_t wParam, intptr_t lParam) {
    return CurrentWindowing().PostEvent(window, message, wParam, lParam);
}

void PostQuit(int code) {
    CurrentWindowing().PostQuit(code);
}

intptr_t SendEvent(PlatformWindow* window, uint32_t message, uintptr_t wParam, intptr_t lParam) {
    return CurrentWindowing().SendEvent(window, message, wParam, lParam);
}

void DrainKeys() {
    CurrentWindowing().DrainKeys();
}

void ProcessPendingEvents() {
    CurrentWindowing().ProcessPendingEvents();
}

int PendingEventCount() {
    return CurrentWindowing().PendingEventCount();
}

bool CreatePlatformWindow(PlatformWindow& window, PlatformWindow* parent, int32_t options) {
    return CurrentWindowing().CreatePlatformWindow(window, parent, options);
}

void DestroyPlatformWindow(PlatformWindow& window) {
    CurrentWindowing().DestroyPlatformWindow(window);
}

void MoveWindowTo(PlatformWindow& window, int32_t left, int32_t top, int32_t right, int32_t bottom, bool repaint) {
    CurrentWindowing().MoveWindowTo(window, left, top, right, bottom, repaint);
}

void ShowPlatformWindow(PlatformWindow& window, int mode) {
    CurrentWindowing().ShowPlatformWindow(window, mode);
}

void SetWindowTitle(PlatformWindow& window, const char* text) {
    CurrentWindowing().SetWindowTitle(window, text);
}

std::string WindowTitle(const PlatformWindow& window) {
    return CurrentWindowing().WindowTitle(window);
}

Rect GetClientRect(const PlatformWindow& window) {
    return CurrentWindowing().GetClientRect(window);
}

Rect GetWindowRect(const PlatformWindow& window) {
    return CurrentWindowing().GetWindowRect(window);
}

bool IsWindowVisible(const PlatformWindow& window) {
    return CurrentWindowing().IsWindowVisible(window);
}

bool IsListedWindow(const PlatformWindow* window) {
    return CurrentWindowing().IsListedWindow(window);
}

int ListedWindowCount() {
    return CurrentWindowing().ListedWindowCount();
}

void InvalidateWindow(PlatformWindow& window) {
    CurrentWindowing().InvalidateWindow(window);
}

bool SetWindowTimer(PlatformWindow& window, int id, int intervalMs) {
    return CurrentWindowing().SetWindowTimer(window, id, intervalMs);
}

void KillWindowTimer(PlatformWindow& window, int id) {
    CurrentWindowing().KillWindowTimer(window, id);
}

void SetScrollRanges(PlatformWindow& window, int hMax, int vMax, int hPage, int vPage, bool redraw) {
    CurrentWindowing().SetScrollRanges(window, hMax, vMax, hPage, vPage, redraw);
}

void ShowScrollBars(PlatformWindow& window, bool horizontal, bool vertical) {
    CurrentWindowing().ShowScrollBars(window, horizontal, vertical);
}

void SetHorizontalScroll(PlatformWindow& window, int position, bool redraw) {
    CurrentWindowing().SetHorizontalScroll(window, position, redraw);
}

int GetHorizontalScroll(const PlatformWindow& window) {
    return CurrentWindowing().GetHorizontalScroll(window);
}

void SetVerticalScroll(PlatformWindow& window, int position, bool redraw) {
    CurrentWindowing().SetVerticalScroll(window, position, redraw);
}

int GetVerticalScroll(const PlatformWindow& window) {
    return CurrentWindowing().GetVerticalScroll(window);
}

int MenuBarHeight() {
    return CurrentWindowing().MenuBarHeight();
}

int CaptionHeight() {
    return CurrentWindowing().CaptionHeight();
}

int ScrollBarWidth() {
    return CurrentWindowing().ScrollBarWidth();
}

int DialogFrameWidth() {
    return CurrentWindowing().DialogFrameWidth();
}

Rect WorkArea() {
    return CurrentWindowing().WorkArea();
}

void SetCursorKind(int kind) {
    CurrentWindowing().SetCursorKind(kind);
}

int CurrentCursorKind() {
    return CurrentWindowing().CurrentCursorKind();
}

PlatformPort GetPort() {
    return CurrentWindowing().GetPort();
}

void SetPort(PlatformPort port) {
    CurrentWindowing().SetPort(port);
}

PlatformPort WindowPort(PlatformWindow& window) {
    return CurrentWindowing().WindowPort(window);
}

void FrameRect(uint32_t colour, const Rect& rect, int penWidth, int penStyle) {
    CurrentWindowing().FrameRect(colour, rect, penWidth, penStyle);
}

void FillRect(uint32_t colour, const Rect& rect) {
    CurrentWindowing().FillRect(colour, rect);
}

void DrawLine(uint32_t colour, int32_t x1, int32_t y1, int32_t x2, int32_t y2, int penWidth, int penStyle) {
    CurrentWindowing().DrawLine(colour, x1, y1, x2, y2, penWidth, penStyle);
}

void FrameRoundRect(uint32_t colour, const Rect& rect, int corner, int penWidth, int penStyle) {
    CurrentWindowing().FrameRoundRect(colour, rect, corner, penWidth, penStyle);
}

void FillRoundRect(uint32_t colour, const Rect& rect, int corner) {
    CurrentWindowing().FillRoundRect(colour, rect, corner);
}

void FrameOval(uint32_t colour, const Rect& rect, int penWidth, int penStyle) {
    CurrentWindowing().FrameOval(colour, rect, penWidth, penStyle);
}

void FillOval(uint32_t colour, const Rect& rect) {
    CurrentWindowing().FillOval(colour, rect);
}

void InvertOval(const Rect& rect, int penWidth, int penStyle) {
    CurrentWindowing().InvertOval(rect, penWidth, penStyle);
}

void FillTriangle(uint32_t colour, int32_t x, int32_t y, int size, int direction) {
    CurrentWindowing().FillTriangle(colour, x, y, size, direction);
}

void DrawBevel(uint32_t lightColour, uint32_t darkColour, const Rect& rect, int penWidth) {
    CurrentWindowing().DrawBevel(lightColour, darkColour, rect, penWidth);
}

void DrawRadioMark(uint32_t colour, const Rect& rect, bool selected) {
    CurrentWindowing().DrawRadioMark(colour, rect, selected);
}

void DrawCheckBox(uint32_t colour, const Rect& rect, bool checked) {
    CurrentWindowing().DrawCheckBox(colour, rect, checked);
}

void DrawPercentSlider(uint32_t frameColour, uint32_t trackColour, const Rect& rect, int value, int scale,
                       bool showNumber) {
    CurrentWindowing().DrawPercentSlider(frameColour, trackColour, rect, value, scale, showNumber);
}

bool DrawResourceBitmap(const Rect& rect, int bitmapId, uint32_t rasterOp) {
    return CurrentWindowing().DrawResourceBitmap(rect, bitmapId, rasterOp);
}

bool TileResourceBitmap(const Rect& area, int bitmapId) {
    return CurrentWindowing().TileResourceBitmap(area, bitmapId);
}

bool ResourceBitmapSize(int bitmapId, int& width, int& height) {
    return CurrentWindowing().ResourceBitmapSize(bitmapId, width, height);
}

void DrawImage(const CDib& image, int32_t x, int32_t y) {
    CurrentWindowing().DrawImage(image, x, y);
}

uint32_t PortPixel(PlatformPort port, int32_t x, int32_t y) {
    return CurrentWindowing().PortPixel(port, x, y);
}

void PortSize(PlatformPort port, int& width, int& height) {
    CurrentWindowing().PortSize(port, width, height);
}

PlatformFont* UiFont(int which) {
    return CurrentWindowing().UiFont(which);
}

PlatformFont* CreateUiFont(const char* familyName, int size, int32_t flags) {
    return CurrentWindowing().CreateUiFont(familyName, size, flags);
}

void DeleteUiFont(PlatformFont* font) {
    CurrentWindowing().DeleteUiFont(font);
}

void SelectFont(PlatformFont* font, int64_t backColour, int backMode) {
    CurrentWindowing().SelectFont(font, backColour, backMode);
}

void DrawText(uint32_t colour, const char* text, int32_t x, int32_t y, int alignment) {
    CurrentWindowing().DrawText(colour, text, x, y, alignment);
}

int TextWidth(const char* text) {
    return CurrentWindowing().TextWidth(text);
}

bool CreateMenuBar(PlatformMenu& menu, PlatformWindow& window) {
    return CurrentWindowing().CreateMenuBar(menu, window);
}

void ReleaseMenuBar(PlatformMenu& menu) {
    CurrentWindowing().ReleaseMenuBar(menu);
}

void AddMenu(PlatformMenu& menu, const char* title, int32_t options) {
    CurrentWindowing().AddMenu(menu, title, options);
}

void AddMenuItem(PlatformMenu& menu, int commandId, const char* text, int32_t options) {
    CurrentWindowing().AddMenuItem(menu, commandId, text, options);
}

void SetMenuItemState(PlatformMenu& menu, int commandId, int32_t options) {
    CurrentWindowing().SetMenuItemState(menu, commandId, options);
}

void CheckMenuItem(PlatformMenu& menu, int commandId, bool checked) {
    CurrentWindowing().CheckMenuItem(menu, commandId, checked);
}

bool GetMenuItemState(const PlatformMenu& menu, int commandId, std::string& text, int32_t& options) {
    return CurrentWindowing().GetMenuItemState(menu, commandId, text, options);
}

std::vector<std::string> MenuTitles(const PlatformMenu& menu) {
    return CurrentWindowing().MenuTitles(menu);
}

std::vector<int> MenuCommands(const PlatformMenu& menu, int menuIndex) {
    return CurrentWindowing().MenuCommands(menu, menuIndex);
}

bool ChooseMenuItem(PlatformMenu& menu, int commandId) {
    return CurrentWindowing().ChooseMenuItem(menu, commandId);
}

bool CreateTextField(PlatformEdit& field, PlatformWindow& parent, int32_t x, int32_t y, int32_t width, int32_t height,
                     int id, PlatformFont* font) {
    return CurrentWindowing().CreateTextField(field, parent, x, y, width, height, id, font);
}

void PlaceTextField(PlatformEdit& field, int32_t x, int32_t y, int32_t width, int32_t height, bool visible) {
    CurrentWindowing().PlaceTextField(field, x, y, width, height, visible);
}

void SetTextFieldFont(PlatformEdit& field, PlatformFont* font) {
    CurrentWindowing().SetTextFieldFont(field, font);
}

void SetTextFieldText(PlatformEdit& field, const char* text, bool selectAll) {
    CurrentWindowing().SetTextFieldText(field, text, selectAll);
}

void SelectTextFieldText(PlatformEdit& field, int first, int last) {
    CurrentWindowing().SelectTextFieldText(field, first, last);
}

int GetTextFieldText(const PlatformEdit& field, char* buffer, int capacity) {
    return CurrentWindowing().GetTextFieldText(field, buffer, capacity);
}

void FocusTextField(PlatformEdit& field) {
    CurrentWindowing().FocusTextField(field);
}

void ShowTextField(PlatformEdit& field) {
    CurrentWindowing().ShowTextField(field);
}

void DestroyTextField(PlatformEdit& field) {
    CurrentWindowing().DestroyTextField(field);
}

bool TextFieldExists(const PlatformEdit& field) {
    return CurrentWindowing().TextFieldExists(field);
}

Rect TextFieldRect(const PlatformEdit& field) {
    return CurrentWindowing().TextFieldRect(field);
}

bool ChooseFontDialog(PlatformWindow* owner, FontChoice& choice) {
    return CurrentWindowing().ChooseFontDialog(owner, choice);
}

bool ChooseFileToOpen(PlatformWindow* owner, FileSpec& file, const char* filter, const char* title,
                      const char* initialFolder, const char* defaultExtension) {
    return CurrentWindowing().ChooseFileToOpen(owner, file, filter, title, initialFolder, defaultExtension);
}

bool ChooseFilesToOpen(PlatformWindow* owner, std::vector<FileSpec>& files, const char* filter, const char* title,
                       const char* initialFolder) {
    return CurrentWindowing().ChooseFilesToOpen(owner, files, filter, title, initialFolder);
}

bool ChooseFileToSave(PlatformWindow* owner, FileSpec& file, const char* filter, const char* defaultName,
                      const char* initialFolder, const char* defaultExtension) {
    return CurrentWindowing().ChooseFileToSave(owner, file, filter, defaultName, initialFolder, defaultExtension);
}

bool ShowHelp(PlatformWindow* window, const char* helpFile) {
    return CurrentWindowing().ShowHelp(window, helpFile);
}
