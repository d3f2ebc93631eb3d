// The tool strip under the preview: the background tiles, the mode marks,
// the placement read-outs, the frame rate, and the transport with its
// picture buttons and the frame counter.
#include <cstdio>

#include "InterfaceColors.h"
#include "MainWindow.h"
#include "Utilities.h"

namespace {

constexpr int kTileSize = 128;

void DrawReadout(int32_t x, int32_t y, const char* label, int32_t a, int32_t b) {
    char value[48];
    std::snprintf(value, sizeof(value), "%d,%d", a, b);
    DrawText(kInterfaceBlack, label, x + 8, y, kTextLeft);
    DrawText(kInterfaceBlack, value, x + 40, y, kTextLeft);
}

}  // namespace

// ---------------------------------------------------------------- buttons

void ToolButton::SetState(int32_t newState) {
    state = newState;
    const int32_t pictures[] = {normalPicture, pressedPicture, litPicture, disabledPicture};
    const int32_t picture = state >= 0 && state <= 3 ? pictures[state] : 0;
    if (picture != 0) {
        DrawResourceBitmap(rect, picture, kRopCopy);
    }
}

void ToolButton::Place(const Rect& where) {
    rect = where;
    SetState(state);
}

bool ToolButton::HitTest(int32_t x, int32_t y, int32_t newState) {
    if (state == kDisabled || !PointInRect(rect, x, y)) {
        return false;
    }
    if (newState != -1) {
        SetState(newState);
    }
    return true;
}

// ---------------------------------------------------------------- painting

void MainWindow::Paint() {
    if (!native) {
        return;
    }
    {
        PortScope scope(*this);
        const Rect client = GetClientRect(*this);
        for (int32_t y = 0; y <= client.bottom; y += kTileSize) {
            for (int32_t x = 0; x <= client.right; x += kTileSize) {
                DrawResourceBitmap(Rect{x, y, x + kTileSize, y + kTileSize}, kPictureTile, kRopCopy);
            }
        }
    }
    if (Preview() && gShow) {
        const KeyFrame placement = gShow->current;
        DrawToolStrip(placement);
    }
}

void MainWindow::DrawToolStrip(const KeyFrame& placement) {
    if (!native) {
        return;
    }
    PortScope scope(*this);
    const Rect m = GetWindowRect(*this);
    const Rect client = GetClientRect(*this);
    const int32_t u = (m.right - m.left) / 30;
    const PreviewMode mode = Preview() ? Preview()->mode : PreviewMode::MoveChart;
    const Rect p = Preview() ? GetWindowRect(*Preview()) : Rect{};
    Rect& e = previewEdges;
    e.right = DialogFrameWidth() + client.right - u + 1;
    e.left = e.right - (p.right - p.left);
    e.top = p.top - m.top - CaptionHeight() - MenuBarHeight() - DialogFrameWidth() - 1;
    e.bottom = e.top + (p.bottom - p.top);

    SelectFont(UiFont(kUiFont12), -1, kBackTransparent);
    // The panel sits in client coordinates from the left margin. The strip is
    // redrawn on every frame of playback and every drag: the background goes
    // under each part first, so soft edges and text never pile up.
    const Rect panel{u, e.bottom + 8, e.left - 8, e.bottom + 8 + ScrollBarWidth() + 48};
    TileResourceBitmap(panel, kPictureTile);
    FillRoundRect(kInterfaceLightGrey, panel, 12);
    FrameRoundRect(kInterfaceBlack, panel, 12, 1, kPenSolid);
    const char* labels[] = {"Move Chart", "Spin Chart", "Edit Data"};
    for (int n = 0; n < 3; ++n) {
        const Rect mark{e.left - 27, e.bottom + 18 + 17 * n, e.left - 16, e.bottom + 29 + 17 * n};
        DrawText(kInterfaceBlack, labels[n], e.left - 31, mark.top - 2, kTextRight);
        DrawRadioMark(kInterfaceBlack, mark, static_cast<int>(mode) == n);
    }
    DrawReadout(panel.left, panel.top + 6, "Pos", TruncateToInt32(1000.0 * placement.x),
                TruncateToInt32(1000.0 * placement.y));
    DrawReadout(panel.left, panel.top + 23, "Size", TruncateToInt32(100.0 * placement.width),
                TruncateToInt32(100.0 * placement.height));
    DrawReadout(panel.left, panel.top + 40, "Rot", TruncateToInt32(placement.spin), TruncateToInt32(placement.tilt));

    SelectFont(UiFont(kUiFont10), -1, kBackTransparent);
    char rate[64];
    std::snprintf(rate, sizeof(rate), "%.2f fps%s", (gShow ? gShow->frameRate : kRateNtsc) * 0.01,
                  gShow && gShow->fieldSwap ? " / Field order swapped" : "");
    const int32_t rateWidth = TextWidth(rate);
    TileResourceBitmap(Rect{client.right - u - rateWidth - 2, client.bottom - u / 2 - 6, client.right - u + 2,
                            client.bottom - u / 2 + 10},
                       kPictureTile);
    DrawText(kInterfaceBlack, rate, client.right - u, client.bottom - u / 2 - 4, kTextRight);
    SelectFont(nullptr, -1, -1);
    DrawStatus();
    DrawTransport(e.right - 184, client.bottom - u - 24);
    RefreshTitle();
}

void MainWindow::DrawStatus() {
    if (!native) {
        return;
    }
    PortScope scope(*this);
    const Rect m = GetWindowRect(*this);
    const Rect client = GetClientRect(*this);
    const int32_t u = (m.right - m.left) / 30;
    const int32_t top = client.bottom - u / 2 - 6;
    TileResourceBitmap(Rect{u - 2, top, previewEdges.left, top + 16}, kPictureTile);
    if (!status_.empty()) {
        SelectFont(UiFont(kUiFont10), -1, kBackTransparent);
        DrawText(kInterfaceBlack, status_.c_str(), u, top + 2, kTextLeft);
        SelectFont(nullptr, -1, -1);
    }
}

void MainWindow::DrawTransport(int32_t a, int32_t b) {
    const Rect panel{a, b + 4, a + 184, b + 31};
    TileResourceBitmap(panel, kPictureTile);
    FillRoundRect(kInterfaceLightGrey, panel, 10);
    FrameRoundRect(kInterfaceBlack, panel, 10, 1, kPenSolid);
    buttons[kButtonReverse].Place(Rect{a + 4, b + 8, a + 23, b + 27});
    buttons[kButtonStop].Place(Rect{a + 28, b + 8, a + 47, b + 27});
    buttons[kButtonForward].Place(Rect{a + 52, b + 8, a + 71, b + 27});
    buttons[kButtonAddKey].Place(Rect{a + 161, b + 8, a + 180, b + 27});
    counterBox = Rect{a + 76, b + 8, a + 156, b + 27};
    DrawFrameCounter(gCurrentFrame);
}

void MainWindow::DrawFrameCounter(int32_t frame) {
    if (!native) {
        return;
    }
    PortScope scope(*this);
    FillRect(kInterfaceLightGrey, counterBox);
    FillRoundRect(kInterfaceWhite, counterBox, 6);
    FrameRoundRect(kInterfaceBlack, counterBox, 6, 1, kPenSolid);
    SelectFont(UiFont(kUiFont12), kInterfaceWhite, kBackOpaque);
    const std::string text = TimecodeText(frame, false, gShow ? gShow->frameRate : kRateNtsc);
    DrawText(kInterfaceBlack, text.c_str(), RectCenterX(counterBox), counterBox.bottom - 17, kTextCenter);
    SelectFont(nullptr, -1, -1);
}

void MainWindow::FrameChanged() {
    if (preview_) {
        preview_->Repaint();
    }
    if (timeline_) {
        timeline_->Redraw();
    }
    if (tabs_) {
        tabs_->Redraw();
    }
    DrawFrameCounter(gCurrentFrame);
    RefreshTitle();
}
