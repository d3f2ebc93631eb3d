// The timeline's arithmetic: frames and content x, the scale and extent,
// hold segments and the key hit test.
#include <algorithm>
#include <cstdlib>

#include "TimelineWindow.h"
#include "Utilities.h"

namespace {

constexpr int32_t kHitFrames = 7;
constexpr int32_t kShortScale = 5;
constexpr int32_t kMediumScale = 10;
constexpr int32_t kDropDeleteMost = 5;

int32_t SafeScale(int32_t scale) {
    return std::max(1, scale);
}

}  // namespace

int32_t FrameX(int32_t frame, int32_t scale) {
    return static_cast<int32_t>(static_cast<int64_t>(frame) * kPixelsPerDivision / SafeScale(scale)) + kTimelineLeft;
}

int32_t FrameAtX(int32_t contentX, int32_t scale) {
    const int64_t frame = static_cast<int64_t>(contentX - kTimelineLeft) * SafeScale(scale) / kPixelsPerDivision;
    return frame > 0 ? static_cast<int32_t>(std::min<int64_t>(frame, INT32_MAX)) : 0;
}

int32_t ChooseTimeScale(int32_t lengthFrames, int32_t configured, int32_t frameRate) {
    if (configured > 0) {
        return configured;
    }
    const int32_t n = NominalRate(frameRate);
    if (lengthFrames < 3 * n) {
        return kShortScale;
    }
    if (lengthFrames < 8 * n) {
        return kMediumScale;
    }
    return n;
}

int32_t TimelineExtent(int32_t lengthFrames, int32_t scale) {
    const int64_t pixels = static_cast<int64_t>(std::max(0, lengthFrames)) * kPixelsPerDivision / SafeScale(scale);
    return static_cast<int32_t>(std::min<int64_t>(pixels + kTimelineLeft, kMaxExtent));
}

bool KeysHold(const KeyFrame& a, const KeyFrame& b) {
    return a.x == b.x && a.y == b.y && a.width == b.width && a.height == b.height && a.spin == b.spin &&
           a.tilt == b.tilt && a.dataSet == b.dataSet && a.reserved28 == b.reserved28;
}

int HitKey(const Show& show, int32_t contentX, int32_t y, int32_t scale) {
    if (y < kTrackTop || y > kTrackBottom) {
        return kNoKey;
    }
    const int32_t frame = FrameAtX(contentX, scale);
    const int count = std::clamp(show.keyCount, 1, kMaxKeys);
    for (int k = 0; k < count; ++k) {
        if (std::llabs(static_cast<int64_t>(show.keys[k].frame) - frame) < kHitFrames) {
            return k;
        }
    }
    return kNoKey;
}

int32_t DropDeleteFrame(int32_t scale) {
    return std::min(scale / 2, kDropDeleteMost);
}
