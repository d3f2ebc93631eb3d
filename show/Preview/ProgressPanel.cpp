// The progress panel that Make Movie draws over the bottom of the preview:
// the message, the time to go, a green and red bar and the percentage.
#include <cstdio>

#include "InterfaceColors.h"
#include "PreviewWindow.h"

Rect PreviewWindow::ProgressPanelRect() const {
    const Rect client = GetClientRect(*this);
    return Rect{client.left + 6, client.bottom - 70 + 6, client.right - 6, client.bottom - 6};
}

void PreviewWindow::DrawProgress(double fraction, const char* message, const char* timeToGo) {
    if (!native) {
        return;
    }
    PortScope scope(*this);
    const Rect p = ProgressPanelRect();
    FillRect(kInterfaceLightGrey, p);
    DrawBevel(kInterfaceWhite, kInterfaceDarkGrey, p, 1);
    const Rect bar{p.left + 8, p.top + 34, p.right - 48, p.bottom - 8};
    FillRect(kInterfaceGreen, bar);
    const double shown = fraction < 0.0 ? 0.0 : fraction > 1.0 ? 1.0 : fraction;
    FillRect(kInterfaceRed,
             Rect{bar.left + static_cast<int32_t>((bar.right - bar.left) * shown), bar.top, bar.right, bar.bottom});
    FrameRect(kInterfaceBlack, bar, 1, kPenSolid);
    SelectFont(UiFont(kUiFont10), -1, kBackTransparent);
    if (timeToGo && *timeToGo) {
        DrawText(kInterfaceBlack, timeToGo, bar.left, bar.top - 18, kTextLeft);
    }
    DrawText(kInterfaceBlack, message, bar.left, bar.top - 30, kTextLeft);
    char percent[16];
    std::snprintf(percent, sizeof(percent), "%d%%", static_cast<int>(fraction * 100.0));
    DrawText(kInterfaceBlack, percent, bar.right + 4, bar.bottom - 14, kTextLeft);
    SelectFont(nullptr, -1, -1);
}
