// Make Movie's option rules: the rows and their settings, sizes, timecodes,
// rate, frame count, file types and the progress figures.
#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstring>

#include "MakeMovie.h"
#include "Settings.h"
#include "Utilities.h"

namespace {

bool Ticked(const std::string& text) {
    return text == "1";
}

}  // namespace

MovieOptionTexts ReadMovieOptionTexts(int32_t lastKeyFrame) {
    bool pal = gFrameRate == kRatePal;
    MovieOptionTexts t;
    t.width = ReadSettingString("MovieWid", "720");
    t.height = ReadSettingString("MovieHgt", pal ? "576" : "486");
    t.start = ReadSettingString("MovieStart", "00:00:00");
    t.end = TimecodeText(lastKeyFrame, true);
    t.hold = ReadSettingString("MovieHold", "00:00:00");
    t.fps = ReadSettingString("MovieFPS", pal ? "25" : "29.97");
    t.quality = ReadSettingString("MovieQuality", "100");
    t.fields = ReadSettingString("MovieFields", "1");
    t.reverse = ReadSettingString("MovieReverse", "");
    return t;
}

void WriteMovieOptionTexts(const MovieOptionTexts& t) {
    WriteSettingString("MovieWid", t.width.c_str());
    WriteSettingString("MovieHgt", t.height.c_str());
    WriteSettingString("MovieStart", t.start.c_str());
    WriteSettingString("MovieHold", t.hold.c_str());
    WriteSettingString("MovieFPS", t.fps.c_str());
    WriteSettingString("MovieQuality", t.quality.c_str());
    WriteSettingString("MovieFields", t.fields.c_str());
    WriteSettingString("MovieReverse", t.reverse.c_str());
}

int MovieDimension(const char* text) {
    double value = std::min(ParseDecimal(text), static_cast<double>(kMaxMovieSize));
    return value < 1.0 ? 0 : static_cast<int>(value);
}

double MovieRate(const char* text) {
    double value = std::min(ParseDecimal(text), kMaxMovieRate);
    return value > 0.0 ? value : 0.0;
}

MovieOptions ParseMovieOptions(const MovieOptionTexts& t, int32_t lastKeyFrame) {
    MovieOptions o;
    o.width = MovieDimension(t.width.c_str());
    o.height = MovieDimension(t.height.c_str());
    o.start = TimecodeEntry(t.start.c_str(), 0);
    o.end = TimecodeEntry(t.end.c_str(), lastKeyFrame);
    o.hold = TimecodeEntry(t.hold.c_str(), 0);
    o.framesPerSecond = MovieRate(t.fps.c_str());
    o.fieldMode = Ticked(t.fields) ? kFieldModeFields : 0;
    o.quality = static_cast<int>(ParseDecimal(t.quality.c_str()));
    o.reverse = Ticked(t.reverse);
    return o;
}

void NormaliseMovieTimecodes(MovieOptionTexts& t, const MovieOptions& o) {
    t.start = TimecodeText(o.start, true);
    t.end = TimecodeText(o.end, true);
    t.hold = TimecodeText(o.hold, true);
}

int32_t MovieFrameCount(const MovieOptions& o) {
    int64_t count = static_cast<int64_t>(o.end) + 2 * static_cast<int64_t>(o.hold) - o.start;
    if (o.reverse) {
        count *= 2;
    }
    return static_cast<int32_t>(std::clamp<int64_t>(count, INT32_MIN, INT32_MAX));
}

std::string MovieSizeProblem(const MovieOptions& o) {
    if (o.width < 1 || o.height < 1) {
        return "The movie's width and height must each be at least 1 pixel.";
    }
    if (o.framesPerSecond <= 0.0) {
        return "The movie's frame rate must be above 0.";
    }
    if (o.hold < 0) {
        return "The head and tail holds cannot be negative.";
    }
    return {};
}

int MovieTypeFor(const char* path) {
    if (std::strstr(path, ".dps")) {
        return 2;
    }
    if (std::strstr(path, ".mov")) {
        return 1;
    }
    return std::strstr(path, ".rtv") ? 3 : 0;
}

const char* MovieFileFilter(int type) {
    switch (type) {
        case 1:
            return "QuickTime Movies (*.mov)|*.mov|AVI Files (*.avi)|*.avi|DPS Files (*.dps)|*.dps|VideoToaster Files "
                   "(*.rtv)|*.rtv|All Files *.*|*.*||";
        case 2:
            return "DPS Files (*.dps)|*.dps|AVI Files (*.avi)|*.avi|QuickTime Movies (*.mov)|*.mov|VideoToaster Files "
                   "(*.rtv)|*.rtv|All Files *.*|*.*||";
        case 3:
            return "VideoToaster Files (*.rtv)|*.rtv|AVI Files (*.avi)|*.avi|QuickTime Movies (*.mov)|*.mov|DPS Files "
                   "(*.dps)|*.dps|All Files *.*|*.*||";
        default:
            return "AVI Files (*.avi)|*.avi|QuickTime Movies (*.mov)|*.mov|DPS Files (*.dps)|*.dps|VideoToaster Files "
                   "(*.rtv)|*.rtv|All Files *.*|*.*||";
    }
}

const char* MovieDefaultExtension(int type) {
    static const char* const kExtensions[] = {".avi", ".mov", ".dps", ".rtv"};
    return type >= 1 && type <= 3 ? kExtensions[type] : kExtensions[0];
}

ProgressFigures ComputeProgress(double fraction, uint32_t startTick, uint32_t nowTick) {
    ProgressFigures figures;
    figures.percent = static_cast<int>(std::trunc(fraction * 100.0));
    if (startTick == 0) {
        return figures;
    }
    long remaining = 0;
    if (fraction > 0.0) {
        double elapsed = static_cast<double>(nowTick - startTick);
        double total = std::trunc(elapsed / fraction);
        remaining = static_cast<long>((total - elapsed) / 1000.0);
    }
    // The part of a second still running counts as a whole second.
    figures.secondsToGo = remaining + 1;
    char text[64];
    std::snprintf(text, sizeof(text), "Time to go: %02ld:%02ld", figures.secondsToGo / 60, figures.secondsToGo % 60);
    figures.timeToGo = text;
    return figures;
}
