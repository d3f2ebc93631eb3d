// The progress panel that Make Movie draws over the bottom of the preview:
// the message, the time to go, a green and red bar and the percentage.
#include <cstdio>

#include "PreviewWindow.h"

namespace {

constexpr uint32_t kLightGrey = 0xC0C0C0;
constexpr uint32_t kDarkGrey = 0x404040;
constexpr uint32_t kWhite = 0xFFFFFF;
constexpr uint32_t kGreen = 0x00FF00;
constexpr uint32_t kRed = 0x0000FF;
constexpr uint32_t kBlack = 0x000000;

}  // namespace

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
    FillRect(kLightGrey, p);
    DrawBevel(kWhite, kDarkGrey, p, 1);
    const Rect bar{p.left + 8, p.top + 34, p.right - 48, p.bottom - 8};
    FillRect(kGreen, bar);
    const double shown = fraction < 0.0 ? 0.0 : fraction > 1.0 ? 1.0 : fraction;
    FillRect(kRed,
             Rect{bar.left + static_cast<int32_t>((bar.right - bar.left) * shown), bar.top, bar.right, bar.bottom});
    FrameRect(kBlack, bar, 1, kPenSolid);
    SelectFont(UiFont(kUiFont10), -1, kBackTransparent);
    if (timeToGo && *timeToGo) {
        DrawText(kBlack, timeToGo, bar.left, bar.top - 18, kTextLeft);
    }
    DrawText(kBlack, message, bar.left, bar.top - 30, kTextLeft);
    char percent[16];
    std::snprintf(percent, sizeof(percent), "%d%%", static_cast<int>(fraction * 100.0));
    DrawText(kBlack, percent, bar.right + 4, bar.bottom - 14, kTextLeft);
    SelectFont(nullptr, -1, -1);
}
