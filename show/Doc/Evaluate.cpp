// Keyframe evaluation: the values of every animated channel at one frame,
// the chart size and shown set derived from them, and the data morph.
#include "Evaluate.h"

#include <algorithm>
#include <cmath>
#include <cstring>

#include "Ease.h"
#include "Utilities.h"

namespace {

struct Easing {
    int code = kEaseNone;
    double fraction = 0.0;
    bool straight = false;
};

// Easing of segment `segment` of `count` keys from the slow code of its first key.
Easing SegmentEasing(float slow, int segment, int count) {
    Easing easing;
    if (slow > 0.0f) {
        easing.code = TruncateToInt32((static_cast<double>(slow) - 900.0) * 0.001);  // 900 to 1899: 0, and so on
        int32_t whole = TruncateToInt32(slow);
        easing.fraction = (whole % 1000) * 0.01;
        easing.straight = (whole % 2) != 0;
    } else {
        easing.straight = true;
        if (count == 2) {
            easing.code = kEaseInOut;
        } else if (segment == 0) {
            easing.code = kEaseIn;
        } else if (segment == count - 2) {
            easing.code = kEaseOut;
        } else {
            easing.code = kEaseNone;
        }
    }
    return easing;
}

float EasedPosition(float s, const Easing& easing) {
    const double f = easing.fraction;
    switch (easing.code) {
        case kEaseInOut:
            return Ease(s, static_cast<float>(0.5 - 0.5 * f), static_cast<float>(0.5 + 0.5 * f));
        case kEaseIn:
            return Ease(s, static_cast<float>(1.0 - f), 1.0f);
        case kEaseOut:
            return Ease(s, 0.0f, static_cast<float>(f));
        default:
            return s;
    }
}

double Value(const KeyFrame* keys, int index, int channel) {
    return KeyChannel(keys[index], channel);
}

// |truncate(v[m+1] - v[m])|, raised to 1 when 0 for m >= 1.
int64_t Magnitude(const KeyFrame* keys, int m, int channel) {
    int64_t magnitude =
        std::llabs(static_cast<int64_t>(TruncateToInt32(Value(keys, m + 1, channel) - Value(keys, m, channel))));
    if (m >= 1 && magnitude == 0) {
        magnitude = 1;
    }
    return magnitude;
}

// The tangent at key m of `count` keys.
double Tangent(const KeyFrame* keys, int count, int m, int channel) {
    if (m == 0) {
        return 0.0;
    }
    if (m == count - 1) {
        return Value(keys, m, channel) - Value(keys, m - 1, channel);
    }
    int64_t before = Magnitude(keys, m - 1, channel);
    int64_t after = Magnitude(keys, m, channel);
    double weight = std::min(
        1.0, 3.0 * static_cast<double>(std::min(before, after)) / static_cast<double>(std::max(before, after)));
    return 0.5 * weight * (Value(keys, m + 1, channel) - Value(keys, m - 1, channel));
}

// The first segment i with keys[i].frame <= frame < keys[i + 1].frame, or -1.
int CoveringSegment(const KeyFrame* keys, int count, int32_t frame) {
    for (int i = 0; i + 1 < count; ++i) {
        if (keys[i].frame <= frame && frame < keys[i + 1].frame) {
            return i;
        }
    }
    return -1;
}

// The segment that covers a frame and the eased position inside it.
struct SegmentPosition {
    int segment = -1;  // -1: no segment covers the frame
    double eased = 0.0;
    bool straight = false;
};

SegmentPosition PositionInSegment(const KeyFrame* keys, int count, int32_t frame) {
    SegmentPosition position;
    position.segment = CoveringSegment(keys, count, frame);
    if (position.segment < 0) {
        return position;
    }
    const int i = position.segment;
    const double span = static_cast<double>(keys[i + 1].frame) - keys[i].frame;
    const float s = static_cast<float>((static_cast<double>(frame) - keys[i].frame) / span);
    const Easing easing = SegmentEasing(keys[i].slow, i, count);
    position.eased = EasedPosition(s, easing);
    position.straight = easing.straight;
    return position;
}

// The value between v0 and v1 at the eased position: a straight line, or the
// cubic with tangents t0 and t1.
float SegmentValue(double v0, double v1, double t0, double t1, const SegmentPosition& position) {
    const double e = position.eased;
    if (position.straight) {
        return static_cast<float>(v0 + e * (v1 - v0));
    }
    const double c2 = 3.0 * (v1 - v0) - 2.0 * t0 - t1;
    const double c3 = t0 + t1 - 2.0 * (v1 - v0);
    return static_cast<float>(v0 + e * (t0 + e * (c2 + e * c3)));
}

int DataRowOfKey(const KeyFrame& key) {
    const int64_t row = static_cast<int64_t>(TruncateToInt32(key.dataSet)) - 1;
    return static_cast<int>(std::clamp<int64_t>(row, 0, kDataRows - 1));
}

void MorphData(Show& show, int count, int32_t frame) {
    int i = CoveringSegment(show.keys, count, frame);
    if (i < 0) {
        i = count - 1;
    }
    int j = std::min(i + 1, count - 1);
    const KeyFrame pair[2] = {show.keys[i], show.keys[j]};
    const float* rowA = show.values[DataRowOfKey(pair[0])];
    const float* rowB = show.values[DataRowOfKey(pair[1])];
    // The pair's timing and easing are the same for every category: find
    // them once, then run each value through the same curve as Interpolate.
    const SegmentPosition position = PositionInSegment(pair, 2, frame);
    for (int k = 0; k < kCategories; ++k) {
        if (position.segment < 0) {
            show.currentValues[k] = rowB[k];
            continue;
        }
        const double v0 = rowA[k];
        const double v1 = rowB[k];
        // With two keys the first tangent is 0 and the last is v1 - v0.
        show.currentValues[k] = SegmentValue(v0, v1, 0.0, v1 - v0, position);
    }
}

void ApplyStream(Show& show, int32_t frame) {
    const int columns = std::min(show.streamColumns, kCategories);
    if (columns <= 0 || show.streamValues.empty()) {
        return;
    }
    int32_t row = 0;
    if (show.streamInterval > 0.0f) {
        row = TruncateToInt32(static_cast<double>(frame) / show.streamInterval);
    }
    row = std::clamp(row, 0, std::max(show.streamLastRow, 0));
    const size_t rowCount = show.streamValues.size() / static_cast<size_t>(show.streamColumns);
    if (rowCount == 0) {
        return;
    }
    row = std::min<int32_t>(row, static_cast<int32_t>(rowCount - 1));
    const float* values = show.streamValues.data() + static_cast<size_t>(row) * show.streamColumns;
    for (int k = 0; k < columns; ++k) {
        show.currentValues[k] = values[k];
    }
}

}  // namespace

namespace {

// Channel `channel` at a position already found for these keys.
float ChannelAt(const KeyFrame* keys, int count, int channel, const SegmentPosition& position, bool smooth) {
    if (count == 1 || position.segment < 0) {
        return KeyChannel(keys[count - 1], channel);
    }
    const int i = position.segment;
    if (!smooth) {
        return KeyChannel(keys[i], channel);
    }
    // A channel with the same value on both keys holds it through the
    // segment: the tangents that come from the keys around would make it
    // wander between them.
    if (KeyChannel(keys[i], channel) == KeyChannel(keys[i + 1], channel)) {
        return KeyChannel(keys[i], channel);
    }
    const double t0 = position.straight ? 0.0 : Tangent(keys, count, i, channel);
    const double t1 = position.straight ? 0.0 : Tangent(keys, count, i + 1, channel);
    return SegmentValue(Value(keys, i, channel), Value(keys, i + 1, channel), t0, t1, position);
}

}  // namespace

float Interpolate(const KeyFrame* keys, int count, int channel, int32_t frame, bool smooth) {
    if (!keys || count < 1) {
        return 0.0f;
    }
    SegmentPosition position;
    if (count > 1) {
        position = smooth ? PositionInSegment(keys, count, frame)
                          : SegmentPosition{CoveringSegment(keys, count, frame), 0.0, false};
    }
    return ChannelAt(keys, count, channel, position, smooth);
}

void Evaluate(Show& show, int32_t frame) {
    int32_t f = frame < 1 ? 0 : frame;
    if (f >= show.lengthFrames) {
        f = show.lengthFrames;
    }
    gCurrentFrame = f;
    const int count = std::clamp(show.keyCount, 1, kMaxKeys);
    show.current = KeyFrame{};
    // Every channel shares the covering segment and its easing.
    const SegmentPosition position = count > 1 ? PositionInSegment(show.keys, count, f) : SegmentPosition{};
    for (int channel = 0; channel < kKeyChannels; ++channel) {
        if (channel == 1) {
            continue;
        }
        const bool smooth = channel < 8;
        SetKeyChannel(show.current, channel, ChannelAt(show.keys, count, channel, position, smooth));
    }
    show.chartWidth = TruncateToInt32(200.0 * (static_cast<double>(show.current.width) - 0.5));
    show.chartHeight = TruncateToInt32(200.0 * (static_cast<double>(show.current.height) - 0.5));
    show.showSet = TruncateToInt32(show.current.dataSet);
    if (show.animateData) {
        MorphData(show, count, f);
        ApplyStream(show, f);
    }
}
