// Timecode text and entry at the three frame rates.
#include <gtest/gtest.h>

#include <string>

#include "Utilities.h"

namespace {

constexpr int32_t kRates[] = {kRateNtsc, kRatePal, kRateFilm};

}  // namespace

TEST(TimecodeRates, DerivedFrameCounts) {
    struct Case {
        int32_t rate, nominal, perMinute, perHour;
    };
    for (Case c : {Case{2997, 30, 1798, 107892}, Case{2500, 25, 1500, 90000}, Case{2397, 24, 1438, 86292}}) {
        const int32_t fr = c.rate;
        EXPECT_EQ(NominalRate(fr), c.nominal);
        EXPECT_EQ(FramesPerMinute(fr), c.perMinute);
        EXPECT_EQ(FramesPerHour(fr), c.perHour);
    }
}

TEST(TimecodeText, KnownValuesAtNtsc) {
    const int32_t fr = kRateNtsc;
    EXPECT_EQ(TimecodeText(0, true, fr), "00:00:00:00");
    EXPECT_EQ(TimecodeText(0, false, fr), "00:00:00");
    EXPECT_EQ(TimecodeText(29, true, fr), "00:00:00:29");
    EXPECT_EQ(TimecodeText(30, true, fr), "00:00:01:00");
    EXPECT_EQ(TimecodeText(1800, true, fr), "00:01:00:02");  // a minute is 1798 frames
    EXPECT_EQ(TimecodeText(1800, false, fr), "01:00:02");
    EXPECT_EQ(TimecodeText(107892, true, fr), "01:00:00:00");
    EXPECT_EQ(TimecodeText(-30, true, fr), "00:00:01.00");
    EXPECT_EQ(TimecodeText(-31, false, fr), "00:01.01");
    EXPECT_EQ(TimecodeText(11 * 107892 + 5, true, fr), "11:00:00:05");
}

TEST(TimecodeText, KnownValuesAtPalAndFilm) {
    {
        const int32_t fr = kRatePal;
        EXPECT_EQ(TimecodeText(25, true, fr), "00:00:01:00");
        EXPECT_EQ(TimecodeText(90000 + 1500 + 26, true, fr), "01:01:01:01");
    }
    const int32_t fr = kRateFilm;
    EXPECT_EQ(TimecodeText(23, true, fr), "00:00:00:23");
    EXPECT_EQ(TimecodeText(1438, true, fr), "00:01:00:00");
    EXPECT_EQ(TimecodeText(1440, true, fr), "00:01:00:02");
}

TEST(TimecodeText, ExtremesStayInShape) {
    char out[kTimecodeTextSize];
    for (int32_t rate : {kRateNtsc, kRatePal, kRateFilm, 0, -5, 1, INT32_MAX}) {
        const int32_t fr = rate;
        for (int32_t frame : {INT32_MIN, INT32_MIN + 1, -1, 0, 1, INT32_MAX}) {
            TimecodeText(frame, true, fr, out);
            ASSERT_EQ(std::string(out).size(), 11u) << rate << " " << frame;
            TimecodeText(frame, false, fr, out);
            ASSERT_EQ(std::string(out).size(), 8u) << rate << " " << frame;
        }
    }
}

TEST(TimecodeEntry, ReadsBackWhatTextShowsBelowAMinute) {
    // Entry and text agree wherever the minute's length does not matter.
    for (int32_t r : kRates) {
        const int32_t fr = r;
        for (int32_t frame = 0; frame < FramesPerMinute(fr); frame += 7) {
            EXPECT_EQ(TimecodeEntry(TimecodeText(frame, true, fr).c_str(), -1, fr), frame) << r;
            EXPECT_EQ(TimecodeEntry(TimecodeText(frame, false, fr).c_str(), -1, fr), frame) << r;
        }
    }
}

TEST(TimecodeEntry, CountsWholeMinutesAndHours) {
    for (int32_t r : kRates) {
        const int32_t fr = r;
        int32_t perSecond = NominalRate(fr);
        EXPECT_EQ(TimecodeEntry("00:01:00:00", 0, fr), 60 * perSecond);
        EXPECT_EQ(TimecodeEntry("01:00:00:00", 0, fr), 3600 * perSecond);
        EXPECT_EQ(TimecodeEntry("02:03:04:05", 0, fr), ((2 * 60 + 3) * 60 + 4) * perSecond + 5);
        // Round trip through the entry's own arithmetic: h, m, s, f back again.
        for (int32_t f : {0, 1, perSecond - 1}) {
            int32_t typed = TimecodeEntry(("11:59:59:" + std::to_string(100 + f).substr(1)).c_str(), 0, fr);
            EXPECT_EQ(typed, ((11 * 60 + 59) * 60 + 59) * perSecond + f);
        }
    }
    const int32_t fr = kRateNtsc;
    EXPECT_EQ(TimecodeEntry("00:01:00:00", 0, fr), 1800);
}

TEST(TimecodeEntry, GroupsAndSeparators) {
    const int32_t fr = kRateNtsc;
    EXPECT_EQ(TimecodeEntry("5", 99, fr), 5);
    EXPECT_EQ(TimecodeEntry("12", 99, fr), 12);
    EXPECT_EQ(TimecodeEntry("123", 99, fr), 23 + 1 * 30);
    EXPECT_EQ(TimecodeEntry("1 2", 99, fr), 2 + 1 * 30);
    EXPECT_EQ(TimecodeEntry("1:2:3", 99, fr), 3 + 2 * 30 + 1 * 1800);
    EXPECT_EQ(TimecodeEntry("01:02:03:04:05", 0, fr), 5 + 4 * 30 + 3 * 1800 + 2 * 108000);  // fifth group ignored
    EXPECT_EQ(TimecodeEntry("00:00:01.00", 0, fr), 30);
    EXPECT_EQ(TimecodeEntry("abc7", 0, fr), 7);
}

TEST(TimecodeEntry, OldValueSignsAndEmptyText) {
    const int32_t fr = kRateNtsc;
    EXPECT_EQ(TimecodeEntry("", 42, fr), 42);
    EXPECT_EQ(TimecodeEntry("::", 42, fr), 42);
    EXPECT_EQ(TimecodeEntry(nullptr, 42, fr), 42);
    EXPECT_EQ(TimecodeEntry("-", 42, fr), 0);
    EXPECT_EQ(TimecodeEntry("- :", 42, fr), 0);
    EXPECT_EQ(TimecodeEntry("+10", 100, fr), 110);
    EXPECT_EQ(TimecodeEntry("+", 100, fr), 100);  // adds nothing
    EXPECT_EQ(TimecodeEntry("-00:01:00", 0, fr), -30);
    EXPECT_EQ(TimecodeEntry("-5", 100, fr), 95);
    EXPECT_EQ(TimecodeEntry("+1", INT32_MAX, fr), INT32_MAX);  // clamped, no overflow
    EXPECT_EQ(TimecodeEntry("-99:99:99:99", INT32_MIN, fr), INT32_MIN);
}

TEST(TimecodeEntry, SafeOnShortTexts) {
    // One- and two-character texts at the very start are read without
    // stepping before them.
    const int32_t fr = kRatePal;
    const char* texts[] = {"0", "9", "-9", "+9", "99", "9:", ":9", "", "-", "+", "x"};
    for (const char* text : texts) {
        std::string copy(text);  // exact-size allocation for address checkers
        int32_t value = TimecodeEntry(copy.c_str(), 3, fr);
        EXPECT_GE(value, -99);
        EXPECT_LE(value, 99);
    }
}
