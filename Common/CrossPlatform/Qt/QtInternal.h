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
class QDialog;

// A drawing target: a picture and the widget that shows it. The picture has
// the screen's device pixel ratio: drawing is in client coordinates.
struct DrawingPort {
    QImage image;
    QWidget* widget = nullptr;  // updated after each drawing; may be null
    int widgetOffsetY = 0;      // where the port's row 0 lies in the widget
};
// The port's size in client coordinates.
QSize PortSize(const DrawingPort& port);

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
    CursorKind cursorKind = kCursorArrow;
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
    // the help window (QtDialogs.cpp), made when first asked for
    QPointer<QDialog> helpWindow;
};

// The Qt implementation of the platform layer; owns the context. Made and
// installed by PlatformInit, deleted by PlatformShutdown.
class QtPlatform : public WindowingPlatform {
public:
    ~QtPlatform() override;

    // Every operation of the list, defined in the Qt files by role.
#define PLATFORM_CALL(result, name, parameters, arguments) result name parameters override;
#include "PlatformCalls.def"

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

// ---- text (QtText.cpp)
// The line height of the font selected for DrawText.
int CurrentTextHeight();

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
