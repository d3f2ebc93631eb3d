// tavrilo-render's broadcast options end to end: the show's rate as the
// default movie rate, the default field order, the timecode of the range's
// start, and, with the chart renderer, 16:9 movies and alpha and key movies.
#include <gtest/gtest.h>

#include "DemoShow.h"
#include "MovieProbe.h"
#include "RenderMovie.h"
#include "RenderPictures.h"
#include "Settings.h"
#include "TestSupport.h"
#include "Utilities.h"

extern "C" {
#include <libavcodec/avcodec.h>
}

namespace {

MovieFrameSource Synthetic() {
    return [](Show&, double frame, int, CDib& image) {
        FillSyntheticFrame(image, frame);
        return true;
    };
}

TEST(BroadcastCommand, TheMovieRateDefaultsToTheShowsRate) {
    ScopedSettings settings;
    TempFolder folder;
    WriteSettingString("MovieFields", "");
    for (auto [rate, num, den] :
         {std::tuple{kRateFilm, 24000, 1001}, std::tuple{kRatePal, 25, 1}, std::tuple{kRateNtsc, 30000, 1001}}) {
        const int32_t showRate = rate;
        Show show;
        show.frameRate = showRate;
        RenderOptions options;
        options.outPath = folder.File("rate.mov");
        options.width = 32;
        options.height = 32;
        options.end = "2";
        options.codec = "png";
        ASSERT_EQ(RenderMovieWith(show, options, Synthetic()).status, 0);
        MovieFacts facts = ProbeMovie(options.outPath, false);
        EXPECT_EQ(facts.rateNum, num) << rate;
        EXPECT_EQ(facts.rateDen, den) << rate;
    }
}

TEST(BroadcastCommand, FieldOrderFollowsTheLinesTheSwapAndTheOption) {
    ScopedSettings settings;
    TempFolder folder;
    struct Case {
        int height;
        bool swap;
        std::optional<bool> lowerFirst;
        int expected;
    };
    // QuickTime's interleaved fields, 'fiel' 9 (upper first) and 14 (lower
    // first), read by FFmpeg as TB and BT.
    for (Case c :
         {Case{486, false, {}, AV_FIELD_BT}, Case{480, false, {}, AV_FIELD_BT}, Case{576, false, {}, AV_FIELD_TB},
          Case{486, true, {}, AV_FIELD_TB}, Case{576, true, {}, AV_FIELD_BT}, Case{486, false, false, AV_FIELD_TB},
          Case{576, true, false, AV_FIELD_TB}}) {
        Show show;
        show.fieldSwap = c.swap;
        RenderOptions options;
        options.outPath = folder.File("order.mov");
        options.width = 64;
        options.height = c.height;
        options.end = "2";
        options.fields = true;
        options.codec = "apch";
        options.lowerFieldFirst = c.lowerFirst;
        ASSERT_EQ(RenderMovieWith(show, options, Synthetic()).status, 0);
        MovieFacts facts = ProbeMovie(options.outPath, true);
        EXPECT_EQ(facts.fieldOrder, c.expected) << c.height << " " << c.swap;
        ASSERT_FALSE(facts.interlaced.empty());
        EXPECT_TRUE(facts.interlaced[0]);
    }
}

TEST(BroadcastCommand, H264At486LinesIsCodedInterlaced) {
    ScopedSettings settings;
    TempFolder folder;
    Show show;
    RenderOptions options;
    options.outPath = folder.File("fields.mov");
    options.width = 720;
    options.height = 486;
    options.end = "2";
    options.fields = true;
    options.codec = "avc1";
    ASSERT_EQ(RenderMovieWith(show, options, Synthetic()).status, 0);
    MovieFacts facts = ProbeMovie(options.outPath, true);
    EXPECT_EQ(facts.fieldOrder, AV_FIELD_BT);  // 'fiel' 14: interleaved, the lower field first
    ASSERT_EQ(facts.interlaced.size(), 2u);
    EXPECT_TRUE(facts.interlaced[0]);
}

// The program counts frames without dropping numbers, so the timecode
// track does too: the first frame reads the start as typed.
TEST(BroadcastCommand, TheTimecodeTrackStartsAtTheRangesStartAsTyped) {
    ScopedSettings settings;
    TempFolder folder;
    const int32_t showRate = kRateNtsc;
    WriteSettingString("MovieFields", "");
    Show show;
    show.frameRate = showRate;
    RenderOptions options;
    options.outPath = folder.File("timecode.mov");
    options.width = 32;
    options.height = 32;
    options.start = "00:00:10:00";
    options.end = "00:00:10:05";
    options.codec = "apch";
    ASSERT_EQ(RenderMovieWith(show, options, Synthetic()).status, 0);
    MovieFacts facts = ProbeMovie(options.outPath, false);
    EXPECT_EQ(facts.timecode, "00:00:10:00");
    EXPECT_EQ(facts.packets, 5);
}

// The chart renderer from here on.

TEST(BroadcastCommand, A169MovieFrameIsThe169Picture) {
    ScopedSettings settings;
    TempFolder folder;
    WriteSettingString("MovieFields", "");
    auto show = CreateShow();
    MakeDemoShow(*show);
    RenderOptions movie;
    movie.outPath = folder.File("wide.mov");
    movie.aspect = 0.5625f;
    movie.start = "10";
    movie.end = "12";
    movie.codec = "png";
    movie.antiAliasing = 25;
    ASSERT_EQ(RenderMovieCommand(*show, movie).status, 0);
    DestroyShow(*show);
    // The movie renders its first frame twice (the light follows the last
    // render), so frame 11 is compared: rendered after frame 10 in both.
    show = CreateShow();
    MakeDemoShow(*show);
    RenderOptions pictures;
    pictures.outPath = folder.File("wide##.png");
    pictures.aspect = 0.5625f;
    pictures.start = "10";
    pictures.end = "12";
    pictures.antiAliasing = 25;
    ASSERT_EQ(RenderPicturesCommand(*show, pictures).status, 0);
    DestroyShow(*show);
    MovieFacts movieFacts = ProbeMovie(movie.outPath, true);
    MovieFacts pictureFacts = ProbeMovie(folder.File("wide11.png"), true);
    ASSERT_EQ(movieFacts.frames.size(), 2u);
    ASSERT_EQ(pictureFacts.frames.size(), 1u);
    EXPECT_EQ(MaxDifference(movieFacts.frames[1], pictureFacts.frames[0]), 0);
}

TEST(BroadcastCommand, AlphaMoviesOfTheChartWithTheirKey) {
    ScopedSettings settings;
    TempFolder folder;
    WriteSettingString("MovieFields", "");
    for (const char* code : {"ap4h", "rle", "png"}) {
        auto show = CreateShow();
        MakeDemoShow(*show);
        RenderOptions options;
        options.outPath = folder.File(std::string("chart_") + code + ".mov");
        options.width = 360;
        options.height = 243;
        options.start = "60";
        options.end = "61";
        options.codec = code;
        options.antiAliasing = 75;
        options.alpha = true;
        options.key = true;
        ASSERT_EQ(RenderMovieCommand(*show, options).status, 0) << code;
        DestroyShow(*show);
        MovieFacts fill = ProbeMovie(options.outPath, true);
        MovieFacts key = ProbeMovie(KeyMoviePath(options.outPath), true);
        ASSERT_EQ(fill.alphas.size(), 1u) << code;
        ASSERT_EQ(key.frames.size(), 1u) << code;
        const std::vector<uint8_t>& alpha = fill.alphas[0];
        // Corners are empty; the tallest bar (right of centre) is opaque.
        EXPECT_EQ(alpha[0], 0) << code;
        EXPECT_EQ(alpha[360 * 243 - 1], 0) << code;
        size_t bar = 125 * 360 + 230;
        EXPECT_EQ(alpha[bar], 255) << code;
        EXPECT_GT(key.frames[0][bar * 3], 247) << code;
        EXPECT_LT(key.frames[0][0], 8) << code;
    }
}

}  // namespace
