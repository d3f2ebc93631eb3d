// The few windowing calls built from others, so that every implementation
// shares them, and the child windows' common procedure.
#include "ChildWindow.h"
#include "PlatformWindows.h"

PlatformWindow::~PlatformWindow() {
    DestroyPlatformWindow(*this);
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

intptr_t ChildWindow::WindowProc(uint32_t message, uintptr_t wParam, intptr_t lParam) {
    switch (message) {
        case kMsgMove:
        case kMsgSize:
            Place(message == kMsgSize);
            return 1;
        case kMsgPaint:
            Paint();
            return 1;
        case kMsgClose:
            PostQuit(0);
            return 1;
        case kMsgKeyDown:
        case kMsgChar:
            if (!KeepKey(message, wParam)) {
                PassKeyToParent(parent, message, wParam, lParam);
            }
            return 1;
        default:
            return OwnMessage(message, wParam, lParam);
    }
}
