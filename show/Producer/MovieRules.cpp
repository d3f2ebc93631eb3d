// Make Movie's rules that need no text parsing: the frame count, the size
// check, the file types and the progress figures.
#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstring>

#include "MakeMovie.h"

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
