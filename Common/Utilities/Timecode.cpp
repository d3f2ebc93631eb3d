// Timecode text and entry at a frame rate.
#include <cctype>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#include "Settings.h"
#include "SettingsKeys.h"
#include "Utilities.h"

int32_t ReadFrameRateSetting() {
    const int32_t rate = ReadSettingInt(kSettingFrameRate, kRateNtsc);
    return rate == kRatePal || rate == kRateFilm ? rate : kRateNtsc;
}

int32_t NominalRate(int32_t frameRate) {
    int64_t rate = (int64_t{frameRate} + 50) / 100;
    return rate > 0 ? static_cast<int32_t>(rate) : 1;
}

int32_t FramesPerMinute(int32_t frameRate) {
    int64_t frames = int64_t{frameRate} * 60 / 100;
    return frames > 0 && frames <= INT32_MAX ? static_cast<int32_t>(frames) : 1;
}

int32_t FramesPerHour(int32_t frameRate) {
    int64_t frames = int64_t{frameRate} * 36;
    return frames > 0 && frames <= INT32_MAX ? static_cast<int32_t>(frames) : 1;
}

void TimecodeText(int32_t frame, bool longForm, int32_t frameRate, char* out) {
    if (!out) {
        return;
    }
    int64_t rest = std::llabs(int64_t{frame});
    int64_t perHour = FramesPerHour(frameRate);
    int64_t perMinute = FramesPerMinute(frameRate);
    int64_t perSecond = NominalRate(frameRate);
    int64_t hours = (rest / perHour) % 12;
    rest -= hours * perHour;
    int64_t minutes = (rest / perMinute) % 60;
    rest -= minutes * perMinute;
    int64_t seconds = (rest / perSecond) % 60;
    int64_t frames = (rest % perSecond) % 60;
    char separator = frame < 0 ? '.' : ':';
    int h = static_cast<int>(hours), m = static_cast<int>(minutes);
    int s = static_cast<int>(seconds), f = static_cast<int>(frames);
    if (longForm) {
        std::snprintf(out, kTimecodeTextSize, "%02d:%02d:%02d%c%02d", h, m, s, separator, f);
    } else {
        std::snprintf(out, kTimecodeTextSize, "%02d:%02d%c%02d", m, s, separator, f);
    }
}

std::string TimecodeText(int32_t frame, bool longForm, int32_t frameRate) {
    char text[kTimecodeTextSize] = {};
    TimecodeText(frame, longForm, frameRate, text);
    return text;
}

namespace {

bool IsDigit(char c) {
    return std::isdigit(static_cast<unsigned char>(c)) != 0;
}

}  // namespace

int32_t TimecodeEntry(const char* text, int32_t oldValue, int32_t frameRate) {
    if (!text) {
        return oldValue;
    }
    const int64_t perSecond = NominalRate(frameRate);
    const int64_t weights[4] = {1, perSecond, perSecond * 60, perSecond * 3600};
    int64_t found = oldValue;
    int groups = 0;
    // Signed index: stepping back two from the first character ends the scan
    // without ever pointing before the text.
    for (int64_t i = static_cast<int64_t>(std::strlen(text)) - 1; i >= 0 && groups < 4;) {
        if (!IsDigit(text[i])) {
            --i;
            continue;
        }
        int64_t group = text[i] - '0';
        if (i > 0 && IsDigit(text[i - 1])) {
            group += 10 * (text[i - 1] - '0');
        }
        i -= 2;
        found = groups == 0 ? group : found + group * weights[groups];
        ++groups;
    }
    if (text[0] == '+') {
        // "+" alone adds nothing rather than doubling the old value.
        return ClampToInt32(groups == 0 ? int64_t{oldValue} : int64_t{oldValue} + found);
    }
    if (text[0] == '-') {
        return ClampToInt32(int64_t{oldValue} - found);
    }
    return ClampToInt32(found);
}
