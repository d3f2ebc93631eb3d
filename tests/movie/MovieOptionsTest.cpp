// Make Movie's option rules: rows from the settings, sizes, timecodes with
// their old values, the rate cap, the frame count, file types and the
// progress figures.
#include <gtest/gtest.h>

#include "MakeMovie.h"
#include "Settings.h"
#include "TestSupport.h"
#include "Utilities.h"

namespace {

TEST(MovieOptions, FreshRowsFollowTheFrameRate) {
    ScopedSettings settings;
    int32_t fr = kRateNtsc;
    MovieOptionTexts t = ReadMovieOptionTexts(300, fr);
    EXPECT_EQ(t.width, "720");
    EXPECT_EQ(t.height, "486");
    EXPECT_EQ(t.fps, "29.97");
    EXPECT_EQ(t.start, "00:00:00");
    EXPECT_EQ(t.end, TimecodeText(300, true, fr));
    EXPECT_EQ(t.quality, "100");
    EXPECT_EQ(t.fields, "1");
    EXPECT_EQ(t.reverse, "");
    fr = kRatePal;
    MovieOptions o = ParseMovieOptions(ReadMovieOptionTexts(0, fr), 0);
    EXPECT_EQ(o.width, 720);
    EXPECT_EQ(o.height, 576);
    EXPECT_DOUBLE_EQ(o.framesPerSecond, 25.0);
    EXPECT_EQ(o.fieldMode, kFieldModeFields);
    EXPECT_FALSE(o.reverse);
}

TEST(MovieOptions, StoredRowsComeBackAndTheEndIsNotStored) {
    ScopedSettings settings;
    MovieOptionTexts t = ReadMovieOptionTexts(90, kRateNtsc);
    t.width = "640";
    t.end = "00:00:09:00";
    t.reverse = "1";
    WriteMovieOptionTexts(t);
    MovieOptionTexts again = ReadMovieOptionTexts(12, kRateNtsc);
    EXPECT_EQ(again.width, "640");
    EXPECT_EQ(again.reverse, "1");
    EXPECT_EQ(again.end, TimecodeText(12, true, kRateNtsc));
    EXPECT_EQ(ReadSettingString("MovieEnd", "absent"), "absent");
}

TEST(MovieOptions, SizesAreCappedAndBelowOneBecomesZero) {
    EXPECT_EQ(MovieDimension("5000"), 4096);
    EXPECT_EQ(MovieDimension("720"), 720);
    EXPECT_EQ(MovieDimension("0"), 0);
    EXPECT_EQ(MovieDimension("-5"), 0);
    EXPECT_EQ(MovieDimension("abc"), 0);
    EXPECT_EQ(MovieDimension("0.5"), 0);
    MovieOptions o;
    o.width = 0;
    o.height = 486;
    o.framesPerSecond = 29.97;
    EXPECT_NE(MovieSizeProblem(o).find("at least 1 pixel"), std::string::npos);
    o.width = 720;
    EXPECT_EQ(MovieSizeProblem(o), "");
}

TEST(MovieOptions, RateIsCappedAt60AndNotBelowZero) {
    EXPECT_DOUBLE_EQ(MovieRate("75"), 60.0);
    EXPECT_DOUBLE_EQ(MovieRate("-3"), 0.0);
    EXPECT_DOUBLE_EQ(MovieRate("29.97"), 29.97);
    EXPECT_DOUBLE_EQ(MovieRate("x"), 0.0);
}

TEST(MovieOptions, TimecodesUseTheirOldValues) {
    int32_t fr = kRateNtsc;
    MovieOptionTexts t;
    t.width = "720";
    t.height = "486";
    t.fps = "29.97";
    t.start = "-00:01:00";
    t.end = "+10";
    t.hold = "00:00:02:00";
    t.quality = "75";
    MovieOptions o = ParseMovieOptions(t, 90);
    EXPECT_EQ(o.start, -30);
    EXPECT_EQ(o.end, 100);
    EXPECT_EQ(o.hold, 60);
    EXPECT_EQ(o.quality, 75);
    EXPECT_EQ(o.fieldMode, 0);
    t.end = "";  // nothing typed keeps the last keyframe's frame
    EXPECT_EQ(ParseMovieOptions(t, 90).end, 90);
    NormaliseMovieTimecodes(t, o);
    EXPECT_EQ(t.start, TimecodeText(-30, true, fr));
    EXPECT_EQ(t.end, TimecodeText(100, true, fr));
    EXPECT_EQ(t.hold, TimecodeText(60, true, fr));
}

TEST(MovieOptions, QualityStaysInTheSliderRange) {
    MovieOptionTexts t;
    for (auto [text, expected] : {std::pair<const char*, int>{"55.7", 55},
                                  {"150", 100},
                                  {"-5", 0},
                                  {"1e300", 100},
                                  {"1e400", 100},
                                  {"-1e300", 0},
                                  {"x", 0}}) {
        t.quality = text;
        EXPECT_EQ(ParseMovieOptions(t, 0).quality, expected) << text;
    }
}

TEST(MovieOptions, TheProposedEndIsTheLastKeyframeBeyondAMinute) {
    ScopedSettings settings;
    for (int32_t rate : {kRateNtsc, kRateFilm, kRatePal}) {
        const int32_t fr = rate;
        for (int32_t last : {90, 1798, 1800, 5000, 107892 + 17}) {
            MovieOptionTexts t = ReadMovieOptionTexts(last, fr);
            EXPECT_EQ(ParseMovieOptions(t, last).end, last) << rate << " " << t.end;
            t.end = "+10";
            EXPECT_EQ(ParseMovieOptions(t, last).end, last + 10);
        }
    }
    // Typed text still follows the entry rules: a minute is 60 seconds.
    const int32_t fr = kRateNtsc;
    MovieOptionTexts t = ReadMovieOptionTexts(1800, fr);
    t.end = "00:01:00:00";
    EXPECT_EQ(ParseMovieOptions(t, 1800).end, 1800);
    t.end = "00:01:00:02";
    EXPECT_EQ(ParseMovieOptions(t, 1700).end, 1802);
}

TEST(MovieOptions, FrameCountWithHoldsAndReverse) {
    MovieOptions o;
    o.start = 10;
    o.end = 100;
    o.hold = 15;
    EXPECT_EQ(MovieFrameCount(o), 120);
    o.reverse = true;
    EXPECT_EQ(MovieFrameCount(o), 240);
    o.reverse = false;
    o.start = 50;
    o.end = 20;
    o.hold = 0;
    EXPECT_EQ(MovieFrameCount(o), -30);
}

TEST(MovieOptions, FileTypesAndFilters) {
    EXPECT_EQ(MovieTypeFor("a.dps"), 2);
    EXPECT_EQ(MovieTypeFor("a.mov"), 1);
    EXPECT_EQ(MovieTypeFor("a.MOV"), 0);
    EXPECT_EQ(MovieTypeFor("a.rtv"), 3);
    EXPECT_EQ(MovieTypeFor("a.avi"), 0);
    EXPECT_STREQ(MovieDefaultExtension(1), ".mov");
    EXPECT_STREQ(MovieDefaultExtension(7), ".avi");
    EXPECT_EQ(std::string(MovieFileFilter(2)).rfind("DPS Files (*.dps)|*.dps|AVI", 0), 0u);
    EXPECT_EQ(std::string(MovieFileFilter(0)).rfind("AVI Files (*.avi)|*.avi|QuickTime", 0), 0u);
}

TEST(MovieProgress, FractionAndTimeToGo) {
    ProgressFigures f = ComputeProgress(0.25, 1000, 11000);
    EXPECT_EQ(f.percent, 25);
    EXPECT_EQ(f.secondsToGo, 31);  // 30 s left, the running second counted
    EXPECT_EQ(f.timeToGo, "Time to go: 00:31");
    f = ComputeProgress(0.5, 1000, 62000);  // 61 s left
    EXPECT_EQ(f.timeToGo, "Time to go: 01:02");
    // 59.5 s left shows a full minute, never "00:60".
    f = ComputeProgress(0.5, 1, 59501);
    EXPECT_EQ(f.timeToGo, "Time to go: 01:00");
    f = ComputeProgress(0.0, 1000, 5000);
    EXPECT_EQ(f.percent, 0);
    EXPECT_EQ(f.timeToGo, "Time to go: 00:01");
    f = ComputeProgress(0.999, 0, 5000);
    EXPECT_EQ(f.percent, 99);
    EXPECT_EQ(f.timeToGo, "");
}

}  // namespace

namespace {

TEST(MakeMovieFromRows, StoresTypeAndRowsAndNormalisesTimecodes) {
    ScopedSettings settings;
    TempFolder folder;
    int32_t fr = kRateNtsc;
    MovieOptionTexts rows = ReadMovieOptionTexts(8, fr);
    rows.width = "32";
    rows.height = "24";
    rows.start = "2";
    rows.end = "+2";  // the last keyframe (8) and two
    rows.fields = "";
    RenderRangeHooks hooks;
    hooks.grab = [](double, CDib&) { return true; };
    WriteSettingString("CodecType", "png ");
    MovieOutcome outcome = MakeMovieFromRows(rows, 8, folder.File("rows.mov"), false, 0.75, hooks);
    ASSERT_TRUE(outcome.made) << outcome.message;
    EXPECT_EQ(outcome.framesWritten, 8);
    EXPECT_EQ(rows.start, TimecodeText(2, true, fr));
    EXPECT_EQ(rows.end, TimecodeText(10, true, fr));
    EXPECT_EQ(ReadSettingInt("MovieType", -1), 1);
    EXPECT_EQ(ReadSettingString("MovieWid", ""), "32");
    EXPECT_EQ(ReadSettingString("MovieStart", ""), TimecodeText(2, true, fr));
}

TEST(MakeMovieFromRows, StoredStartAndHoldReadBackToTheSameFrames) {
    for (int32_t rate : {kRateNtsc, kRatePal, 2397}) {
        const int32_t fr = rate;
        for (int32_t frame : {0, 1, 29, 1798, 1800, 1802, 53946, 107892, 108000, 1000000, -1, -30, -1800}) {
            EXPECT_EQ(TimecodeEntry(MovieTimecodeToStore(frame, fr).c_str(), 0, fr), frame) << rate << " " << frame;
        }
    }
    const int32_t fr = kRateNtsc;
    EXPECT_EQ(MovieTimecodeToStore(1800, fr), "00:01:00:00");
    EXPECT_EQ(MovieTimecodeToStore(-30, fr), "-00:00:01:00");
    // A whole run: the row keeps the long form it shows, the settings the
    // text that comes back as the same start next time.
    ScopedSettings settings;
    TempFolder folder;
    MovieOptionTexts rows = ReadMovieOptionTexts(8, fr);
    rows.width = "16";
    rows.height = "16";
    rows.start = "00:01:00:00";
    rows.end = "00:01:00:02";
    rows.hold = "00:01:00:00";
    rows.fields = "";
    RenderRangeHooks hooks;
    hooks.grab = [](double, CDib&) { return true; };
    hooks.cancelled = [] { return true; };  // only the first frame and a hold frame
    WriteSettingString("CodecType", "png ");
    MovieOutcome outcome = MakeMovieFromRows(rows, 8, folder.File("drift.mov"), false, 0.75, hooks);
    ASSERT_TRUE(outcome.opened) << outcome.message;
    EXPECT_EQ(rows.start, TimecodeText(1800, true, fr));
    EXPECT_EQ(TimecodeEntry(ReadSettingString("MovieStart", "").c_str(), 0, fr), 1800);
    EXPECT_EQ(TimecodeEntry(ReadSettingString("MovieHold", "").c_str(), 0, fr), 1800);
    EXPECT_EQ(ReadMovieOptionTexts(8, fr).start, "00:01:00:00");
}

TEST(MakeMovieFromRows, NothingButTheTypeIsStoredWhenTheWriterDoesNotOpen) {
    ScopedSettings settings;
    MovieOptionTexts rows = ReadMovieOptionTexts(8, kRateNtsc);
    rows.width = "33";
    RenderRangeHooks hooks;
    hooks.grab = [](double, CDib&) { return true; };
    MovieOutcome outcome = MakeMovieFromRows(rows, 8, "/nonexistent-folder/m.dps", false, 0.75, hooks);
    EXPECT_FALSE(outcome.opened);
    EXPECT_EQ(ReadSettingInt("MovieType", -1), 2);
    EXPECT_EQ(ReadSettingString("MovieWid", "unset"), "unset");
}

}  // namespace
