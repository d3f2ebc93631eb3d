// Exact movie rates and the timecodes that run at them.
#include <cctype>
#include <cmath>
#include <cstdio>
#include <numeric>

extern "C" {
#include <libavutil/timecode.h>
}

#include "MovieFfmpeg.h"

ExactRate ExactMovieRate(double framesPerSecond) {
    if (!(framesPerSecond > 0.0) || framesPerSecond > 1000.0) {
        return ExactRate{0, 1};
    }
    // The rates of 525-line video run 1000/1001 slower than their names.
    for (int32_t nominal : {24, 30, 60}) {
        if (std::fabs(framesPerSecond - nominal * 1000.0 / 1001.0) < 0.005) {
            return ExactRate{nominal * 1000, 1001};
        }
    }
    double hundredths = framesPerSecond * 100.0;
    if (std::fabs(hundredths - std::round(hundredths)) < 1e-6) {
        return ExactRate{static_cast<int32_t>(std::round(hundredths)), 100};
    }
    auto thousandths = static_cast<int32_t>(std::round(framesPerSecond * 1000.0));
    int32_t divisor = std::gcd(thousandths, 1000);
    return ExactRate{thousandths / divisor, 1000 / divisor};
}

namespace {

bool IsDropRate(ExactRate rate) {
    return rate.scale == 1001 && (rate.rate == 30000 || rate.rate == 60000);
}

// Drop-frame leaves out two numbers a minute (four at 59.94) except every
// tenth minute.
int DroppedPerMinute(int base) {
    return base / 15;
}

bool ReadTwoDigits(const std::string& text, size_t at, int& value) {
    if (at + 2 > text.size() || !std::isdigit(static_cast<unsigned char>(text[at])) ||
        !std::isdigit(static_cast<unsigned char>(text[at + 1]))) {
        return false;
    }
    value = (text[at] - '0') * 10 + (text[at + 1] - '0');
    return true;
}

// "HH:MM:SS:FF" or "HH:MM:SS;FF" split into its numbers.
bool SplitTimecode(const std::string& text, int (&parts)[4], bool& drop) {
    constexpr size_t kLength = 11;
    if (text.size() != kLength || text[2] != ':' || text[5] != ':' || (text[8] != ':' && text[8] != ';')) {
        return false;
    }
    for (int i = 0; i < 4; ++i) {
        if (!ReadTwoDigits(text, static_cast<size_t>(3 * i), parts[i])) {
            return false;
        }
    }
    drop = text[8] == ';';
    return parts[0] < 24 && parts[1] < 60 && parts[2] < 60;
}

std::string RateText(ExactRate rate) {
    char text[32] = {};
    std::snprintf(text, sizeof(text), "%.3f", static_cast<double>(rate.rate) / rate.scale);
    std::string shown = text;
    while (shown.back() == '0') {
        shown.pop_back();
    }
    if (shown.back() == '.') {
        shown.pop_back();
    }
    return shown;
}

}  // namespace

int MovieTimecodeBase(ExactRate rate) {
    if (rate.rate <= 0 || rate.scale <= 0) {
        return 0;
    }
    bool ntsc = rate.scale == 1001 && (rate.rate == 24000 || rate.rate == 30000 || rate.rate == 60000);
    bool whole = rate.rate % rate.scale == 0;
    int base = ntsc ? rate.rate / 1000 : (whole ? rate.rate / rate.scale : 0);
    return base == 24 || base == 25 || base == 30 || base == 50 || base == 60 ? base : 0;
}

std::string MovieTimecode(ExactRate rate, int64_t frame, bool dropFrame) {
    const int base = MovieTimecodeBase(rate);
    if (base == 0 || (dropFrame && !IsDropRate(rate))) {
        return {};
    }
    int64_t day = dropFrame ? 144LL * (base * 600 - DroppedPerMinute(base) * 9) : 86400LL * base;
    int64_t wrapped = ((frame % day) + day) % day;
    AVTimecode timecode{};
    int flags = (dropFrame ? AV_TIMECODE_FLAG_DROPFRAME : 0) | AV_TIMECODE_FLAG_24HOURSMAX;
    AVRational avRate{rate.rate, rate.scale};
    if (av_timecode_init(&timecode, avRate, flags, static_cast<int>(wrapped), nullptr) < 0) {
        return {};
    }
    char text[AV_TIMECODE_STR_SIZE] = {};
    return av_timecode_make_string(&timecode, text, 0);
}

bool IsMovieTimecodeText(const std::string& text) {
    int parts[4] = {};
    bool drop = false;
    return SplitTimecode(text, parts, drop);
}

bool ParseMovieTimecode(const std::string& text, ExactRate rate, MovieTimecodeStart& start, std::string& error) {
    int parts[4] = {};
    bool drop = false;
    if (!SplitTimecode(text, parts, drop)) {
        error = "a timecode is HH:MM:SS:FF, or HH:MM:SS;FF for drop-frame";
        return false;
    }
    const int base = MovieTimecodeBase(rate);
    if (base == 0) {
        error = "no timecode runs at " + RateText(rate) + " frames per second";
        return false;
    }
    if (drop && !IsDropRate(rate)) {
        error = "drop-frame timecode (HH:MM:SS;FF) runs only at 29.97 and 59.94 frames per second, not at " +
                RateText(rate) + ": write HH:MM:SS:FF";
        return false;
    }
    const int hours = parts[0];
    const int minutes = parts[1];
    const int seconds = parts[2];
    const int frames = parts[3];
    if (frames >= base) {
        error = "a timecode second at " + RateText(rate) + " frames per second has frames 00 to " +
                std::to_string(base - 1);
        return false;
    }
    const int dropped = drop ? DroppedPerMinute(base) : 0;
    if (drop && seconds == 0 && minutes % 10 != 0 && frames < dropped) {
        error = text + " does not exist in drop-frame timecode: each minute but every tenth starts at frame " +
                std::to_string(dropped);
        return false;
    }
    const int64_t totalMinutes = 60LL * hours + minutes;
    start.frame = (totalMinutes * 60 + seconds) * base + frames - dropped * (totalMinutes - totalMinutes / 10);
    start.dropFrame = drop;
    return true;
}
