// tavrilo-render's movie command with a synthetic frame source: options and
// settings to a movie, no settings written, Ctrl+C closing the movie.
#include <gtest/gtest.h>

extern "C" {
#include <libavcodec/avcodec.h>
}

#include <csignal>

#include "MovieProbe.h"
#include "RenderMovie.h"
#include "Settings.h"
#include "TestSupport.h"

namespace {

MovieFrameSource Synthetic(int* calls = nullptr, int interruptAt = -1, int signal = SIGINT) {
    return [calls, interruptAt, signal](Show&, double frame, int, CDib& image) {
        FillSyntheticFrame(image, frame);
        if (calls && ++*calls == interruptAt) {
            std::raise(signal);
        }
        return true;
    };
}

TEST(RenderMovieCommand, OptionsMakeTheMovieAndNoSettingIsWritten) {
    ScopedSettings settings;
    TempFolder folder;
    Show show;
    show.keyCount = 2;
    show.keys[1].frame = 40;
    RenderOptions options;
    options.outPath = folder.File("cli.mov");
    options.width = 64;
    options.height = 48;
    options.start = "2";
    options.end = "10";
    options.hold = "1";
    options.fps = "25";
    options.codec = "rle";
    std::string before = SettingsText();
    ASSERT_EQ(RenderMovieWith(show, options, Synthetic()).status, 0);
    EXPECT_EQ(std::string(SettingsText()), before);
    MovieFacts facts = ProbeMovie(options.outPath, true);
    EXPECT_EQ(facts.codecName, "qtrle");
    EXPECT_EQ(facts.width, 64);
    EXPECT_EQ(facts.height, 48);
    EXPECT_EQ(facts.packets, 10 + 2 - 2);
    EXPECT_EQ(facts.timeBaseDen, 2500);
}

TEST(RenderMovieCommand, DefaultsComeFromTheSettingsAndTheLastKeyframe) {
    ScopedSettings settings;
    TempFolder folder;
    WriteSettingString("MovieWid", "40");
    WriteSettingString("MovieHgt", "30");
    WriteSettingString("MovieFields", "");
    WriteSettingString("MovieReverse", "1");
    WriteSettingString("CodecType", "png ");
    Show show;
    show.keyCount = 3;
    show.keys[1].frame = 4;
    show.keys[2].frame = 6;
    RenderOptions options;
    options.outPath = folder.File("defaults.mov");
    ASSERT_EQ(RenderMovieWith(show, options, Synthetic()).status, 0);
    MovieFacts facts = ProbeMovie(options.outPath, false);
    EXPECT_EQ(facts.codecName, "png");
    EXPECT_EQ(facts.width, 40);
    EXPECT_EQ(facts.height, 30);
    EXPECT_EQ(facts.packets, 2 * 6);
    EXPECT_EQ(facts.fieldOrder, 1);  // AV_FIELD_PROGRESSIVE
}

TEST(RenderMovieCommand, FieldsFlagMarksTheStreamInterlaced) {
    ScopedSettings settings;
    TempFolder folder;
    WriteSettingString("MovieFields", "");
    Show show;
    show.fieldSwap = 1;
    RenderOptions options;
    options.outPath = folder.File("fields.mov");
    options.width = 32;
    options.height = 32;
    options.end = "3";
    options.fields = true;
    options.codec = "apch";
    ASSERT_EQ(RenderMovieWith(show, options, Synthetic()).status, 0);
    // 'fiel' 14: interleaved fields, the lower first (FFmpeg's AV_FIELD_BT).
    EXPECT_EQ(ProbeMovie(options.outPath, false).fieldOrder, AV_FIELD_BT);
}

TEST(RenderMovieCommand, BadSizeIsRefused) {
    ScopedSettings settings;
    TempFolder folder;
    WriteSettingString("MovieWid", "0");
    Show show;
    RenderOptions options;
    options.outPath = folder.File("none.avi");
    EXPECT_EQ(RenderMovieWith(show, options, Synthetic()).status, 1);
    EXPECT_TRUE(ReadBytes(options.outPath).empty());
}

TEST(RenderMovieCommand, InterruptCancelsAndTheMovieSoFarIsClosedProperly) {
    ScopedSettings settings;
    TempFolder folder;
    WriteSettingString("MovieFields", "");
    Show show;
    RenderOptions options;
    options.outPath = folder.File("stopped.mov");
    options.width = 32;
    options.height = 32;
    options.end = "100";
    options.codec = "png";
    options.reverse = true;
    int calls = 0;
    EXPECT_EQ(RenderMovieWith(show, options, Synthetic(&calls, 6)).status, 130);
    MovieFacts facts = ProbeMovie(options.outPath, true);
    EXPECT_TRUE(facts.opened);
    EXPECT_GE(facts.packets, 4);
    EXPECT_LE(facts.packets, 8);
    EXPECT_EQ(facts.frames.size(), static_cast<size_t>(facts.packets));
}

// A cluster cancelling a task sends SIGTERM: the part closes its segment,
// says what it holds and exits with 128 + 15.
TEST(RenderMovieCommand, TerminateStopsAPartWithItsSegmentClosed) {
    ScopedSettings settings;
    TempFolder folder;
    WriteSettingString("MovieFields", "");
    Show show;
    RenderOptions options;
    options.outPath = folder.File("movie.mov");
    options.width = 32;
    options.height = 32;
    options.end = "00:00:03:10";  // 100 frames
    options.codec = "apch";
    options.part = 1;
    options.parts = 2;
    int calls = 0;
    StepResult result = RenderMovieWith(show, options, Synthetic(&calls, 6, SIGTERM));
    EXPECT_EQ(result.status, 143);
    std::string segment = folder.File("movie.part1.mov");
    MovieFacts facts = ProbeMovie(segment, true);
    EXPECT_TRUE(facts.opened);
    EXPECT_EQ(facts.packets, 4);  // the primer and four frames rendered, the fifth not written
    EXPECT_EQ(facts.frames.size(), 4u);
    EXPECT_EQ(result.error, "stopped (SIGTERM); " + segment +
                                " is closed and holds 4 of its 50 frames: render part 1/2 again before joining");
    EXPECT_TRUE(ReadBytes(options.outPath).empty());
}

TEST(RenderMovieCommand, TerminateSignalStopsLikeCtrlCAndLeavesAPlayableMovie) {
    ScopedSettings settings;
    TempFolder folder;
    WriteSettingString("MovieFields", "");
    Show show;
    for (const char* code : {"apch", "avc1"}) {
        RenderOptions options;
        options.outPath = folder.File(std::string("terminated_") + code + ".mov");
        options.width = 48;
        options.height = 32;
        options.end = "200";
        options.codec = code;
        int calls = 0;
        EXPECT_EQ(RenderMovieWith(show, options, Synthetic(&calls, 9, SIGTERM)).status, 128 + SIGTERM) << code;
        MovieFacts facts = ProbeMovie(options.outPath, true);
        EXPECT_TRUE(facts.opened) << code;
        // Frames 0 .. 6 were written before the ninth grab saw the signal.
        EXPECT_GE(facts.packets, 7) << code;
        EXPECT_LE(facts.packets, 9) << code;
        EXPECT_EQ(facts.frames.size(), static_cast<size_t>(facts.packets)) << code;
    }
    // The handler is gone again: the default action would end the process.
    struct sigaction now {};
    sigaction(SIGTERM, nullptr, &now);
    EXPECT_EQ(now.sa_handler, SIG_DFL);
}

}  // namespace

// Ctrl+C before the first frame: no movie was made, the one there stays,
// and the status says the run was cancelled.
TEST(RenderMovieCommand, InterruptBeforeTheFirstFrameKeepsThePreviousMovie) {
    ScopedSettings settings;
    TempFolder folder;
    WriteSettingString("MovieFields", "");
    Show show;
    RenderOptions options;
    options.outPath = folder.File("keep.mov");
    options.width = 32;
    options.height = 32;
    options.end = "30";
    ASSERT_TRUE(WriteText(options.outPath, "thirty good frames"));
    int calls = 0;
    testing::internal::CaptureStdout();
    StepResult result = RenderMovieWith(show, options, Synthetic(&calls, 1, SIGINT));
    EXPECT_TRUE(testing::internal::GetCapturedStdout().empty());
    EXPECT_EQ(result.status, 130);
    EXPECT_EQ(result.error, "cancelled: Rendering was cancelled before the first frame was written. " +
                                options.outPath + " was left as it was.");
    std::vector<uint8_t> bytes = ReadBytes(options.outPath);
    EXPECT_EQ(std::string(bytes.begin(), bytes.end()), "thirty good frames");
}
