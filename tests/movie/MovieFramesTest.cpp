// Movie frames from the chart renderer: half frames for the later field,
// and the movie command rendering the demo show with fields.
#include <gtest/gtest.h>

#include <algorithm>

#include "DemoShow.h"
#include "Evaluate.h"
#include "MakeMovie.h"
#include "MovieFrames.h"
#include "MovieProbe.h"
#include "RenderMovie.h"
#include "Settings.h"
#include "TestSupport.h"

namespace {

struct DemoShow {
    DemoShow() : show(CreateShow()) {
        gShow = show.get();
        MakeDemoShow(*show);
    }
    ~DemoShow() {
        DestroyShow(*show);
        gShow = nullptr;
    }
    std::unique_ptr<Show> show;
};

TEST(MovieFrames, HalfFramesLieBetweenTheWholeFrames) {
    ScopedSettings settings;
    DemoShow demo;
    Show& show = *demo.show;
    Evaluate(show, 40);
    KeyFrame at40 = show.current;
    Evaluate(show, 41);
    KeyFrame at41 = show.current;
    EvaluateBetween(show, 40.5);
    EXPECT_EQ(gCurrentFrame, 40);
    bool moved = false;
    for (int channel = 0; channel < 8; ++channel) {
        float a = KeyChannel(at40, channel);
        float b = KeyChannel(at41, channel);
        EXPECT_NEAR(KeyChannel(show.current, channel), (a + b) / 2, 1e-4) << channel;
        moved = moved || a != b;
    }
    EXPECT_TRUE(moved) << "the demo show moves between frames 40 and 41";
    EvaluateBetween(show, 41.0);
    EXPECT_EQ(KeyChannel(show.current, 0), KeyChannel(at41, 0));
}

TEST(MovieFrames, TheMovieCommandRendersFieldsFromTwoTimes) {
    ScopedSettings settings;
    TempFolder folder;
    DemoShow demo;
    Show& show = *demo.show;
    RenderOptions options;
    options.outPath = folder.File("demo.mov");
    options.width = 160;
    options.height = 120;
    options.start = "40";
    options.end = "42";
    options.codec = "png";
    options.fields = true;
    options.antiAliasing = 0;
    ASSERT_EQ(RenderMovieCommand(show, options).status, 0);
    MovieFacts facts = ProbeMovie(options.outPath, true);
    ASSERT_EQ(facts.frames.size(), 2u);
    for (int k = 0; k < 2; ++k) {
        CDib early(160, 120, 24);
        CDib late(160, 120, 24);
        ASSERT_TRUE(RenderMovieFrame(show, 40 + k, 160, 120, 0, early));
        ASSERT_TRUE(RenderMovieFrame(show, 40 + k + 0.5, 160, 120, 0, late));
        std::vector<uint8_t> a = TopDownBgr(early);
        std::vector<uint8_t> b = TopDownBgr(late);
        ASSERT_NE(a, b) << "the two fields come from different times";
        const std::vector<uint8_t>& got = facts.frames[static_cast<size_t>(k)];
        // Software GL is compared with a tolerance: each line must match the
        // field it belongs to (upper field first) better than the other one.
        size_t row = 160 * 3;
        int worst = 0;
        int fieldLinesCloserToOther = 0;
        for (size_t line = 0; line < 120; ++line) {
            const std::vector<uint8_t>& own = line % 2 == 0 ? a : b;
            const std::vector<uint8_t>& other = line % 2 == 0 ? b : a;
            std::vector<uint8_t> gotLine(got.begin() + line * row, got.begin() + (line + 1) * row);
            std::vector<uint8_t> ownLine(own.begin() + line * row, own.begin() + (line + 1) * row);
            std::vector<uint8_t> otherLine(other.begin() + line * row, other.begin() + (line + 1) * row);
            int toOwn = MaxDifference(gotLine, ownLine);
            worst = std::max(worst, toOwn);
            if (ownLine != otherLine && toOwn >= MaxDifference(gotLine, otherLine)) {
                ++fieldLinesCloserToOther;
            }
        }
        EXPECT_LE(worst, 4) << "frame " << k;
        EXPECT_EQ(fieldLinesCloserToOther, 0) << "frame " << k;
    }
}

// A movie that starts after frame 0 (-o X.mov --start) shows its first frame
// as a movie from frame 0 shows that frame, lit the same, bit for bit in a
// lossless codec; so does the reverse pass.
TEST(MovieFrames, AMovieThatStartsLaterMatchesTheRunFromZero) {
    ScopedSettings settings;
    TempFolder folder;
    DemoShow demo;
    Show& show = *demo.show;
    RenderOptions options;
    options.width = 96;
    options.height = 72;
    options.codec = "png";
    options.fields = false;
    options.antiAliasing = 0;
    options.reverse = false;
    options.outPath = folder.File("from0.mov");
    options.start = "0";
    options.end = "00:00:02:00";
    ASSERT_EQ(RenderMovieCommand(show, options).status, 0);
    options.outPath = folder.File("late.mov");
    options.start = "00:00:01:15";
    options.reverse = true;
    ASSERT_EQ(RenderMovieCommand(show, options).status, 0);
    MovieFacts run = ProbeMovie(folder.File("from0.mov"), true);
    MovieFacts late = ProbeMovie(folder.File("late.mov"), true);
    ASSERT_EQ(run.frames.size(), 60u);
    ASSERT_EQ(late.frames.size(), 30u);
    for (size_t k = 0; k < 15; ++k) {
        EXPECT_EQ(late.frames[k], run.frames[45 + k]) << "frame " << 45 + k;
    }
    // The reverse pass runs from frame 60 down to 46.
    EXPECT_EQ(late.frames[29], run.frames[46]);
    EXPECT_NE(run.frames[45], run.frames[46]);
}

}  // namespace
