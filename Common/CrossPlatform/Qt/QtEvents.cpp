// The message queue: input from the toolkit becomes the program's messages,
// and the main loop and the program's own modal loops take them from here.
#include <QAbstractEventDispatcher>
#include <QApplication>
#include <QCursor>
#include <QPointer>
#include <deque>
#include <thread>

#include "EventQueue.h"
#include "QtInternal.h"

namespace {

std::deque<PlatformEvent>& Queue() {
    return Qtx().queue;
}

}  // namespace

void QueueEvent(PlatformWindow* window, uint32_t message, uintptr_t wParam, intptr_t lParam, uint32_t keyPress) {
    PlatformEvent event = NewEvent(window, message, wParam, lParam);
    const QPoint pointer = QCursor::pos();
    event.x = pointer.x();
    event.y = pointer.y();
    event.keyPress = keyPress;
    // Pointer moves coalesce as the desktop's do: only the latest matters.
    AppendEvent(Queue(), event);
    if (QAbstractEventDispatcher* dispatcher = QAbstractEventDispatcher::instance()) {
        dispatcher->wakeUp();
    }
}

void ForgetWindowEvents(PlatformWindow* window) {
    DropWindowEvents(Queue(), window);
}

uint32_t NextKeyPress() {
    return ++Qtx().keyPressCounter;
}

void SetPointerWindow(QWidget* widget) {
    Qtx().pointerWindow = widget;
}
QWidget* PointerWindow() {
    return Qtx().pointerWindow.data();
}

void QtPlatform::ProcessPendingEvents() {
    if (QApplication::instance()) {
        QApplication::processEvents(QEventLoop::AllEvents);
    }
}

bool QtPlatform::PeekEvent(PlatformEvent& event) {
    ProcessPendingEvents();
    return TakeFirstEvent(Queue(), event, true);
}

bool QtPlatform::WaitEvent(PlatformEvent& event) {
    for (;;) {
        if (TakeFirstEvent(Queue(), event, false)) {
            return true;
        }
        if (QuitPending(Queue(), nullptr)) {
            return false;
        }
        QApplication::processEvents(QEventLoop::AllEvents | QEventLoop::WaitForMoreEvents);
    }
}

intptr_t QtPlatform::DispatchEvent(const PlatformEvent& event) {
    if (!event.window || !IsLiveWindow(event.window)) {
        return 0;
    }
    const uint32_t outer = Qtx().dispatchingKeyPress;
    if (IsKeyMessage(event.message)) {
        Qtx().dispatchingKeyPress = event.keyPress;
    }
    intptr_t result = event.window->WindowProc(event.message, event.wParam, event.lParam);
    Qtx().dispatchingKeyPress = outer;
    return result;
}

intptr_t QtPlatform::SendEvent(PlatformWindow* window, uint32_t message, uintptr_t wParam, intptr_t lParam) {
    if (!window || !IsLiveWindow(window)) {
        return 0;
    }
    return window->WindowProc(message, wParam, lParam);
}

bool QtPlatform::PostEvent(PlatformWindow* window, uint32_t message, uintptr_t wParam, intptr_t lParam) {
    if (window && !IsLiveWindow(window)) {
        return false;
    }
    QueueEvent(window, message, wParam, lParam);
    return true;
}

void QtPlatform::PostQuit(int code) {
    QueueEvent(nullptr, kMsgQuit, static_cast<uintptr_t>(code), 0);
}

void QtPlatform::DrainKeys() {
    ProcessPendingEvents();
    DropKeyRepeats(Queue(), Qtx().dispatchingKeyPress);
}

int QtPlatform::PendingEventCount() {
    return static_cast<int>(Queue().size());
}

int QtPlatform::RunMessageLoop(bool onlyListedWindows) {
    for (;;) {
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
        PlatformEvent event;
        if (!WaitEvent(event)) {
            return TakeQuit(Queue());
        }
        if (onlyListedWindows && (!event.window || !event.window->native || !InWindowTable(event.window->native))) {
            continue;
        }
        DispatchEvent(event);
    }
}
