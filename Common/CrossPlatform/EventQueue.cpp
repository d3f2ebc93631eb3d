// The message queue's rules (EventQueue.h).
#include "EventQueue.h"

#include <algorithm>
#include <vector>

PlatformEvent NewEvent(PlatformWindow* window, uint32_t message, uintptr_t wParam, intptr_t lParam) {
    PlatformEvent event;
    event.window = window;
    event.message = message;
    event.wParam = wParam;
    event.lParam = lParam;
    event.time = TickCount();
    return event;
}

bool IsInputMessage(uint32_t message) {
    return message == kMsgKeyDown || message == kMsgKeyUp || message == kMsgChar || message == kMsgCommand ||
           (message >= kMsgMouseMove && message <= kMsgRightUp);
}

bool IsKeyMessage(uint32_t message) {
    return message == kMsgKeyDown || message == kMsgKeyUp || message == kMsgChar;
}

void AppendEvent(EventQueue& queue, const PlatformEvent& event) {
    if (event.message == kMsgMouseMove && !queue.empty() && queue.back().message == kMsgMouseMove &&
        queue.back().window == event.window && queue.back().wParam == event.wParam) {
        queue.back().lParam = event.lParam;
        queue.back().time = event.time;
        return;
    }
    queue.push_back(event);
}

bool TakeFirstEvent(EventQueue& queue, PlatformEvent& event, bool inputOnly) {
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

bool QuitPending(const EventQueue& queue, int* code) {
    for (const PlatformEvent& e : queue) {
        if (e.message == kMsgQuit) {
            if (code) {
                *code = static_cast<int>(e.wParam);
            }
            return true;
        }
    }
    return false;
}

int TakeQuit(EventQueue& queue) {
    for (auto it = queue.begin(); it != queue.end(); ++it) {
        if (it->message == kMsgQuit) {
            const int code = static_cast<int>(it->wParam);
            queue.erase(it);
            return code;
        }
    }
    return 0;
}

void DropWindowEvents(EventQueue& queue, const PlatformWindow* window) {
    for (auto it = queue.begin(); it != queue.end();) {
        it = it->window == window ? queue.erase(it) : it + 1;
    }
}

void DropKeyRepeats(EventQueue& queue, uint32_t dispatchingKeyPress) {
    // Auto-repeats of a held key that piled up while the program was busy
    // go, with their characters; keys the user pressed stay.
    std::vector<uint32_t> repeats;
    for (auto it = queue.begin(); it != queue.end();) {
        const bool repeat =
            it->message == kMsgKeyDown && (it->lParam & kKeyRepeatBit) != 0 && it->keyPress != dispatchingKeyPress;
        if (repeat) {
            repeats.push_back(it->keyPress);
        }
        const bool ofRepeat =
            it->message == kMsgChar && std::find(repeats.begin(), repeats.end(), it->keyPress) != repeats.end();
        it = repeat || ofRepeat ? queue.erase(it) : it + 1;
    }
}
