// The message queue: input from the toolkit becomes the program's messages,
// and the main loop and the program's own modal loops take them from here.
#include <QAbstractEventDispatcher>
#include <QApplication>
#include <QCursor>
#include <QPointer>
#include <algorithm>
#include <deque>
#include <thread>
#include <vector>

#include "QtInternal.h"

namespace {

std::deque<PlatformEvent>& Queue() {
    return Qtx().queue;
}

bool IsInputMessage(uint32_t message) {
    return message == kMsgKeyDown || message == kMsgKeyUp || message == kMsgChar || message == kMsgCommand ||
           (message >= kMsgMouseMove && message <= kMsgRightUp);
}

bool IsKeyMessage(uint32_t message) {
    return message == kMsgKeyDown || message == kMsgKeyUp || message == kMsgChar;
}

bool TakeFirst(PlatformEvent& event, bool inputOnly) {
    auto& queue = Queue();
    for (auto it = queue.begin(); it != queue.end(); ++it) {
        if (inputOnly && !IsInputMessage(it->message)) {
            continue;
        }
        if (it->message == kMsgQuit) {
            continue;  // delivered only when nothing else is waiting
        }
        event = *it;
        queue.erase(it);
        if (inputOnly && event.message == kMsgKeyDown) {
            // The character of the same key press goes with its key-down.
            for (auto c = queue.begin(); c != queue.end(); ++c) {
                if (c->message == kMsgChar && c->keyPress == event.keyPress) {
                    queue.erase(c);
                    break;
                }
            }
        }
        return true;
    }
    return false;
}

bool QuitPending(int* code) {
    for (const PlatformEvent& e : Queue()) {
        if (e.message == kMsgQuit) {
            if (code) {
                *code = static_cast<int>(e.wParam);
            }
            return true;
        }
    }
    return false;
}

}  // namespace

void QueueEvent(PlatformWindow* window, uint32_t message, uintptr_t wParam, intptr_t lParam, uint32_t keyPress) {
    auto& queue = Queue();
    // Pointer moves coalesce as the desktop's do: only the latest matters.
    if (message == kMsgMouseMove && !queue.empty() && queue.back().message == kMsgMouseMove &&
        queue.back().window == window && queue.back().wParam == wParam) {
        queue.back().lParam = lParam;
        queue.back().time = TickCount();
        return;
    }
    PlatformEvent event;
    event.window = window;
    event.message = message;
    event.wParam = wParam;
    event.lParam = lParam;
    event.time = TickCount();
    const QPoint pointer = QCursor::pos();
    event.x = pointer.x();
    event.y = pointer.y();
    event.keyPress = keyPress;
    queue.push_back(event);
    if (QAbstractEventDispatcher* dispatcher = QAbstractEventDispatcher::instance()) {
        dispatcher->wakeUp();
    }
}

void ForgetWindowEvents(PlatformWindow* window) {
    auto& queue = Queue();
    for (auto it = queue.begin(); it != queue.end();) {
        it = it->window == window ? queue.erase(it) : it + 1;
    }
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

void ProcessPendingEvents() {
    if (QApplication::instance()) {
        QApplication::processEvents(QEventLoop::AllEvents);
    }
}

bool PeekEvent(PlatformEvent& event) {
    ProcessPendingEvents();
    return TakeFirst(event, true);
}

bool WaitEvent(PlatformEvent& event) {
    for (;;) {
        if (TakeFirst(event, false)) {
            return true;
        }
        if (QuitPending(nullptr)) {
            return false;
        }
        QApplication::processEvents(QEventLoop::AllEvents | QEventLoop::WaitForMoreEvents);
    }
}

intptr_t DispatchEvent(const PlatformEvent& event) {
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

intptr_t SendEvent(PlatformWindow* window, uint32_t message, uintptr_t wParam, intptr_t lParam) {
    if (!window || !IsLiveWindow(window)) {
        return 0;
    }
    return window->WindowProc(message, wParam, lParam);
}

bool PostEvent(PlatformWindow* window, uint32_t message, uintptr_t wParam, intptr_t lParam) {
    if (window && !IsLiveWindow(window)) {
        return false;
    }
    QueueEvent(window, message, wParam, lParam);
    return true;
}

void PostQuit(int code) {
    QueueEvent(nullptr, kMsgQuit, static_cast<uintptr_t>(code), 0);
}

void DrainKeys() {
    ProcessPendingEvents();
    auto& queue = Queue();
    // Auto-repeats of a held key that piled up while the program was busy
    // go, with their characters; keys the user pressed stay.
    std::vector<uint32_t> repeats;
    for (auto it = queue.begin(); it != queue.end();) {
        const bool repeat = it->message == kMsgKeyDown && (it->lParam & kKeyRepeatBit) != 0 &&
                            it->keyPress != Qtx().dispatchingKeyPress;
        if (repeat) {
            repeats.push_back(it->keyPress);
        }
        const bool ofRepeat =
            it->message == kMsgChar && std::find(repeats.begin(), repeats.end(), it->keyPress) != repeats.end();
        it = repeat || ofRepeat ? queue.erase(it) : it + 1;
    }
}

int PendingEventCount() {
    return static_cast<int>(Queue().size());
}

int RunMessageLoop(bool onlyListedWindows) {
    for (;;) {
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
        PlatformEvent event;
        if (!WaitEvent(event)) {
            int code = 0;
            auto& queue = Queue();
            for (auto it = queue.begin(); it != queue.end(); ++it) {
                if (it->message == kMsgQuit) {
                    code = static_cast<int>(it->wParam);
                    queue.erase(it);
                    break;
                }
            }
            return code;
        }
        if (onlyListedWindows && (!event.window || !event.window->native || !InWindowTable(event.window->native))) {
            continue;
        }
        DispatchEvent(event);
    }
}
