// The built-in demo show.
#include "DemoShow.h"

#include <cstdio>
#include <cstring>

#include "Evaluate.h"

namespace {

constexpr int kSets = 4;
constexpr int kMonths = 8;

const char* const kSetNames[kSets] = {"North", "South", "East", "West"};
const char* const kMonthNames[kMonths] = {"Jan", "Feb", "Mar", "Apr", "May", "Jun", "Jul", "Aug"};
const float kSales[kSets][kMonths] = {
    {12.0f, 18.5f, 25.0f, 21.0f, 30.5f, 27.0f, 35.0f, 40.0f},
    {20.0f, 15.0f, 28.5f, 33.0f, 26.0f, 38.0f, 31.5f, 45.0f},
    {8.0f, 14.0f, 17.5f, 22.0f, 24.0f, 29.5f, 33.0f, 36.0f},
    {16.0f, 21.0f, 19.0f, 27.5f, 32.0f, 30.0f, 41.0f, 43.5f},
};

KeyFrame MakeKey(int32_t frame, float x, float y, float scale, float spin, float tilt, float dataSet) {
    KeyFrame key{};
    key.frame = frame;
    key.x = x;
    key.y = y;
    key.width = scale;
    key.height = scale;
    key.spin = spin;
    key.tilt = tilt;
    key.slow = 1000.0f;  // ease in and out
    key.dataSet = dataSet;
    return key;
}

}  // namespace

void MakeDemoShow(Show& show) {
    ResetShow(show);
    std::snprintf(show.title, sizeof(show.title), "Regional Sales");
    for (int set = 0; set < kSets; ++set) {
        std::snprintf(show.setNames[set], kTextSlot, "%s", kSetNames[set]);
        for (int month = 0; month < kMonths; ++month) {
            show.values[set][month] = kSales[set][month];
        }
    }
    for (int month = 0; month < kMonths; ++month) {
        std::snprintf(show.labels[month], kTextSlot, "%s", kMonthNames[month]);
    }
    show.dataMin = 0.0f;
    show.dataMax = 50.0f;
    show.decimalPlaces = 1;
    std::snprintf(show.prefix, sizeof(show.prefix), "$");
    std::snprintf(show.suffix, sizeof(show.suffix), "M");
    show.animateData = 1;
    show.antiAliasing = 50;

    // About ten seconds at 29.97: sweep from the left, spinning from -30 to
    // 30 degrees and tilting up to 20, morphing from North to South.
    show.keys[0] = MakeKey(0, -0.2f, -0.05f, 0.9f, -30.0f, 0.0f, 1.0f);
    show.keys[1] = MakeKey(150, 0.0f, 0.05f, 1.0f, 0.0f, 10.0f, 2.0f);
    show.keys[2] = MakeKey(299, 0.2f, 0.0f, 1.0f, 30.0f, 20.0f, 2.0f);
    show.keyCount = 3;
    show.modified = 0;
    Evaluate(show, 0);
}
