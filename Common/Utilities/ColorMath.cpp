// RGB (0..255 per channel) and HLS (0..240 per component) in integer
// arithmetic; every division truncates toward zero.
#include <algorithm>

#include "Dialogs.h"

namespace {

constexpr int kHlsMax = 240;
constexpr int kRgbMax = 255;
constexpr int kHueSixth = kHlsMax / 6;  // 40
constexpr int kHueThird = kHlsMax / 3;  // 80

// The hue part of a component ((max - channel) scaled to a sixth of a turn).
int HuePart(int max, int channel, int range) {
    return ((max - channel) * kHueSixth + range / 2) / range;
}

// One channel on the HLS scale for a hue.
int HueToChannel(int m1, int m2, int hue) {
    if (hue < 0) {
        hue += kHlsMax;
    } else if (hue > kHlsMax) {
        hue -= kHlsMax;
    }
    if (hue < kHueSixth) {
        return m1 + ((m2 - m1) * hue + kHueSixth / 2) / kHueSixth;
    }
    if (hue < kHlsMax / 2) {
        return m2;
    }
    if (hue < kHlsMax * 2 / 3) {
        return m1 + ((m2 - m1) * (kHlsMax * 2 / 3 - hue) + kHueSixth / 2) / kHueSixth;
    }
    return m1;
}

int ChannelToRgb(int channel) {
    return (channel * kRgbMax + kHlsMax / 2) / kHlsMax;
}

}  // namespace

void RgbToHls(int red, int green, int blue, int& hue, int& luminance, int& saturation) {
    const int max = std::max({red, green, blue});
    const int min = std::min({red, green, blue});
    const int sum = max + min;
    luminance = (sum * kHlsMax + kRgbMax) / (2 * kRgbMax);
    if (max == min) {
        saturation = 0;
        hue = 0;
        return;
    }
    const int range = max - min;
    if (luminance <= kHlsMax / 2) {
        saturation = (range * kHlsMax + sum / 2) / sum;
    } else {
        const int rest = 2 * kRgbMax - sum;
        saturation = (range * kHlsMax + rest / 2) / rest;
    }
    const int redPart = HuePart(max, red, range);
    const int greenPart = HuePart(max, green, range);
    const int bluePart = HuePart(max, blue, range);
    if (red == max) {
        hue = bluePart - greenPart;
    } else if (green == max) {
        hue = kHueThird + redPart - bluePart;
    } else {
        hue = 2 * kHueThird + greenPart - redPart;
    }
    if (hue < 0) {
        hue += kHlsMax;
    } else if (hue > kHlsMax) {
        hue -= kHlsMax;
    }
}

void HlsToRgb(int hue, int luminance, int saturation, int& red, int& green, int& blue) {
    int m2 = 0;
    if (luminance <= kHlsMax / 2) {
        m2 = (luminance * (kHlsMax + saturation) + kHlsMax / 2) / kHlsMax;
    } else {
        m2 = luminance + saturation - (luminance * saturation + kHlsMax / 2) / kHlsMax;
    }
    const int m1 = 2 * luminance - m2;
    red = ChannelToRgb(HueToChannel(m1, m2, hue + kHueThird));
    green = ChannelToRgb(HueToChannel(m1, m2, hue));
    blue = ChannelToRgb(HueToChannel(m1, m2, hue - kHueThird));
}
