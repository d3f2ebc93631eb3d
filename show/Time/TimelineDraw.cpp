// Drawing the timeline: the ruler of alternating blocks with timecode
// labels, the key track, the cursor, the key marks with their selection,
// crowding rings and " HOLD " segments.
#include <algorithm>
#include <string>

#include "InterfaceColors.h"
#include "TimelineWindow.h"
#include "Utilities.h"

namespace {

constexpr uint32_t kBlack = 0x000000;
constexpr uint32_t kWhite = 0xFFFFFF;
constexpr uint32_t kLightGrey = 0xC0C0C0;
constexpr uint32_t kDarkBlock = 0x808080;
constexpr uint32_t kTrackColour = 0xFFFF00;   // cyan
constexpr uint32_t kCursorColour = 0x0000FF;  // red
constexpr uint32_t kCrowdColour = 0x0000FF;

constexpr int32_t kTopStrip = 5;
constexpr int32_t kUpperBandBottom = 15;
constexpr int32_t kLowerBandTop = 29;
constexpr int32_t kLeftMargin = 8;
constexpr int32_t kBlockPair = 120;
constexpr int32_t kBlockWidth = 61;
constexpr int32_t kRightStrip = 6;
constexpr int32_t kLabelAbove = 15;
constexpr int32_t kCursorWidth = 2;
constexpr int32_t kCursorInset = 5;
constexpr int32_t kHoldY = 22;
constexpr int32_t kHoldGap = 8;
constexpr int32_t kFirstMarkX = 6;
constexpr int32_t kCrowdPixels = 4;
constexpr int32_t kRingOutside = 6;
constexpr const char* kHoldText = " HOLD ";

// Drawing calls in content coordinates.
void Fill(const TimelineView& v, uint32_t colour, int32_t left, int32_t top, int32_t right, int32_t bottom) {
    FillRect(colour, Rect{left - v.scroll, top, right - v.scroll, bottom});
}

void Line(const TimelineView& v, uint32_t colour, int32_t x1, int32_t y1, int32_t x2, int32_t y2, int width = 1) {
    DrawLine(colour, x1 - v.scroll, y1, x2 - v.scroll, y2, width, kPenSolid);
}

// One light and one dark block starting at x; the dark one labelled with
// the timecode of `labelFrame` unless it is negative.
void DrawBlockPair(const TimelineView& v, int32_t x, int32_t labelFrame) {
    Fill(v, kLightGrey, x, 0, x + kBlockWidth, kUpperBandBottom);
    Fill(v, kLightGrey, x, kLowerBandTop, x + kBlockWidth, v.bottom);
    const int32_t dark = x + kBlockWidth - 1;
    Fill(v, kDarkBlock, dark, kTopStrip - 1, dark + kBlockWidth, kUpperBandBottom);
    Fill(v, kDarkBlock, dark, kLowerBandTop, dark + kBlockWidth, v.bottom);
    if (labelFrame >= 0) {
        const std::string text = TimecodeText(labelFrame, false, v.frameRate);
        DrawText(kWhite, text.c_str(), dark + kBlockWidth / 2 - v.scroll, v.bottom - kLabelAbove, kTextCenter);
    }
}

int32_t MarkLeft(const TimelineView& v, const Show& show, int k) {
    const int32_t left = k == 0 ? kFirstMarkX : FrameX(show.keys[k].frame, v.scale) - kMarkSize / 2;
    return std::min(left, v.extent - kMarkSize - 2);
}

void DrawHold(const TimelineView& v, const Show& show, int k) {
    int32_t u = FrameX(show.keys[k - 1].frame, v.scale) + kHoldGap + (k - 1 == 0 ? kMarkSize + 2 : 0);
    const int32_t w = FrameX(show.keys[k].frame, v.scale) - kHoldGap;
    const int32_t a = TextWidth(kHoldText);
    const int32_t mid = u + (w - u - a) / 2;
    if (mid > u) {
        Line(v, kBlack, u, kHoldY, mid, kHoldY);
    }
    if (u < w) {
        Line(v, kBlack, mid + a, kHoldY, w, kHoldY);
    }
    if (a < w - u) {
        DrawText(kBlack, kHoldText, mid + a / 2 - v.scroll, kMarkTop, kTextCenter);
    }
}

bool KeySelectedBy(const TimelineView& v, const Show& show, int k, int32_t cursorX) {
    const int32_t centre = FrameX(show.keys[k].frame, v.scale);
    const Rect hit = k == 0 ? Rect{0, 0, kMarkSize, 1} : Rect{centre - kMarkSize / 2, 0, centre + kMarkSize / 2, 1};
    return cursorX + 2 >= hit.left && cursorX + 2 <= hit.right;
}

void DrawCrowding(const TimelineView& v, const Show& show, int k) {
    const int32_t left = MarkLeft(v, show, k);
    for (int earlier = 0; earlier < k; ++earlier) {
        if (std::abs(MarkLeft(v, show, earlier) - left) < kCrowdPixels) {
            const Rect ring{left - kRingOutside - v.scroll, kMarkTop - kRingOutside,
                            left + kMarkSize + kRingOutside - v.scroll, kMarkTop + kMarkSize + kRingOutside};
            FrameOval(kCrowdColour, ring, 1, kPenSolid);
        }
    }
}

}  // namespace

void DrawRuler(const TimelineView& v) {
    Fill(v, kLightGrey, 0, 0, v.extent, kTopStrip + 1);
    Fill(v, kLightGrey, 0, v.bottom - 4, v.extent, v.bottom + 1);
    Fill(v, kLightGrey, 0, 0, kLeftMargin + 1, v.bottom + 1);
    SelectFont(UiFont(kUiFont10), -1, kBackTransparent);
    int32_t x = kTimelineLeft;
    int32_t k = 1;
    for (; x + kBlockWidth < v.extent; x += kBlockPair, k += 2) {
        // Only the pairs in view are drawn: playback repaints every frame.
        if (x + kBlockPair >= v.scroll && x <= v.scroll + v.clientRight) {
            DrawBlockPair(v, x, k * v.scale);
        }
    }
    DrawBlockPair(v, x, -1);
    SelectFont(nullptr, -1, -1);
    FillRect(kLightGrey, Rect{v.clientRight - kRightStrip, 0, v.clientRight, v.bottom + 1});
}

int DrawKeys(const TimelineView& v, const Show& show, int32_t currentFrame) {
    const Rect track{kTimelineLeft - v.scroll, kTrackTop, v.extent - v.scroll, kTrackBottom};
    FillRect(kTrackColour, track);
    FrameRect(kBlack, track, 1, kPenSolid);
    const int32_t cursorX = std::max(3, FrameX(currentFrame, v.scale));
    Line(v, kCursorColour, cursorX, kCursorInset, cursorX, v.bottom - kCursorInset, kCursorWidth);
    SelectFont(UiFont(kUiFont10), -1, kBackTransparent);
    int selected = kNoKey;
    const int count = std::clamp(show.keyCount, 1, kMaxKeys);
    for (int k = 0; k < count; ++k) {
        if (k > 0 && KeysHold(show.keys[k], show.keys[k - 1])) {
            DrawHold(v, show, k);
        }
        const bool isSelected = KeySelectedBy(v, show, k, FrameX(currentFrame, v.scale));
        selected = isSelected ? k : selected;
        const int32_t left = MarkLeft(v, show, k) - v.scroll;
        DrawResourceBitmap(Rect{left, kMarkTop, left + kMarkSize, kMarkTop + kMarkSize},
                           isSelected ? kPictureSelectedKeyMark : kPictureKeyMark, kRopCopy);
        DrawCrowding(v, show, k);
    }
    SelectFont(nullptr, -1, -1);
    return selected;
}
