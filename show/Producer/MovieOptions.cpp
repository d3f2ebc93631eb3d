// Make Movie's option rows: their settings, sizes, timecodes and rate.

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstring>

#include "BroadcastFormats.h"
#include "MakeMovie.h"
#include "Settings.h"
#include "SettingsKeys.h"
#include "Utilities.h"

namespace {

bool Ticked(const std::string& text) {
    return text == "1";
}

// The slider's range; a hand-edited value outside it (or too large for an
// int) is brought back into it.
int MovieQuality(const char* text) {
    return static_cast<int>(std::clamp(ParseDecimal(text), 0.0, 100.0));
}

// The End row as proposed is the last keyframe's frame. Its long form does
// not read back to the same frame beyond a minute (the text counts the
// rate's exact frames per minute, entry counts 60 seconds), so the proposed
// text is taken as the frame it was made from.
int32_t MovieEnd(const std::string& text, int32_t lastKeyFrame, int32_t frameRate) {
    if (text == TimecodeText(lastKeyFrame, true, frameRate)) {
        return lastKeyFrame;
    }
    return TimecodeEntry(text.c_str(), lastKeyFrame, frameRate);
}

}  // namespace

MovieOptionTexts ReadMovieOptionTexts(int32_t lastKeyFrame, int32_t frameRate) {
    bool pal = frameRate == kRatePal;
    MovieOptionTexts t;
    t.frameRate = frameRate;
    t.width = ReadSettingString(kSettingMovieWidth, "720");
    t.height = ReadSettingString(kSettingMovieHeight, pal ? "576" : "486");
    t.start = ReadSettingString(kSettingMovieStart, "00:00:00");
    t.end = TimecodeText(lastKeyFrame, true, frameRate);
    t.hold = ReadSettingString(kSettingMovieHold, "00:00:00");
    t.fps = ReadSettingString(kSettingMovieRate, pal ? "25" : "29.97");
    t.quality = ReadSettingString(kSettingMovieQuality, "100");
    t.fields = ReadSettingString(kSettingMovieFields, "1");
    t.reverse = ReadSettingString(kSettingMovieReverse, "");
    t.alpha = ReadSettingString(kSettingMovieAlpha, "");
    t.key = ReadSettingString(kSettingMovieKey, "");
    return t;
}

void WriteMovieOptionTexts(const MovieOptionTexts& t) {
    WriteSettingString(kSettingMovieWidth, t.width.c_str());
    WriteSettingString(kSettingMovieHeight, t.height.c_str());
    WriteSettingString(kSettingMovieStart, t.start.c_str());
    WriteSettingString(kSettingMovieHold, t.hold.c_str());
    WriteSettingString(kSettingMovieRate, t.fps.c_str());
    WriteSettingString(kSettingMovieQuality, t.quality.c_str());
    WriteSettingString(kSettingMovieFields, t.fields.c_str());
    WriteSettingString(kSettingMovieReverse, t.reverse.c_str());
    WriteSettingString(kSettingMovieAlpha, t.alpha.c_str());
    WriteSettingString(kSettingMovieKey, t.key.c_str());
}

int DefaultFieldMode(const MovieOptions& o) {
    const bool interlaced = IsInterlacedFormat(o.width, o.height, o.framesPerSecond);
    return o.fieldMode == kFieldModeFields && interlaced ? kFieldModeFields : 0;
}

bool DefaultLowerFieldFirst(int height, bool fieldSwap) {
    bool ntsc = height == 480 || height == 486;
    return ntsc != fieldSwap;
}

double MovieFrameAspect(int width, int height, double showAspect) {
    return IsSquarePixelWide(width, height) ? kAspect169 : showAspect;
}

const char* ShowMovieRateText(int32_t frameRate) {
    if (frameRate == kRatePal) {
        return "25";
    }
    return frameRate == kRateFilm ? "23.976" : "29.97";
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
    o.start = TimecodeEntry(t.start.c_str(), 0, t.frameRate);
    o.end = MovieEnd(t.end, lastKeyFrame, t.frameRate);
    o.hold = TimecodeEntry(t.hold.c_str(), 0, t.frameRate);
    o.framesPerSecond = MovieRate(t.fps.c_str());
    o.fieldMode = Ticked(t.fields) ? kFieldModeFields : 0;
    o.quality = MovieQuality(t.quality.c_str());
    o.reverse = Ticked(t.reverse);
    o.alpha = Ticked(t.alpha);
    o.key = Ticked(t.key);
    return o;
}

void NormaliseMovieTimecodes(MovieOptionTexts& t, const MovieOptions& o) {
    t.start = TimecodeText(o.start, true, t.frameRate);
    t.end = TimecodeText(o.end, true, t.frameRate);
    t.hold = TimecodeText(o.hold, true, t.frameRate);
}

std::string MovieTimecodeToStore(int32_t frame, int32_t frameRate) {
    // Timecode entry counts whole nominal seconds and minutes (30 frames a
    // second at 29.97), so the stored text does too.
    const int64_t perSecond = NominalRate(frameRate);
    int64_t rest = std::llabs(int64_t{frame});
    const int64_t hours = std::min<int64_t>(rest / (perSecond * 3600), 99);
    rest -= hours * perSecond * 3600;
    const int64_t minutes = std::min<int64_t>(rest / (perSecond * 60), 99);
    rest -= minutes * perSecond * 60;
    const int64_t seconds = std::min<int64_t>(rest / perSecond, 99);
    const int64_t frames = std::min<int64_t>(rest - seconds * perSecond, 99);
    char text[32];
    std::snprintf(text, sizeof(text), "%s%02d:%02d:%02d:%02d", frame < 0 ? "-" : "", static_cast<int>(hours),
                  static_cast<int>(minutes), static_cast<int>(seconds), static_cast<int>(frames));
    return text;
}

MovieOutcome MakeMovieFromRows(MovieOptionTexts& rows, int32_t lastKeyFrame, const std::string& path, bool fieldSwap,
                               double showAspect, const RenderRangeHooks& hooks) {
    MovieJob job;
    job.options = ParseMovieOptions(rows, lastKeyFrame);
    NormaliseMovieTimecodes(rows, job.options);
    job.path = path;
    job.lowerFieldFirst = DefaultLowerFieldFirst(job.options.height, fieldSwap);
    job.writer.pictureAspect = MovieFrameAspect(job.options.width, job.options.height, showAspect);
    job.writer.alpha = job.options.alpha;
    job.writer.key = job.options.key;
    WriteSettingInt(kSettingMovieType, MovieTypeFor(path.c_str()));
    MovieOutcome outcome = MakeMovieFile(job, hooks);
    if (outcome.opened) {
        // The rows keep the long form they show; the stored start and hold
        // read back to the same frames next time.
        MovieOptionTexts stored = rows;
        stored.start = MovieTimecodeToStore(job.options.start, rows.frameRate);
        stored.hold = MovieTimecodeToStore(job.options.hold, rows.frameRate);
        WriteMovieOptionTexts(stored);
    }
    return outcome;
}
