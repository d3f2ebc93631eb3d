// The preview window: creation, layout at the show's aspect, painting with
// the TV-safe overlay, move and spin drags, and mode switching.
#include "PreviewWindow.h"

#include <algorithm>
#include <cmath>

#include "Evaluate.h"
#include "InterfaceColors.h"
#include "Settings.h"
#include "SettingsKeys.h"
#include "Utilities.h"

Rect PreviewRectangle(const Rect& parent, float aspect, int menuBarHeight, int captionHeight, int scrollBarWidth) {
    const int32_t width = parent.right - parent.left;
    const int32_t margin = width / 30;
    const int32_t lowestTop = parent.top + width / 20 + menuBarHeight + captionHeight;
    Rect r;
    r.right = parent.right - margin;
    r.bottom = parent.bottom - margin - scrollBarWidth - 88;
    // Shrink in steps of 1 % of the parent's width until the top is low
    // enough; a parent too short for any preview leaves an empty one.
    for (int percent = 70; percent >= 0; --percent) {
        r.left = r.right - TruncateToInt32(percent / 100.0 * width);
        r.top = r.bottom - TruncateToInt32((r.right - r.left) * static_cast<double>(aspect));
        if (r.top >= lowestTop) {
            break;
        }
    }
    r.top = std::min(r.top, r.bottom);
    return r;
}

PreviewWindow::~PreviewWindow() {
    Destroy();
}

bool PreviewWindow::Create(PlatformWindow& parentWindow, PreviewOwner* previewOwner) {
    parent = &parentWindow;
    owner = previewOwner;
    mode = PreviewMode::SpinChart;
    grid = DataGrid{};
    anchorX = anchorY = kNoAnchor;
    if (gShow) {
        // The chart at full size in the middle until a frame is evaluated.
        gShow->current = KeyFrame{};
        gShow->current.width = 1.0f;
        gShow->current.height = 1.0f;
    }
    showTVSafe = ReadSettingInt(kSettingShowTvSafe, 0) != 0;
    drawFast = ReadSettingInt(kSettingDrawFast, 1) != 0;
    if (!CreatePlatformWindow(*this, parent, kWindowPopup)) {
        return false;
    }
    ShowPlatformWindow(*this, kWindowShown);
    Layout(false);
    BindRenderer();
    Layout(true);
    return true;
}

void PreviewWindow::Destroy() {
    DestroyTextField(grid.field);
    UnbindRenderer();
    if (native) {
        DestroyPlatformWindow(*this);
    }
}

void PreviewWindow::Layout(bool sized) {
    Rect r{0, 0, 640, 480};
    if (parent && parent->native) {
        const float aspect = gShow ? gShow->frameAspect : 0.75f;
        r = PreviewRectangle(GetWindowRect(*parent), aspect, MenuBarHeight(), CaptionHeight(), ScrollBarWidth());
    }
    const Rect before = GetWindowRect(*this);
    MoveWindowTo(*this, r, true);
    const Rect after = GetWindowRect(*this);
    if (parent && (before.left != after.left || before.top != after.top || before.right != after.right ||
                   before.bottom != after.bottom)) {
        // The area the preview left shows the parent's stale drawing.
        InvalidateWindow(*parent);
    }
    if (sized) {
        ResizeRenderer();
    }
    if (sized && mode == PreviewMode::EditData && TextFieldExists(grid.field)) {
        Paint();  // the grid and its open editor at the new size
    }
}

void PreviewWindow::SelectedCell(int& column, int& row) const {
    column = std::max(0, grid.selectedColumn);
    row = std::max(0, grid.selectedRow);
}

void PreviewWindow::ShowReplaced(const std::function<void()>& replace) {
    if (!EditingData()) {
        replace();
        return;
    }
    SetEditingData(false);
    replace();
    SetEditingData(true);
    Repaint();
}

void PreviewWindow::SetEditingData(bool on) {
    SetMode(on ? PreviewMode::EditData : PreviewMode::SpinChart);
}

void PreviewWindow::SetMode(PreviewMode newMode) {
    if (mode == PreviewMode::EditData) {
        CommitEdit();
        if (gShow) {
            StoreGrid(*gShow);
            // The chart shows the typed data as soon as it is seen again.
            Evaluate(*gShow, gCurrentFrame);
        }
    } else if (gShow) {
        LoadGrid(*gShow);
    }
    grid.selectedColumn = -1;
    grid.selectedRow = -1;
    mode = newMode;
}

void PreviewWindow::Paint() {
    if (!native) {
        return;
    }
    {
        PortScope scope(*this);
        if (mode == PreviewMode::EditData) {
            DrawGrid();
        } else {
            RenderChart();
            if (showTVSafe) {
                DrawTVSafe();
            }
        }
    }
    if (owner) {
        owner->DrawToolStrip(gShow ? gShow->current : KeyFrame{});
    }
}

void PreviewWindow::DrawTVSafe() {
    const Rect client = GetClientRect(*this);
    const int32_t w = client.right;
    const int32_t h = client.bottom;
    const Rect action{TruncateToInt32(0.096 * w), TruncateToInt32(0.096 * h), w - TruncateToInt32(0.096 * w),
                      h - TruncateToInt32(0.096 * h)};
    FrameRoundRect(kInterfaceWhite, action, TruncateToInt32(0.1 * w), 1, kPenSolid);
    const Rect title{TruncateToInt32(0.048 * w), TruncateToInt32(0.048 * h), w - TruncateToInt32(0.048 * w),
                     h - TruncateToInt32(0.048 * h)};
    FrameRect(kInterfaceWhite, title, 1, kPenSolid);
}

intptr_t PreviewWindow::OwnMessage(uint32_t message, uintptr_t wParam, intptr_t lParam) {
    switch (message) {
        case kMsgCommand:
            return 1;
        case kMsgMouseMove:
            MouseMove(PointParamX(lParam), PointParamY(lParam));
            return 1;
        case kMsgLeftDown:
            LeftDown(PointParamX(lParam), PointParamY(lParam));
            return 1;
        case kMsgLeftUp:
            LeftUp(PointParamX(lParam), PointParamY(lParam));
            return 1;
        case kCancelDrag:
            anchorX = anchorY = kNoAnchor;
            return 1;
        default:
            return 0;
    }
}

void PreviewWindow::MouseMove(int32_t x, int32_t y) {
    switch (mode) {
        case PreviewMode::MoveChart:
            SetCursorKind(kCursorMoveChart);
            break;
        case PreviewMode::SpinChart:
            SetCursorKind(kCursorSpinChart);
            break;
        default:
            SetCursorKind(kCursorArrow);
            break;
    }
    if (anchorX == kNoAnchor || mode == PreviewMode::EditData || !gShow) {
        return;
    }
    KeyFrame& live = gShow->current;
    const Rect client = GetClientRect(*this);
    if (mode == PreviewMode::MoveChart) {
        live.x = static_cast<float>(static_cast<double>(x - anchorX) / std::max(1, client.right));
        live.y = static_cast<float>(static_cast<double>(anchorY - y) / std::max(1, client.bottom));
    } else {
        const bool pie = gShow->style == ChartStyle::Pie;
        const int32_t spin = std::clamp((x - anchorX) / 2, -90, 90);
        const int32_t tilt = std::clamp((y - anchorY) / 2, pie ? -90 : 0, 90);
        live.spin = static_cast<float>(spin);
        live.tilt = static_cast<float>(tilt);
    }
    Paint();
}

void PreviewWindow::LeftDown(int32_t x, int32_t y) {
    if (!gShow) {
        return;
    }
    const KeyFrame& live = gShow->current;
    const Rect client = GetClientRect(*this);
    if (mode == PreviewMode::MoveChart) {
        anchorX = x - TruncateToInt32(client.right * static_cast<double>(live.x));
        anchorY = y + TruncateToInt32(client.bottom * static_cast<double>(live.y));
    } else if (mode == PreviewMode::SpinChart) {
        anchorX = x - TruncateToInt32(2.0 * live.spin);
        anchorY = y - TruncateToInt32(2.0 * live.tilt);
    }
}

void PreviewWindow::LeftUp(int32_t x, int32_t y) {
    if (owner) {
        owner->CancelOtherDrags(this);
    }
    anchorX = anchorY = kNoAnchor;
    if (mode == PreviewMode::EditData) {
        GridClick(x, y);
    }
}
