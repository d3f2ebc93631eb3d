// The headless platform's windowing calls: an in-memory message queue and a
// table of window records; no display (HeadlessPlatform.h says what each
// call does).
#include <algorithm>

#include "HeadlessPlatform.h"
#include "PlatformWindows.h"

namespace {

// Where a scroll position may go: 0 to the highest one.
int ClampScroll(int position, int highest) {
    return std::clamp(position, 0, std::max(0, highest));
}

}  // namespace

HeadlessPlatform::HeadlessPlatform(const char* appName) {
    context.appName = appName ? appName : "";
}

HeadlessWindow* HeadlessPlatform::Find(const PlatformWindow* window) {
    auto it = context.windows.find(window);
    return it == context.windows.end() ? nullptr : &it->second;
}

// ---------------------------------------------------------------- the layer

void HeadlessPlatform::PlatformShutdown() {
    context.queue.clear();
}

const char* HeadlessPlatform::ApplicationName() {
    return context.appName.c_str();
}

// ---------------------------------------------------------------- the queue

int HeadlessPlatform::RunMessageLoop(bool onlyListedWindows) {
    PlatformEvent event;
    while (WaitEvent(event)) {
        if (onlyListedWindows && !IsListedWindow(event.window)) {
            continue;
        }
        DispatchEvent(event);
    }
    return TakeQuit(context.queue);
}

bool HeadlessPlatform::PeekEvent(PlatformEvent& event) {
    return TakeFirstEvent(context.queue, event, true);
}

bool HeadlessPlatform::WaitEvent(PlatformEvent& event) {
    return TakeFirstEvent(context.queue, event, false);
}

intptr_t HeadlessPlatform::DispatchEvent(const PlatformEvent& event) {
    if (!event.window || !Find(event.window)) {
        return 0;
    }
    const uint32_t outer = context.dispatchingKeyPress;
    if (IsKeyMessage(event.message)) {
        context.dispatchingKeyPress = event.keyPress;
    }
    const intptr_t result = event.window->WindowProc(event.message, event.wParam, event.lParam);
    context.dispatchingKeyPress = outer;
    return result;
}

bool HeadlessPlatform::PostEvent(PlatformWindow* window, uint32_t message, uintptr_t wParam, intptr_t lParam) {
    if (window && !Find(window)) {
        return false;
    }
    AppendEvent(context.queue, NewEvent(window, message, wParam, lParam));
    return true;
}

void HeadlessPlatform::PostQuit(int code) {
    PostEvent(nullptr, kMsgQuit, static_cast<uintptr_t>(code), 0);
}

intptr_t HeadlessPlatform::SendEvent(PlatformWindow* window, uint32_t message, uintptr_t wParam, intptr_t lParam) {
    if (!window || !Find(window)) {
        return 0;
    }
    return window->WindowProc(message, wParam, lParam);
}

void HeadlessPlatform::DrainKeys() {
    DropKeyRepeats(context.queue, context.dispatchingKeyPress);
}

int HeadlessPlatform::PendingEventCount() {
    return static_cast<int>(context.queue.size());
}

// ---------------------------------------------------------------- windows

bool HeadlessPlatform::CreatePlatformWindow(PlatformWindow& window, PlatformWindow* parent, int32_t options) {
    if (window.native || Find(&window)) {
        return false;
    }
    HeadlessWindow record;
    record.options = options;
    context.windows[&window] = record;
    window.owner = parent;
    return true;
}

void HeadlessPlatform::DestroyPlatformWindow(PlatformWindow& window) {
    context.windows.erase(&window);
    DropWindowEvents(context.queue, &window);
}

void HeadlessPlatform::MoveWindowTo(PlatformWindow& window, int32_t left, int32_t top, int32_t right, int32_t bottom,
                                    bool repaint) {
    if (HeadlessWindow* record = Find(&window)) {
        record->rect = Rect{left, top, std::max(left, right), std::max(top, bottom)};
    }
}

void HeadlessPlatform::ShowPlatformWindow(PlatformWindow& window, WindowShowMode mode) {
    HeadlessWindow* record = Find(&window);
    if (record && mode >= kWindowHidden && mode <= kWindowMaximized) {
        record->visible = mode != kWindowHidden;
    }
}

void HeadlessPlatform::SetWindowTitle(PlatformWindow& window, const char* text) {
    if (HeadlessWindow* record = Find(&window)) {
        record->title = text ? text : "";
    }
}

std::string HeadlessPlatform::WindowTitle(const PlatformWindow& window) {
    const HeadlessWindow* record = Find(&window);
    return record ? record->title : std::string();
}

Rect HeadlessPlatform::GetClientRect(const PlatformWindow& window) {
    Rect r;
    if (const HeadlessWindow* record = Find(&window)) {
        r.right = record->rect.right - record->rect.left;
        r.bottom = record->rect.bottom - record->rect.top;
    }
    return r;
}

Rect HeadlessPlatform::GetWindowRect(const PlatformWindow& window) {
    const HeadlessWindow* record = Find(&window);
    return record ? record->rect : Rect{};
}

bool HeadlessPlatform::IsWindowVisible(const PlatformWindow& window) {
    const HeadlessWindow* record = Find(&window);
    return record && record->visible;
}

bool HeadlessPlatform::IsListedWindow(const PlatformWindow* window) {
    const HeadlessWindow* record = Find(window);
    return record && !(record->options & kWindowUnlisted);
}

int HeadlessPlatform::ListedWindowCount() {
    return static_cast<int>(std::count_if(context.windows.begin(), context.windows.end(),
                                          [](const auto& entry) { return !(entry.second.options & kWindowUnlisted); }));
}

void HeadlessPlatform::InvalidateWindow(PlatformWindow& window) {
    if (Find(&window)) {
        PostEvent(&window, kMsgPaint, 0, 0);
    }
}

Rect HeadlessPlatform::WorkArea() {
    return context.workArea;
}

// ---------------------------------------------------------------- scroll bars

void HeadlessPlatform::SetScrollRanges(PlatformWindow& window, int hMax, int vMax, int hPage, int vPage, bool redraw) {
    HeadlessWindow* record = Find(&window);
    if (!record) {
        return;
    }
    // As a scroll bar does: the page takes up the last positions.
    record->hScrollMax = std::max(0, hMax - std::max(0, hPage) + 1);
    record->vScrollMax = std::max(0, vMax - std::max(0, vPage) + 1);
    record->hScroll = ClampScroll(record->hScroll, record->hScrollMax);
    record->vScroll = ClampScroll(record->vScroll, record->vScrollMax);
}

void HeadlessPlatform::SetHorizontalScroll(PlatformWindow& window, int position, bool redraw) {
    if (HeadlessWindow* record = Find(&window)) {
        record->hScroll = ClampScroll(position, record->hScrollMax);
    }
}

int HeadlessPlatform::GetHorizontalScroll(const PlatformWindow& window) {
    const HeadlessWindow* record = Find(&window);
    return record ? record->hScroll : 0;
}

void HeadlessPlatform::SetVerticalScroll(PlatformWindow& window, int position, bool redraw) {
    if (HeadlessWindow* record = Find(&window)) {
        record->vScroll = ClampScroll(position, record->vScrollMax);
    }
}

int HeadlessPlatform::GetVerticalScroll(const PlatformWindow& window) {
    const HeadlessWindow* record = Find(&window);
    return record ? record->vScroll : 0;
}

// ---------------------------------------------------------------- drawing, menus, text fields

bool HeadlessPlatform::ResourceBitmapSize(int bitmapId, int& width, int& height) {
    ResourceMask mask;
    if (!LoadResourceMask(bitmapId, mask)) {
        return false;
    }
    width = mask.width;
    height = mask.height;
    return true;
}

bool HeadlessPlatform::DrawResourceBitmap(const Rect& rect, int bitmapId, uint32_t rasterOp) {
    int width = 0;
    int height = 0;
    return ResourceBitmapSize(bitmapId, width, height);
}

bool HeadlessPlatform::TileResourceBitmap(const Rect& area, int bitmapId) {
    int width = 0;
    int height = 0;
    return ResourceBitmapSize(bitmapId, width, height) && width > 0 && height > 0;
}

void HeadlessPlatform::PortSize(DrawingPort* port, int& width, int& height) {
    width = 0;
    height = 0;
}

void HeadlessPlatform::ReleaseMenuBar(PlatformMenu& menu) {
    menu = PlatformMenu{};
}

int HeadlessPlatform::GetTextFieldText(const PlatformEdit& field, char* buffer, int capacity) {
    if (buffer && capacity > 0) {
        buffer[0] = '\0';
    }
    return 0;
}
