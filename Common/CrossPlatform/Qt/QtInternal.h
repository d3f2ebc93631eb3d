// Inside the Qt implementation of the platform layer: the widget behind each
// program window, its drawing port, the message queue and the shared helpers
// of the Qt files. Nothing outside Common/CrossPlatform/Qt includes this.
#pragma once

#include <QColor>
#include <QFont>
#include <QImage>
#include <QLineEdit>
#include <QPointer>
#include <QString>
#include <QWidget>
#include <array>
#include <deque>
#include <map>
#include <memory>
#include <set>
#include <vector>

#include "Platform.h"
#include "PlatformWindows.h"

class QMenuBar;
class QScrollBar;
class QAction;

// A drawing target: a picture and the widget that shows it.
struct DrawingPort {
    QImage image;
    QWidget* widget = nullptr;  // updated after each drawing; may be null
    int widgetOffsetY = 0;      // where the port's row 0 lies in the widget
};

// The widget of a program window. It draws nothing itself: its paint event
// copies the port, and its input handlers only queue messages.
struct NativeWindow : public QWidget {
    NativeWindow(PlatformWindow* owner, QWidget* parent, int32_t options);
    ~NativeWindow() override;

    PlatformWindow* owner = nullptr;
    int32_t options = 0;
    DrawingPort port;
    QMenuBar* menuBar = nullptr;
    QScrollBar* hScroll = nullptr;
    QScrollBar* vScroll = nullptr;
    QColor background{0xC0, 0xC0, 0xC0};

    // The client area in widget coordinates: below the menu bar, beside the
    // scroll bars.
    QRect ClientArea() const;
    // Places the menu bar and scroll bars and sizes the port.
    void LayoutChrome();
    void ResizePort();

protected:
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void moveEvent(QMoveEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void keyReleaseEvent(QKeyEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    // Tab is a key of the program, never a focus move.
    bool focusNextPrevChild(bool) override { return false; }

private:
    void QueueMouse(uint32_t message, QMouseEvent* event);
};

// The menu bar of a window and its items by command id.
struct NativeMenu {
    QMenuBar* bar = nullptr;
    std::map<int, QAction*> items;
};

// The single-line text field.
struct NativeEdit : public QLineEdit {
    explicit NativeEdit(QWidget* parent) : QLineEdit(parent) {}
};

struct PlatformFont {
    QFont font;
};

// Everything the Qt platform remembers between calls, in one object: made
// by PlatformInit, gone with PlatformShutdown.
struct QtContext {
    char appName[64] = {};
    int iconId = 0;
    int cursorKind = 1;
    Rect workArea;
    // queue (QtEvents.cpp)
    std::deque<PlatformEvent> queue;
    uint32_t keyPressCounter = 0;
    uint32_t dispatchingKeyPress = 0;  // the key press whose message is being handled
    QPointer<QWidget> pointerWindow;
    // drawing and fonts (QtDrawing.cpp, QtText.cpp)
    DrawingPort* port = nullptr;
    std::map<int, QImage> resourceImages;
    std::array<std::unique_ptr<PlatformFont>, 5> uiFonts;
    PlatformFont* currentFont = nullptr;
    PlatformFont* previousFont = nullptr;
    QColor backColour = Qt::white;
    int backMode = kBackOpaque;
    // window table (QtWindows.cpp)
    std::vector<QWidget*> windowTable;
    std::set<const PlatformWindow*> liveWindows;
    NativeWindow* firstTopLevel = nullptr;  // for the frame metrics
};

// The Qt implementation of the platform layer; owns the context. Made and
// installed by PlatformInit, deleted by PlatformShutdown.
class QtPlatform : public WindowingPlatform {
public:
    ~QtPlatform() override;

    void ShowMessage(const char* text, long number) override;
    int AskYesNoCancel(const char* text, const char* caption) override;
    bool AskYesNo(const char* text, const char* caption) override;
    void AskText(char* text, const char* title, const char* line1, const char* line2) override;
    void Beep(int kind) override;
    long ReadClipboardText(char* buffer, long capacity) override;
    void StretchImage(const Rect& dest, const Rect& source, void* context, const CDib& image) override;
    bool LoadResourceMask(int bitmapId, ResourceMask& mask) override;

    // ---- the layer itself (PlatformEvents.h); PlatformInit makes the Qt one
    void PlatformShutdown() override;
    const char* ApplicationName() override;

    // ---- the message queue (PlatformEvents.h)
    int RunMessageLoop(bool onlyListedWindows) override;
    bool PeekEvent(PlatformEvent& event) override;
    bool WaitEvent(PlatformEvent& event) override;
    intptr_t DispatchEvent(const PlatformEvent& event) override;
    bool PostEvent(PlatformWindow* window, uint32_t message, uintptr_t wParam, intptr_t lParam) override;
    void PostQuit(int code) override;
    intptr_t SendEvent(PlatformWindow* window, uint32_t message, uintptr_t wParam, intptr_t lParam) override;
    void DrainKeys() override;
    void ProcessPendingEvents() override;
    int PendingEventCount() override;

    // ---- windows and the window table (PlatformEvents.h)
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
    bool SetWindowTimer(PlatformWindow& window, int id, int intervalMs) override;
    void KillWindowTimer(PlatformWindow& window, int id) override;

    // ---- scroll bars (PlatformEvents.h)
    void SetScrollRanges(PlatformWindow& window, int hMax, int vMax, int hPage, int vPage, bool redraw) override;
    void ShowScrollBars(PlatformWindow& window, bool horizontal, bool vertical) override;
    void SetHorizontalScroll(PlatformWindow& window, int position, bool redraw) override;
    int GetHorizontalScroll(const PlatformWindow& window) override;
    void SetVerticalScroll(PlatformWindow& window, int position, bool redraw) override;
    int GetVerticalScroll(const PlatformWindow& window) override;

    // ---- frame metrics and cursors (PlatformEvents.h)
    int MenuBarHeight() override;
    int CaptionHeight() override;
    int ScrollBarWidth() override;
    int DialogFrameWidth() override;
    Rect WorkArea() override;
    void SetCursorKind(int kind) override;
    int CurrentCursorKind() override;

    // ---- drawing into the current port (PlatformDrawing.h)
    DrawingPort* GetPort() override;
    void SetPort(DrawingPort* port) override;
    DrawingPort* WindowPort(PlatformWindow& window) override;
    void FrameRect(uint32_t colour, const Rect& rect, int penWidth, int penStyle) override;
    void FillRect(uint32_t colour, const Rect& rect) override;
    void DrawLine(uint32_t colour, int32_t x1, int32_t y1, int32_t x2, int32_t y2, int penWidth, int penStyle) override;
    void FrameRoundRect(uint32_t colour, const Rect& rect, int corner, int penWidth, int penStyle) override;
    void FillRoundRect(uint32_t colour, const Rect& rect, int corner) override;
    void FrameOval(uint32_t colour, const Rect& rect, int penWidth, int penStyle) override;
    void FillOval(uint32_t colour, const Rect& rect) override;
    void InvertOval(const Rect& rect, int penWidth, int penStyle) override;
    void FillTriangle(uint32_t colour, int32_t x, int32_t y, int size, int direction) override;
    void DrawBevel(uint32_t lightColour, uint32_t darkColour, const Rect& rect, int penWidth) override;
    void DrawRadioMark(uint32_t colour, const Rect& rect, bool selected) override;
    void DrawCheckBox(uint32_t colour, const Rect& rect, bool checked) override;
    void DrawPercentSlider(uint32_t frameColour, uint32_t trackColour, const Rect& rect, int value, int scale,
                           bool showNumber) override;
    bool DrawResourceBitmap(const Rect& rect, int bitmapId, uint32_t rasterOp) override;
    bool TileResourceBitmap(const Rect& area, int bitmapId) override;
    bool ResourceBitmapSize(int bitmapId, int& width, int& height) override;
    void DrawImage(const CDib& image, int32_t x, int32_t y) override;
    uint32_t PortPixel(DrawingPort* port, int32_t x, int32_t y) override;
    void PortSize(DrawingPort* port, int& width, int& height) override;

    // ---- the interface fonts and text (PlatformDrawing.h)
    PlatformFont* UiFont(int which) override;
    PlatformFont* CreateUiFont(const char* familyName, int size, int32_t flags) override;
    void DeleteUiFont(PlatformFont* font) override;
    void SelectFont(PlatformFont* font, int64_t backColour, int backMode) override;
    void DrawText(uint32_t colour, const char* text, int32_t x, int32_t y, int alignment) override;
    int TextWidth(const char* text) override;

    // ---- menu bars (PlatformMenus.h)
    bool CreateMenuBar(PlatformMenu& menu, PlatformWindow& window) override;
    void ReleaseMenuBar(PlatformMenu& menu) override;
    void AddMenu(PlatformMenu& menu, const char* title, int32_t options) override;
    void AddMenuItem(PlatformMenu& menu, int commandId, const char* text, int32_t options) override;
    void SetMenuItemState(PlatformMenu& menu, int commandId, int32_t options) override;
    void CheckMenuItem(PlatformMenu& menu, int commandId, bool checked) override;
    bool GetMenuItemState(const PlatformMenu& menu, int commandId, std::string& text, int32_t& options) override;
    std::vector<std::string> MenuTitles(const PlatformMenu& menu) override;
    std::vector<int> MenuCommands(const PlatformMenu& menu, int menuIndex) override;
    bool ChooseMenuItem(PlatformMenu& menu, int commandId) override;

    // ---- the single-line text field (PlatformTextField.h)
    bool CreateTextField(PlatformEdit& field, PlatformWindow& parent, int32_t x, int32_t y, int32_t width,
                         int32_t height, int id, PlatformFont* font) override;
    void PlaceTextField(PlatformEdit& field, int32_t x, int32_t y, int32_t width, int32_t height,
                        bool visible) override;
    void SetTextFieldFont(PlatformEdit& field, PlatformFont* font) override;
    void SetTextFieldText(PlatformEdit& field, const char* text, bool selectAll) override;
    void SelectTextFieldText(PlatformEdit& field, int first, int last) override;
    int GetTextFieldText(const PlatformEdit& field, char* buffer, int capacity) override;
    void FocusTextField(PlatformEdit& field) override;
    void ShowTextField(PlatformEdit& field) override;
    void DestroyTextField(PlatformEdit& field) override;
    bool TextFieldExists(const PlatformEdit& field) override;
    Rect TextFieldRect(const PlatformEdit& field) override;

    // ---- the system dialogs and the help page (PlatformDialogs.h)
    bool ChooseFontDialog(PlatformWindow* owner, FontChoice& choice) override;
    bool ChooseFileToOpen(PlatformWindow* owner, FileSpec& file, const char* filter, const char* title,
                          const char* initialFolder, const char* defaultExtension) override;
    bool ChooseFilesToOpen(PlatformWindow* owner, std::vector<FileSpec>& files, const char* filter, const char* title,
                           const char* initialFolder) override;
    bool ChooseFileToSave(PlatformWindow* owner, FileSpec& file, const char* filter, const char* defaultName,
                          const char* initialFolder, const char* defaultExtension) override;
    bool ShowHelp(PlatformWindow* window, const char* helpFile) override;

    // The five interface fonts (QtText.cpp).
    void MakeInterfaceFonts();
    void DeleteInterfaceFonts();

    QtContext context;
};

// The context of the running Qt platform (an empty one before PlatformInit).
QtContext& Qtx();

// ---- queue (QtEvents.cpp)
void QueueEvent(PlatformWindow* window, uint32_t message, uintptr_t wParam, intptr_t lParam, uint32_t keyPress = 0);
// Drops every queued message of a window that is going away.
void ForgetWindowEvents(PlatformWindow* window);
// A new key-press number (a key-down and its character share one).
uint32_t NextKeyPress();
// The window that last received pointer input (for the cursor).
void SetPointerWindow(QWidget* widget);
QWidget* PointerWindow();

// ---- keys (QtKeys.cpp)
// The virtual-key code of a key (0 when it has none) and its character
// (0 when it gives none), control characters from Ctrl+letter.
uint32_t VirtualKeyOf(int qtKey, Qt::KeyboardModifiers modifiers);
uint32_t CharacterOf(int qtKey, Qt::KeyboardModifiers modifiers, const QString& text);

// ---- window table (QtWindows.cpp)
void AddToWindowTable(QWidget* widget);
void RemoveFromWindowTable(QWidget* widget);
bool InWindowTable(const QWidget* widget);
// Whether a PlatformWindow is alive (created and not yet destroyed).
bool IsLiveWindow(const PlatformWindow* window);

// ---- shared helpers
inline QColor ToQColor(uint32_t colour) {
    return QColor(static_cast<int>(colour & 0xFF), static_cast<int>((colour >> 8) & 0xFF),
                  static_cast<int>((colour >> 16) & 0xFF));
}
inline uint32_t FromQColor(QColor colour) {
    return static_cast<uint32_t>(colour.red()) | (static_cast<uint32_t>(colour.green()) << 8) |
           (static_cast<uint32_t>(colour.blue()) << 16);
}
// Texts of the show are single-byte (Windows-1252); paths and messages UTF-8.
QString FromShowText(const char* text);
// A text as show bytes: "?" for each character Windows-1252 lacks.
QByteArray ToShowText(const QString& text);
inline QString FromUtf8Text(const char* text) {
    return QString::fromUtf8(text ? text : "");
}
// Loads a picture resource (":/bitmaps/<id>.png"); null when missing.
const QImage* ResourceImage(int bitmapId);
// The widget to parent dialogs to.
QWidget* DialogParent(PlatformWindow* owner);
