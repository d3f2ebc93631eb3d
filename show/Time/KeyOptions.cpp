// Set KeyFrame Options: the value dialog on one key's place, size,
// rotation, data set and slows.
#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "Dialogs.h"
#include "TimelineWindow.h"
#include "Utilities.h"

namespace {

enum KeyOptionItem : int {
    kItemX = 0,
    kItemY = 1,
    kItemWidth = 2,
    kItemHeight = 3,
    kItemSpin = 4,
    kItemTilt = 5,
    kItemDataSet = 6,
    kItemFirstSlow = 7,
    kItemLastSlow = 10
};
constexpr const char* kLabels[kKeyOptionItems] = {"Horizontal Position",
                                                  "Vertical Position",
                                                  "Width",
                                                  "Height",
                                                  "Spin",
                                                  "Tilt",
                                                  "Data Set",
                                                  "@RSlows|In & Out",
                                                  "@RIn",
                                                  "@ROut",
                                                  "@RNone"};

// A channel as shown: cut toward zero; a value that is not a number shows
// as the largest one.
int32_t Shown(double value) {
    return TruncateToInt32(value, NotANumberAs::kLargest);
}

// The leading integer of a text, 0 when there is none.
int32_t LeadingInteger(const char* text) {
    return ClampToInt32(std::strtoll(text, nullptr, 10));
}

}  // namespace

void KeyOptionItems(const KeyFrame& key, char labels[][64], char values[][64]) {
    const int32_t shown[kItemFirstSlow] = {Shown(key.x * 1000.0),     Shown(key.y * 1000.0), Shown(key.width * 100.0),
                                           Shown(key.height * 100.0), Shown(key.spin),       Shown(key.tilt),
                                           Shown(key.dataSet)};
    for (int item = 0; item < kKeyOptionItems; ++item) {
        std::snprintf(labels[item], 64, "%s", kLabels[item]);
        values[item][0] = '\0';
        if (item < kItemFirstSlow) {
            std::snprintf(values[item], 64, "%d", shown[item]);
        }
    }
    // Wide enough that a slow far beyond the codes chooses None, as it
    // evaluates, instead of overflowing.
    const int64_t code = int64_t{TruncateToInt32(key.slow * 0.001 + 0.5)};
    const int chosen = static_cast<int>(std::clamp<int64_t>(kItemFirstSlow - 1 + code, kItemFirstSlow, kItemLastSlow));
    std::snprintf(values[chosen], 64, "1");
}

void ReadKeyOptions(const char values[][64], KeyFrame& key) {
    key.x = static_cast<float>(LeadingInteger(values[kItemX]) * 0.001);
    key.y = static_cast<float>(LeadingInteger(values[kItemY]) * 0.001);
    key.width = static_cast<float>(LeadingInteger(values[kItemWidth]) * 0.01);
    key.height = static_cast<float>(LeadingInteger(values[kItemHeight]) * 0.01);
    key.spin = static_cast<float>(LeadingInteger(values[kItemSpin]));
    key.tilt = static_cast<float>(LeadingInteger(values[kItemTilt]));
    key.dataSet = static_cast<float>(LeadingInteger(values[kItemDataSet]));
    for (int item = kItemFirstSlow; item <= kItemLastSlow; ++item) {
        if (values[item][0] != '\0') {
            key.slow = kSlowCodeStep * static_cast<float>(item - kItemFirstSlow + 1);
            break;
        }
    }
}

std::string KeyOptionsTitle(int keyIndex, int32_t frame, int32_t frameRate) {
    return "Set KeyFrame Options - Key " + std::to_string(keyIndex + 1) + " at " + TimecodeText(frame, true, frameRate);
}

bool RunKeyOptions(PlatformWindow* preview, int32_t x, int32_t y, int keyIndex, KeyFrame& key) {
    DialogSlot labels[kKeyOptionItems];
    DialogSlot values[kKeyOptionItems];
    KeyOptionItems(key, labels, values);
    const std::string title = KeyOptionsTitle(keyIndex, key.frame, gShow ? gShow->frameRate : kRateNtsc);
    if (RunValueDialog(preview, x, y, kKeyOptionItems, labels, values, title.c_str()) != kDialogOk) {
        return false;
    }
    ReadKeyOptions(values, key);
    return true;
}
