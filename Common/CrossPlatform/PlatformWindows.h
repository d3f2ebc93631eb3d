// The windowing half of the platform layer: program windows, the message
// queue and loops, menus, drawing into the current port, interface fonts,
// cursors, the text field and the dialogs. Used by the main window, the
// editor windows and Make Movie's panel; implemented on Qt in Qt/. This
// header has no Qt in it.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "CrossPlatform.h"

class CDib;

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

// Virtual-key codes carried by key-down messages. Letters and digits are
// their upper-case character codes.
enum VirtualKey : uint32_t {
    kKeyBackspace = 8,
    kKeyTab = 9,
    kKeyReturn = 13,
    kKeyShift = 16,
    kKeyControl = 17,
    kKeyAlt = 18,
    kKeyPause = 19,
    kKeyCapsLock = 20,
    kKeyEscape = 27,
    kKeySpace = 32,
    kKeyPageUp = 33,
    kKeyPageDown = 34,
    kKeyEnd = 35,
    kKeyHome = 36,
    kKeyLeft = 37,
    kKeyUp = 38,
    kKeyRight = 39,
    kKeyDown = 40,
    kKeyInsert = 45,
    kKeyDelete = 46,
    kKeyNumpad0 = 96,
    kKeyMultiply = 106,
    kKeyAdd = 107,
    kKeySubtract = 109,
    kKeyDecimal = 110,
    kKeyDivide = 111,
    kKeyF1 = 112,
    kKeyNumLock = 144,
    kKeyOem1 = 186,  // ;
    kKeyOemPlus = 187,
    kKeyOemComma = 188,
    kKeyOemMinus = 189,
    kKeyOemPeriod = 190,
    kKeyOem2 = 191,  // /
    kKeyOem3 = 192,  // `
    kKeyOem4 = 219,  // [
    kKeyOem5 = 220,  // backslash
    kKeyOem6 = 221,  // ]
    kKeyOem7 = 222,  // '
};

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

// Starts the layer: the application object, the name (63 characters at
// most), the icon, the five interface fonts, the work area, an empty window
// table and the settings file.
bool PlatformInit(const char* appName, int iconId);
// Deletes the fonts and saves the settings.
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

// ---------------------------------------------------------------- menus

enum MenuOptions : int32_t { kMenuChecked = 1, kMenuGreyed = 2, kMenuTitleGreyed = 4 };
constexpr int kMenuSeparator = -1;

struct NativeMenu;
struct PlatformMenu {
    NativeMenu* bar = nullptr;
    void* current = nullptr;  // the drop-down being filled
    PlatformWindow* owner = nullptr;
};

bool CreateMenuBar(PlatformMenu& menu, PlatformWindow& window);
// Forgets the menu record (the bar itself goes with its window).
void ReleaseMenuBar(PlatformMenu& menu);
void AddMenu(PlatformMenu& menu, const char* title, int32_t options);
void AddMenuItem(PlatformMenu& menu, int commandId, const char* text, int32_t options);
void SetMenuItemState(PlatformMenu& menu, int commandId, int32_t options);
void CheckMenuItem(PlatformMenu& menu, int commandId, bool checked);
// An item's shown text and check/grey bits; false when there is no such item.
bool GetMenuItemState(const PlatformMenu& menu, int commandId, std::string& text, int32_t& options);
// The drop-down titles in order, and the command ids of one of them
// (kMenuSeparator for separators).
std::vector<std::string> MenuTitles(const PlatformMenu& menu);
std::vector<int> MenuCommands(const PlatformMenu& menu, int menuIndex);
// Posts the command of an enabled item as a menu choice would; false when
// the item is missing or greyed.
bool ChooseMenuItem(PlatformMenu& menu, int commandId);

// "Load Show/O" -> "Load Show\tCtrl+O"; a text without "/" is unchanged.
std::string MenuItemText(const char* label);

// ---------------------------------------------------------------- drawing

struct DrawingPort;
using PlatformPort = DrawingPort*;

PlatformPort GetPort();
void SetPort(PlatformPort port);
// The port of a window: its backing picture.
PlatformPort WindowPort(PlatformWindow& window);
// Makes the window's port current for the lifetime of the object.
class PortScope {
public:
    explicit PortScope(PlatformWindow& window) : previous_(GetPort()) { SetPort(WindowPort(window)); }
    ~PortScope() { SetPort(previous_); }
    PortScope(const PortScope&) = delete;
    PortScope& operator=(const PortScope&) = delete;

private:
    PlatformPort previous_;
};

enum PenStyle : int { kPenSolid = 0, kPenDash = 1, kPenDot = 2 };

void FrameRect(uint32_t colour, const Rect& rect, int penWidth, int penStyle);
void FillRect(uint32_t colour, const Rect& rect);
void DrawLine(uint32_t colour, const Rect& rect, int penWidth, int penStyle);
void DrawLine(uint32_t colour, int32_t x1, int32_t y1, int32_t x2, int32_t y2, int penWidth, int penStyle);
void FrameRoundRect(uint32_t colour, const Rect& rect, int corner, int penWidth, int penStyle);
void FillRoundRect(uint32_t colour, const Rect& rect, int corner);
void FrameOval(uint32_t colour, const Rect& rect, int penWidth, int penStyle);
void FillOval(uint32_t colour, const Rect& rect);
void InvertOval(const Rect& rect, int penWidth, int penStyle);
// Direction 0, 90, 180 or 270: the apex points right, up, left or down.
void FillTriangle(uint32_t colour, int32_t x, int32_t y, int size, int direction);
void DrawBevel(uint32_t lightColour, uint32_t darkColour, const Rect& rect, int penWidth);
void DrawRadioMark(uint32_t colour, const Rect& rect, bool selected);
void DrawCheckBox(uint32_t colour, const Rect& rect, bool checked);
void DrawPercentSlider(uint32_t frameColour, uint32_t trackColour, const Rect& rect, int value, int scale,
                       bool showNumber);
// Raster operations of DrawResourceBitmap.
enum : uint32_t { kRopCopy = 0x00CC0020, kRopAnd = 0x008800C6, kRopPaint = 0x00EE0086, kRopInvert = 0x00660046 };
// Copies a picture resource to the rectangle's left-top corner at its own size.
bool DrawResourceBitmap(const Rect& rect, int bitmapId, uint32_t rasterOp);
// Fills an area with copies of a picture resource laid from the port's
// origin, as repeated DrawResourceBitmap calls at multiples of its size would.
bool TileResourceBitmap(const Rect& area, int bitmapId);
// Width and height of a picture resource; false when there is none.
bool ResourceBitmapSize(int bitmapId, int& width, int& height);
// Draws a picture at its own size with its top-left corner at (x, y).
void DrawImage(const CDib& image, int32_t x, int32_t y);
// The colour (0x00BBGGRR) of a port pixel; 0 outside.
uint32_t PortPixel(PlatformPort port, int32_t x, int32_t y);
// The port's size.
void PortSize(PlatformPort port, int& width, int& height);

// ---------------------------------------------------------------- text

struct PlatformFont;
// The five interface fonts made at start-up.
enum UiFontId : int { kUiFont8 = 0, kUiFont10 = 1, kUiFont12 = 2, kUiFont20 = 3, kUiFontBold13 = 4 };
PlatformFont* UiFont(int which);
// A font like the start-up ones: a pixel height and FontFlags; "Serif" in
// the family asks for a serif face.
PlatformFont* CreateUiFont(const char* familyName, int size, int32_t flags);
void DeleteUiFont(PlatformFont* font);
enum BackMode : int { kBackTransparent = 1, kBackOpaque = 2 };
// Selects the font for DrawText and TextWidth (null restores the previous
// one); -1 leaves the background colour or mode unchanged.
void SelectFont(PlatformFont* font, int64_t backColour, int backMode);
// Alignment: 0 left, 2 right, 6 centre; y is the top of the text.
enum TextAlignment : int { kTextLeft = 0, kTextRight = 2, kTextCenter = 6 };
void DrawText(uint32_t colour, const char* text, int32_t x, int32_t y, int alignment);
int TextWidth(const char* text);

// ---------------------------------------------------------------- cursors, help

// 1 arrow, 2 cross, 3 text beam, 4 forbidden, 5 four-way move, 6 north-east
// diagonal, 7 vertical, 8 north-west diagonal, 9 horizontal, 10 up arrow,
// 11 hourglass, 12-14 the program's cursors 106, 135, 136; others hide it.
void SetCursorKind(int kind);
int CurrentCursorKind();
// Opens the help page that stands for the help file.
bool ShowHelp(PlatformWindow* window, const char* helpFile);

// ---------------------------------------------------------------- text field

struct NativeEdit;
struct PlatformEdit {
    NativeEdit* field = nullptr;
    PlatformWindow* parent = nullptr;
};

bool CreateTextField(PlatformEdit& field, PlatformWindow& parent, int32_t x, int32_t y, int32_t width, int32_t height,
                     int id, PlatformFont* font);
// Moves and sizes the field (parent client coordinates); hides it when it
// has no place to show.
void PlaceTextField(PlatformEdit& field, int32_t x, int32_t y, int32_t width, int32_t height, bool visible);
void SetTextFieldFont(PlatformEdit& field, PlatformFont* font);
void SetTextFieldText(PlatformEdit& field, const char* text, bool selectAll);
void SelectTextFieldText(PlatformEdit& field, int first, int last);
// Copies at most capacity - 1 characters and a terminator; the count.
int GetTextFieldText(const PlatformEdit& field, char* buffer, int capacity);
void FocusTextField(PlatformEdit& field);
void ShowTextField(PlatformEdit& field);
void DestroyTextField(PlatformEdit& field);
bool TextFieldExists(const PlatformEdit& field);
// The field's rectangle in its parent's client coordinates.
Rect TextFieldRect(const PlatformEdit& field);

// ---------------------------------------------------------------- dialogs

// The system font chooser on `choice`; false when cancelled.
bool ChooseFontDialog(PlatformWindow* owner, FontChoice& choice);
// File choosers. `filter` is "label|pattern|label|pattern|"; `defaultExtension`
// like ".tvr" (may be null).
bool ChooseFileToOpen(PlatformWindow* owner, FileSpec& file, const char* filter, const char* title,
                      const char* initialFolder, const char* defaultExtension);
// Several files: one record each, ended by an empty record.
bool ChooseFilesToOpen(PlatformWindow* owner, std::vector<FileSpec>& files, const char* filter, const char* title,
                       const char* initialFolder);
// `file` holds the suggested name on entry.
bool ChooseFileToSave(PlatformWindow* owner, FileSpec& file, const char* filter, const char* defaultName,
                      const char* initialFolder, const char* defaultExtension);

// ---------------------------------------------------------------- plain helpers

// "label|pattern|..." -> the toolkit's "label (pattern pattern);;..." form.
std::string ConvertFileFilter(const char* filter);
// The message box text: the text, then "  [ n ]" unless n is kNoNumber.
std::string MessageText(const char* text, long number);
// Point size <-> character height for the font chooser.
int PointsToHeight(float points);
float HeightToPoints(int height);
// Removes a trailing "/" or "\" from a folder.
std::string TrimFolder(const char* folder);
