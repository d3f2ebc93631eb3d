// Window timers on Qt: a QTimer per window and id posts the timer message
// into the program's queue, unless one is still waiting there (timer
// messages do not pile up while a modal loop leaves them queued).
#include <QApplication>
#include <QTimer>
#include <algorithm>
#include <map>
#include <utility>

#include "QtInternal.h"

namespace {

using TimerKey = std::pair<PlatformWindow*, int>;

// The running timers; they belong to the application object.
std::map<TimerKey, QTimer*>& Timers() {
    static std::map<TimerKey, QTimer*> timers;
    return timers;
}

bool TimerWaiting(PlatformWindow* window, int id) {
    const auto& queue = Qtx().queue;
    return std::any_of(queue.begin(), queue.end(), [&](const PlatformEvent& event) {
        return event.window == window && event.message == kMsgTimer && event.wParam == static_cast<uintptr_t>(id);
    });
}

void StopTimer(const TimerKey& key) {
    auto found = Timers().find(key);
    if (found == Timers().end()) {
        return;
    }
    found->second->stop();
    found->second->deleteLater();
    Timers().erase(found);
}

}  // namespace

bool QtPlatform::SetWindowTimer(PlatformWindow& window, int id, int intervalMs) {
    if (!QApplication::instance() || intervalMs <= 0) {
        return false;
    }
    QTimer*& timer = Timers()[TimerKey(&window, id)];
    if (!timer) {
        timer = new QTimer(QApplication::instance());
        PlatformWindow* target = &window;
        QObject::connect(timer, &QTimer::timeout, [target, id] {
            if (!IsLiveWindow(target)) {
                StopTimer(TimerKey(target, id));  // the window has gone
                return;
            }
            if (!TimerWaiting(target, id)) {
                QueueEvent(target, kMsgTimer, static_cast<uintptr_t>(id), 0);
            }
        });
    }
    timer->start(intervalMs);
    return true;
}

void QtPlatform::KillWindowTimer(PlatformWindow& window, int id) {
    StopTimer(TimerKey(&window, id));
}
