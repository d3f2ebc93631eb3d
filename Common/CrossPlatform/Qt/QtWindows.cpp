// Program windows: the widget behind each, the window table, creation,
// placement, titles, rectangles, scroll bars and metrics.
#include <QApplication>
#include <QCloseEvent>
#include <QKeyEvent>
#include <QMenuBar>
#include <QPainter>
#include <QScreen>
#include <QScrollBar>
#include <QStyle>
#include <QWindow>
#include <QtMath>
#include <algorithm>
#include <cstdio>
#include <random>
#include <set>
#include <vector>

#include "QtInternal.h"

namespace {

constexpr size_t kWindowTableSize = 256;

std::vector<QWidget*>& WindowTable() {
    return Qtx().windowTable;
}

std::set<const PlatformWindow*>& LiveWindows() {
    return Qtx().liveWindows;
}

intptr_t SizeParam(const QRect& client) {
    return MakePointParam(client.width(), client.height());
}

void PostScroll(PlatformWindow* owner, uint32_t message, QScrollBar* bar, int action) {
    int code = -1;
    switch (action) {
        case QAbstractSlider::SliderSingleStepSub:
            code = kScrollLineBack;
            break;
        case QAbstractSlider::SliderSingleStepAdd:
            code = kScrollLineForward;
            break;
        case QAbstractSlider::SliderPageStepSub:
            code = kScrollPageBack;
            break;
        case QAbstractSlider::SliderPageStepAdd:
            code = kScrollPageForward;
            break;
        case QAbstractSlider::SliderMove:
            code = kScrollThumbTrack;
            break;
        default:
            return;
    }
    uintptr_t wParam = static_cast<uintptr_t>(code) | (static_cast<uintptr_t>(bar->sliderPosition() & 0xFFFF) << 16);
    QueueEvent(owner, message, wParam, 0);
}

QScrollBar* MakeScrollBar(NativeWindow* window, Qt::Orientation orientation, uint32_t message) {
    auto* bar = new QScrollBar(orientation, window);
    bar->setFocusPolicy(Qt::NoFocus);
    QObject::connect(bar, &QAbstractSlider::actionTriggered, bar,
                     [window, bar, message](int action) { PostScroll(window->owner, message, bar, action); });
    return bar;
}

}  // namespace

// ---------------------------------------------------------------- NativeWindow

NativeWindow::NativeWindow(PlatformWindow* ownerWindow, QWidget* parent, int32_t windowOptions)
    : QWidget(parent), owner(ownerWindow), options(windowOptions) {
    setAttribute(Qt::WA_OpaquePaintEvent);
    setAttribute(Qt::WA_NoSystemBackground);
    setMouseTracking(true);
    setFocusPolicy(Qt::ClickFocus);
    port.widget = this;
    if (options & kWindowHScroll) {
        hScroll = MakeScrollBar(this, Qt::Horizontal, kMsgHScroll);
    }
    if (options & kWindowVScroll) {
        vScroll = MakeScrollBar(this, Qt::Vertical, kMsgVScroll);
    }
}

NativeWindow::~NativeWindow() {
    RemoveFromWindowTable(this);
    if (Qtx().firstTopLevel == this) {
        Qtx().firstTopLevel = nullptr;
    }
    if (owner && owner->native == this) {
        owner->native = nullptr;
        LiveWindows().erase(owner);
        ForgetWindowEvents(owner);
    }
}

QRect NativeWindow::ClientArea() const {
    int top = menuBar ? menuBar->sizeHint().height() : 0;
    int right = width() - (vScroll && vScroll->isVisible() ? vScroll->sizeHint().width() : 0);
    int bottom = height() - (hScroll && hScroll->isVisible() ? hScroll->sizeHint().height() : 0);
    return QRect(QPoint(0, top), QPoint(std::max(0, right) - 1, std::max(top, bottom) - 1));
}

void NativeWindow::LayoutChrome() {
    if (menuBar) {
        menuBar->setGeometry(0, 0, width(), menuBar->sizeHint().height());
    }
    const QRect client = ClientArea();
    if (hScroll) {
        hScroll->setGeometry(0, client.bottom() + 1, client.width(), hScroll->sizeHint().height());
    }
    if (vScroll) {
        vScroll->setGeometry(client.right() + 1, client.top(), vScroll->sizeHint().width(), client.height());
    }
    ResizePort();
}

void NativeWindow::ResizePort() {
    const QRect client = ClientArea();
    const QSize size(std::max(1, client.width()), std::max(1, client.height()));
    port.widgetOffsetY = client.top();
    // The port holds the screen's pixels: on a screen of device pixel ratio 2
    // it is twice as wide and high as the client area, so the program's
    // drawing (in client coordinates) comes out sharp, not enlarged.
    const qreal ratio = std::max<qreal>(1.0, devicePixelRatioF());
    if (PortSize(port) == size && port.image.devicePixelRatio() == ratio) {
        return;
    }
    QImage grown(QSize(qCeil(size.width() * ratio), qCeil(size.height() * ratio)), QImage::Format_RGB32);
    grown.setDevicePixelRatio(ratio);
    grown.fill(background);
    if (!port.image.isNull()) {
        QPainter painter(&grown);
        painter.drawImage(QPointF(0, 0), port.image);
    }
    port.image = std::move(grown);
}

void NativeWindow::paintEvent(QPaintEvent* event) {
    QPainter painter(this);
    const qreal ratio = port.image.devicePixelRatio();
    for (const QRect& r : event->region()) {
        const QRectF source(r.left() * ratio, (r.top() - port.widgetOffsetY) * ratio, r.width() * ratio,
                            r.height() * ratio);
        painter.drawImage(QRectF(r), port.image, source);
    }
}

void NativeWindow::resizeEvent(QResizeEvent*) {
    LayoutChrome();
    QueueEvent(owner, kMsgSize, 0, SizeParam(ClientArea()));
    QueueEvent(owner, kMsgPaint, 0, 0);
}

void NativeWindow::moveEvent(QMoveEvent*) {
    const QPoint origin = mapToGlobal(ClientArea().topLeft());
    QueueEvent(owner, kMsgMove, 0, MakePointParam(origin.x(), origin.y()));
}

void NativeWindow::closeEvent(QCloseEvent* event) {
    event->ignore();  // the program decides whether to close
    QueueEvent(owner, kMsgClose, 0, 0);
}

void NativeWindow::keyPressEvent(QKeyEvent* event) {
    const uint32_t code = VirtualKeyOf(event->key(), event->modifiers());
    const uint32_t character = CharacterOf(event->key(), event->modifiers(), event->text());
    if (!code && !character) {
        event->ignore();
        return;
    }
    const uint32_t press = NextKeyPress();
    if (code) {
        intptr_t lParam = 1 | (event->isAutoRepeat() ? kKeyRepeatBit : 0);
        QueueEvent(owner, kMsgKeyDown, code, lParam, press);
    }
    if (character) {
        QueueEvent(owner, kMsgChar, character, 1, press);
    }
}

void NativeWindow::keyReleaseEvent(QKeyEvent* event) {
    const uint32_t code = VirtualKeyOf(event->key(), event->modifiers());
    if (code && !event->isAutoRepeat()) {
        QueueEvent(owner, kMsgKeyUp, code, 1);
    }
}

void NativeWindow::QueueMouse(uint32_t message, QMouseEvent* event) {
    SetPointerWindow(this);
    const QPoint at = event->position().toPoint() - ClientArea().topLeft();
    uintptr_t keys = 0;
    keys |= (event->buttons() & Qt::LeftButton) ? uintptr_t{kMouseLeft} : 0;
    keys |= (event->buttons() & Qt::RightButton) ? uintptr_t{kMouseRight} : 0;
    keys |= (event->modifiers() & Qt::ShiftModifier) ? uintptr_t{kMouseShift} : 0;
    keys |= (event->modifiers() & Qt::ControlModifier) ? uintptr_t{kMouseControl} : 0;
    QueueEvent(owner, message, keys, MakePointParam(at.x(), at.y()));
}

void NativeWindow::mousePressEvent(QMouseEvent* event) {
    if (event->button() == Qt::LeftButton) {
        QueueMouse(kMsgLeftDown, event);
    } else if (event->button() == Qt::RightButton) {
        QueueMouse(kMsgRightDown, event);
    }
}

void NativeWindow::mouseDoubleClickEvent(QMouseEvent* event) {
    if (event->button() == Qt::LeftButton) {
        QueueMouse(kMsgLeftDouble, event);
    }
}

void NativeWindow::mouseReleaseEvent(QMouseEvent* event) {
    if (event->button() == Qt::LeftButton) {
        QueueMouse(kMsgLeftUp, event);
    } else if (event->button() == Qt::RightButton) {
        QueueMouse(kMsgRightUp, event);
    }
}

void NativeWindow::mouseMoveEvent(QMouseEvent* event) {
    QueueMouse(kMsgMouseMove, event);
}

// ---------------------------------------------------------------- window table

void AddToWindowTable(QWidget* widget) {
    auto& table = WindowTable();
    if (table.size() < kWindowTableSize && std::find(table.begin(), table.end(), widget) == table.end()) {
        table.push_back(widget);
    }
}

void RemoveFromWindowTable(QWidget* widget) {
    auto& table = WindowTable();
    table.erase(std::remove(table.begin(), table.end(), widget), table.end());
}

bool InWindowTable(const QWidget* widget) {
    const auto& table = WindowTable();
    return std::find(table.begin(), table.end(), widget) != table.end();
}

bool IsLiveWindow(const PlatformWindow* window) {
    return LiveWindows().count(window) != 0;
}

bool QtPlatform::IsListedWindow(const PlatformWindow* window) {
    return window && window->native && InWindowTable(window->native);
}

int QtPlatform::ListedWindowCount() {
    return static_cast<int>(WindowTable().size());
}

// ---------------------------------------------------------------- windows

bool QtPlatform::CreatePlatformWindow(PlatformWindow& window, PlatformWindow* parent, int32_t options) {
    if (!QApplication::instance() || window.native) {
        return false;
    }
    static std::mt19937 random(std::random_device{}());
    std::snprintf(window.className, sizeof(window.className), "Win%ld", static_cast<long>(random() & 0x7FFFFFFF));
    QWidget* parentWidget = parent && parent->native ? parent->native : nullptr;
    auto* widget = new NativeWindow(&window, parentWidget, options);
    widget->setObjectName(window.className);
    widget->setGeometry(0, 0, 0, 0);
    if (!parentWidget) {
        widget->setWindowIcon(QApplication::windowIcon());
        if (!Qtx().firstTopLevel) {
            Qtx().firstTopLevel = widget;
        }
    }
    window.native = widget;
    window.owner = parent;
    LiveWindows().insert(&window);
    if (!(options & kWindowUnlisted)) {
        AddToWindowTable(widget);
    }
    widget->LayoutChrome();
    return true;
}

void QtPlatform::DestroyPlatformWindow(PlatformWindow& window) {
    NativeWindow* widget = window.native;
    LiveWindows().erase(&window);
    ForgetWindowEvents(&window);
    if (!widget) {
        return;
    }
    window.native = nullptr;
    widget->owner = nullptr;
    RemoveFromWindowTable(widget);
    delete widget;
}

void QtPlatform::MoveWindowTo(PlatformWindow& window, int32_t left, int32_t top, int32_t right, int32_t bottom,
                              bool repaint) {
    NativeWindow* widget = window.native;
    if (!widget) {
        return;
    }
    const int width = std::max(0, right - left);
    const int height = std::max(0, bottom - top);
    if (QWidget* parent = widget->parentWidget()) {
        const QPoint local = parent->mapFromGlobal(QPoint(left, top));
        widget->setGeometry(local.x(), local.y(), width, height);
    } else {
        QMargins frame;
        if (QWindow* handle = widget->windowHandle()) {
            frame = handle->frameMargins();
        }
        widget->move(left, top);
        widget->resize(std::max(0, width - frame.left() - frame.right()),
                       std::max(0, height - frame.top() - frame.bottom()));
    }
    // A hidden window gets no resize event until shown: size its port now.
    widget->LayoutChrome();
    if (repaint) {
        widget->update();
    }
}

void QtPlatform::ShowPlatformWindow(PlatformWindow& window, WindowShowMode mode) {
    NativeWindow* widget = window.native;
    if (!widget) {
        return;
    }
    switch (mode) {
        case kWindowHidden:
            widget->hide();
            break;
        case kWindowShown:
            widget->show();
            break;
        case kWindowMaximized:
            widget->showMaximized();
            break;
        default:
            return;
    }
    if (mode != kWindowHidden && !widget->parentWidget()) {
        widget->activateWindow();
        widget->setFocus();
    }
}

void QtPlatform::SetWindowTitle(PlatformWindow& window, const char* text) {
    if (window.native) {
        window.native->setWindowTitle(FromUtf8Text(text));
    }
}

std::string QtPlatform::WindowTitle(const PlatformWindow& window) {
    return window.native ? window.native->windowTitle().toStdString() : std::string();
}

Rect QtPlatform::GetClientRect(const PlatformWindow& window) {
    Rect r;
    if (window.native) {
        const QRect client = window.native->ClientArea();
        r.right = client.width();
        r.bottom = client.height();
    }
    return r;
}

Rect QtPlatform::GetWindowRect(const PlatformWindow& window) {
    Rect r;
    const NativeWindow* widget = window.native;
    if (!widget) {
        return r;
    }
    QRect area;
    if (widget->parentWidget()) {
        area = QRect(widget->mapToGlobal(QPoint(0, 0)), widget->size());
    } else {
        area = widget->frameGeometry();
    }
    r.left = area.left();
    r.top = area.top();
    r.right = area.left() + area.width();
    r.bottom = area.top() + area.height();
    return r;
}

bool QtPlatform::IsWindowVisible(const PlatformWindow& window) {
    return window.native && window.native->isVisible();
}

void QtPlatform::InvalidateWindow(PlatformWindow& window) {
    if (window.native) {
        QueueEvent(&window, kMsgPaint, 0, 0);
    }
}

// ---------------------------------------------------------------- scroll bars

void QtPlatform::SetScrollRanges(PlatformWindow& window, int hMax, int vMax, int hPage, int vPage, bool redraw) {
    NativeWindow* widget = window.native;
    if (!widget) {
        return;
    }
    if (widget->hScroll) {
        widget->hScroll->setRange(0, std::max(0, hMax - std::max(0, hPage) + 1));
        widget->hScroll->setPageStep(std::max(1, hPage));
    }
    if (widget->vScroll) {
        widget->vScroll->setRange(0, std::max(0, vMax - std::max(0, vPage) + 1));
        widget->vScroll->setPageStep(std::max(1, vPage));
    }
}

void QtPlatform::ShowScrollBars(PlatformWindow& window, bool horizontal, bool vertical) {
    NativeWindow* widget = window.native;
    if (!widget) {
        return;
    }
    if (widget->hScroll) {
        widget->hScroll->setVisible(horizontal);
    }
    if (widget->vScroll) {
        widget->vScroll->setVisible(vertical);
    }
    widget->LayoutChrome();
}

void QtPlatform::SetHorizontalScroll(PlatformWindow& window, int position, bool redraw) {
    if (window.native && window.native->hScroll) {
        window.native->hScroll->setValue(position);
    }
}

int QtPlatform::GetHorizontalScroll(const PlatformWindow& window) {
    return window.native && window.native->hScroll ? window.native->hScroll->value() : 0;
}

void QtPlatform::SetVerticalScroll(PlatformWindow& window, int position, bool redraw) {
    if (window.native && window.native->vScroll) {
        window.native->vScroll->setValue(position);
    }
}

int QtPlatform::GetVerticalScroll(const PlatformWindow& window) {
    return window.native && window.native->vScroll ? window.native->vScroll->value() : 0;
}

// ---------------------------------------------------------------- metrics

int QtPlatform::MenuBarHeight() {
    static int height = 0;
    if (height == 0 && QApplication::instance()) {
        QMenuBar probe;
        probe.addMenu(QStringLiteral("File"));
        height = probe.sizeHint().height();
    }
    return height;
}

int QtPlatform::CaptionHeight() {
    if (Qtx().firstTopLevel && Qtx().firstTopLevel->windowHandle()) {
        const QMargins frame = Qtx().firstTopLevel->windowHandle()->frameMargins();
        return std::max(0, frame.top() - frame.left());
    }
    return 0;
}

int QtPlatform::DialogFrameWidth() {
    if (Qtx().firstTopLevel && Qtx().firstTopLevel->windowHandle()) {
        return std::max(0, Qtx().firstTopLevel->windowHandle()->frameMargins().left());
    }
    return 0;
}

int QtPlatform::ScrollBarWidth() {
    return QApplication::instance() ? QApplication::style()->pixelMetric(QStyle::PM_ScrollBarExtent) : 16;
}

Rect QtPlatform::WorkArea() {
    Rect r;
    if (QScreen* screen = QGuiApplication::primaryScreen()) {
        const QRect area = screen->availableGeometry();
        r.left = area.left();
        r.top = area.top();
        r.right = area.left() + area.width();
        r.bottom = area.top() + area.height();
    }
    return r;
}
