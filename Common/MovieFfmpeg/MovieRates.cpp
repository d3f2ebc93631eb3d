// Exact movie rates and the timecodes that run at them.
#include <cmath>
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

std::string MovieTimecode(ExactRate rate, int32_t frame) {
    if (rate.rate <= 0 || rate.scale <= 0) {
        return {};
    }
    bool ntsc = rate.scale == 1001 && (rate.rate == 24000 || rate.rate == 30000 || rate.rate == 60000);
    bool whole = rate.rate % rate.scale == 0;
    int nominal = ntsc ? rate.rate / 1000 : (whole ? rate.rate / rate.scale : 0);
    if (nominal != 24 && nominal != 25 && nominal != 30 && nominal != 50 && nominal != 60) {
        return {};
    }
    bool drop = ntsc && nominal != 24;
    // Drop-frame leaves out two numbers a minute (four at 59.94) except
    // every tenth minute.
    int64_t day = drop ? 144LL * (nominal * 600 - nominal / 15 * 9) : 86400LL * nominal;
    int64_t wrapped = ((frame % day) + day) % day;
    AVTimecode timecode{};
    int flags = (drop ? AV_TIMECODE_FLAG_DROPFRAME : 0) | AV_TIMECODE_FLAG_24HOURSMAX;
    AVRational avRate{rate.rate, rate.scale};
    if (av_timecode_init(&timecode, avRate, flags, static_cast<int>(wrapped), nullptr) < 0) {
        return {};
    }
    char text[AV_TIMECODE_STR_SIZE] = {};
    return av_timecode_make_string(&timecode, text, 0);
}
