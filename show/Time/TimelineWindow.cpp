// The timeline window: creation, layout under the preview, scrolling and
// following the current frame, and the mouse: scrubbing, dragging keys,
// removing a key dropped at the start, and Set KeyFrame Options.
#include "TimelineWindow.h"

#include <algorithm>
#include <cstring>

#include "Evaluate.h"
#include "KeyEdit.h"
#include "Settings.h"
#include "SettingsKeys.h"
#include "Utilities.h"

namespace {

constexpr int32_t kBandHeight = 48;
constexpr int32_t kStripBelow = 32;
constexpr int32_t kScrollLine = 60;
constexpr int32_t kOptionsLeftOffset = 250;
constexpr int32_t kOptionsMinLeft = 8;
constexpr int32_t kOptionsAboveBottom = 320;

Rect RingAt(int32_t x) {
    return Rect{x - kMarkSize / 2, kMarkTop, x + kMarkSize / 2, kMarkTop + kMarkSize};
}

}  // namespace

TimelineWindow::~TimelineWindow() {
    Destroy();
}

bool TimelineWindow::Create(PlatformWindow& parentWindow, TimelineOwner* editorOwner, PlatformWindow* previewWindow) {
    parent = &parentWindow;
    owner = editorOwner;
    preview = previewWindow;
    configuredScale = ReadSettingInt(kSettingTimeScale, NominalRate(gShow ? gShow->frameRate : kRateNtsc));
    draggedKey = kNoKey;
    scrubbing = 0;
    if (!CreatePlatformWindow(*this, parent, kWindowThinBorder | kWindowPopup | kWindowHScroll)) {
        return false;
    }
    ShowScrollBars(*this, true, false);
    SetLength(gShow ? gShow->lengthFrames : 0);
    ShowPlatformWindow(*this, kWindowShown);
    return true;
}

void TimelineWindow::Destroy() {
    if (native) {
        DestroyPlatformWindow(*this);
    }
}

void TimelineWindow::SetLength(int32_t lengthFrames) {
    shownLength = lengthFrames;
    timeScale = ChooseTimeScale(lengthFrames, configuredScale, gShow ? gShow->frameRate : kRateNtsc);
    extent = TimelineExtent(lengthFrames, timeScale);
    Layout();
}

void TimelineWindow::Layout() {
    Rect r{0, 0, 640, 480};
    if (parent && parent->native) {
        const Rect p = GetWindowRect(*parent);
        const int32_t m = (p.right - p.left) / 30;
        r.right = p.right - m;
        r.bottom = p.bottom - m - kStripBelow;
        r.top = r.bottom - ScrollBarWidth() - kBandHeight;
        const int32_t previewWidth = preview && preview->native ? RectWidth(GetWindowRect(*preview)) : r.right;
        r.left = r.right - std::max(0, std::min(previewWidth, extent - 1));
    }
    MoveWindowTo(*this, r, true);
    SetScrollRanges(*this, extent, 0, RectWidth(GetClientRect(*this)), 0, true);
    ShowScrollBars(*this, true, false);
}

int32_t TimelineWindow::ContentX(int32_t x) const {
    return x + GetHorizontalScroll(*this);
}

void TimelineWindow::FollowCurrentFrame() {
    if (!native) {
        return;
    }
    if (gShow && gShow->lengthFrames != shownLength) {
        SetLength(gShow->lengthFrames);  // a new or loaded show, another frame rate
    }
    const int32_t x = FrameX(gCurrentFrame, timeScale);
    const int32_t scroll = GetHorizontalScroll(*this);
    const Rect client = GetClientRect(*this);
    if (x < scroll + client.left || x > scroll + client.right) {
        SetHorizontalScroll(*this, std::max(0, x - client.right / 2), true);
    }
    Paint();
}

void TimelineWindow::Paint() {
    if (!native || !gShow) {
        return;
    }
    {
        PortScope scope(*this);
        TimelineView view;
        view.scroll = GetHorizontalScroll(*this);
        const Rect client = GetClientRect(*this);
        view.clientRight = client.right;
        view.bottom = client.bottom;
        view.extent = extent;
        view.scale = timeScale;
        view.frameRate = gShow->frameRate;
        gShow->selectedKey = kNoKey;
        DrawRuler(view);
        gShow->selectedKey = DrawKeys(view, *gShow, gCurrentFrame);
    }
    // A new paint leaves no drag ring to erase.
    lastRingX_ = kNoRing;
    if (owner) {
        owner->UpdateEditMenu();
    }
}

// ---------------------------------------------------------------- messages

intptr_t TimelineWindow::OwnMessage(uint32_t message, uintptr_t wParam, intptr_t lParam) {
    const int32_t x = PointParamX(lParam);
    const int32_t y = PointParamY(lParam);
    switch (message) {
        case kMsgHScroll:
            HandleScroll(*this, message, wParam, kScrollLine);
            Paint();
            return 1;
        case kMsgMouseMove:
            MouseMove(x, y);
            return 1;
        case kMsgLeftDown:
            LeftDown(x, y);
            return 1;
        case kMsgLeftUp:
            LeftUp(x, y);
            return 1;
        case kMsgRightUp:
            RightUp(x, y);
            return 1;
        case kCancelDrag:
            scrubbing = 0;
            draggedKey = kNoKey;
            return 1;
        default:
            return 0;
    }
}

// ---------------------------------------------------------------- mouse

void TimelineWindow::MouseMove(int32_t x, int32_t y) {
    if (!gShow) {
        return;
    }
    Show& show = *gShow;
    if (scrubbing) {
        const int32_t frame = FrameAtX(ContentX(x), timeScale);
        Evaluate(show, frame);
        if (owner) {
            owner->RepaintPreview();
        }
        Paint();  // the cursor follows the scrub
        if (owner) {
            owner->DrawFrameCounter(frame);
        }
        return;
    }
    if (draggedKey > 0) {
        DragFeedback(x);
        return;
    }
    const int hit = HitKey(show, ContentX(x), y, timeScale);
    if (hit == kNoKey) {
        SetCursorKind(kCursorArrow);
    } else if (hit > 0) {
        SetCursorKind(kCursorSizeHorizontal);
    }
}

void TimelineWindow::DragFeedback(int32_t x) {
    {
        PortScope scope(*this);
        if (lastRingX_ != kNoRing) {
            InvertOval(RingAt(lastRingX_), 1, kPenSolid);
        }
        InvertOval(RingAt(x), 1, kPenSolid);
    }
    lastRingX_ = x;
    if (owner) {
        owner->DrawFrameCounter(FrameAtX(ContentX(x), timeScale));
    }
}

void TimelineWindow::LeftDown(int32_t x, int32_t y) {
    if (!gShow) {
        return;
    }
    lastRingX_ = kNoRing;
    draggedKey = HitKey(*gShow, ContentX(x), y, timeScale);
    if (draggedKey == kNoKey) {
        scrubbing = 1;
    }
}

void TimelineWindow::LeftUp(int32_t x, int32_t y) {
    (void)y;
    scrubbing = 0;
    if (owner) {
        owner->CancelOtherDrags(this);
    }
    if (!gShow) {
        return;
    }
    const int32_t frame = FrameAtX(ContentX(x), timeScale);
    DropKey(frame);
    ShowFrame(*gShow, frame);
    if (owner) {
        owner->DrawToolStrip(gShow->current);
    }
    draggedKey = kNoKey;
}

void TimelineWindow::DropKey(int32_t frame) {
    Show& show = *gShow;
    const int count = std::clamp(show.keyCount, 1, kMaxKeys);
    if (draggedKey <= 0 || draggedKey >= count || show.keys[draggedKey].frame == frame) {
        return;
    }
    if (frame < DropDeleteFrame(timeScale)) {
        // Dropped at the very start: the key goes, and Undo brings it back
        // where it was.
        DeleteKey(show, draggedKey);
        return;
    }
    MoveKey(show, draggedKey, frame);
}

void TimelineWindow::RightUp(int32_t x, int32_t y) {
    if (!gShow || !preview || !preview->native) {
        return;
    }
    Show& show = *gShow;
    const int hit = HitKey(show, ContentX(x), y, timeScale);
    if (hit == kNoKey) {
        return;
    }
    const int32_t frame = FrameAtX(ContentX(x), timeScale);
    KeyFrame key{};
    GetKey(show, hit, key);
    const KeyFrame before = key;
    const Rect own = GetWindowRect(*this);
    const Rect view = GetWindowRect(*preview);
    const int32_t left = std::max(kOptionsMinLeft, own.left - view.left + x - kOptionsLeftOffset);
    const int32_t top = RectHeight(view) - kOptionsAboveBottom;
    if (RunKeyOptions(preview, left, top, hit, key)) {
        PushUndo(show, before, static_cast<int16_t>(hit));
        PutKey(show, hit, key);
    }
    ShowFrame(show, frame);
}
