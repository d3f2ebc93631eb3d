// The render loop and whole movies: frame order with holds and the reverse
// pass, fields from two times, cancelling, write failures and the refusal of
// sizes below one pixel. Movies are read back with FFmpeg and every frame is
// identified by the time it was rendered at.
#include <gtest/gtest.h>
#include <unistd.h>

#include <cmath>
#include <filesystem>
#include <fstream>
#include <string>

#include "HeadlessPlatform.h"
#include "MakeMovie.h"
#include "MovieProbe.h"
#include "TestSupport.h"

namespace {

constexpr int kWidth = 48;
constexpr int kHeight = 32;

size_t FilesIn(const std::string& folder) {
    size_t count = 0;
    for (const auto& entry : std::filesystem::directory_iterator(folder)) {
        count += entry.is_regular_file() || entry.is_symlink() ? 1 : 0;
    }
    return count;
}

RenderRangeHooks SyntheticHooks(std::vector<double>* grabbed = nullptr) {
    RenderRangeHooks hooks;
    hooks.grab = [grabbed](double frame, CDib& image) {
        if (grabbed) {
            grabbed->push_back(frame);
        }
        FillSyntheticFrame(image, frame);
        return true;
    };
    return hooks;
}

std::vector<uint8_t> SyntheticPicture(double time) {
    CDib image(kWidth, kHeight, 24);
    FillSyntheticFrame(image, time);
    return TopDownBgr(image);
}

// The frame numbers a movie's frames were rendered at (-1: none matched).
std::vector<double> RenderedTimes(const MovieFacts& facts) {
    std::vector<double> times;
    for (const auto& frame : facts.frames) {
        double found = -1;
        for (double t = -2; t <= 40 && found < 0; t += 1) {
            if (MaxDifference(frame, SyntheticPicture(t)) == 0) {
                found = t;
            }
        }
        times.push_back(found);
    }
    return times;
}

MovieJob LosslessJob(const std::string& path, int32_t start, int32_t end, int32_t hold, bool reverse) {
    MovieJob job;
    job.path = path;
    job.options.width = kWidth;
    job.options.height = kHeight;
    job.options.start = start;
    job.options.end = end;
    job.options.hold = hold;
    job.options.framesPerSecond = 29.97;
    job.options.reverse = reverse;
    job.writer.codec = "png ";
    job.writer.storeCodec = false;
    return job;
}

TEST(RenderRange, ForwardRangeWithHolds) {
    ScopedSettings settings;
    TempFolder folder;
    MovieJob job = LosslessJob(folder.File("f.mov"), 2, 6, 2, false);
    MovieOutcome outcome = MakeMovieFile(job, SyntheticHooks());
    ASSERT_TRUE(outcome.made) << outcome.message;
    EXPECT_EQ(outcome.message, "Movie file successfully made");
    EXPECT_EQ(outcome.framesAnnounced, 6 + 2 * 2 - 2);
    EXPECT_EQ(outcome.framesWritten, 8);
    MovieFacts facts = ProbeMovie(job.path, true);
    EXPECT_EQ(facts.width, kWidth);
    EXPECT_EQ(facts.height, kHeight);
    EXPECT_EQ(RenderedTimes(facts), (std::vector<double>{2, 2, 2, 3, 4, 5, 5, 5}));
}

TEST(RenderRange, ReverseTooDoublesTheMovie) {
    ScopedSettings settings;
    TempFolder folder;
    MovieJob job = LosslessJob(folder.File("r.mov"), 2, 6, 1, true);
    MovieOutcome outcome = MakeMovieFile(job, SyntheticHooks());
    ASSERT_TRUE(outcome.made) << outcome.message;
    EXPECT_EQ(outcome.framesAnnounced, 2 * (6 + 2 - 2));
    MovieFacts facts = ProbeMovie(job.path, true);
    EXPECT_EQ(facts.packets, 12);
    EXPECT_EQ(RenderedTimes(facts), (std::vector<double>{2, 2, 3, 4, 5, 5, 6, 6, 5, 4, 3, 3}));
}

TEST(RenderRange, StartEqualToEndWritesOnlyTheTailHold) {
    ScopedSettings settings;
    TempFolder folder;
    MovieJob job = LosslessJob(folder.File("e.mov"), 4, 4, 3, false);
    std::vector<double> grabbed;
    MovieOutcome outcome = MakeMovieFile(job, SyntheticHooks(&grabbed));
    ASSERT_TRUE(outcome.made);
    EXPECT_EQ(grabbed, (std::vector<double>{4}));
    EXPECT_EQ(RenderedTimes(ProbeMovie(job.path, true)), (std::vector<double>{4, 4, 4}));
}

TEST(RenderRange, EndBeforeStartRendersBackwards) {
    ScopedSettings settings;
    TempFolder folder;
    MovieJob job = LosslessJob(folder.File("b.avi"), 5, 2, 0, false);
    job.writer.codec = "DIB ";
    MovieOutcome outcome = MakeMovieFile(job, SyntheticHooks());
    ASSERT_TRUE(outcome.made);
    EXPECT_EQ(outcome.framesAnnounced, -3);
    EXPECT_EQ(RenderedTimes(ProbeMovie(job.path, true)), (std::vector<double>{5, 4, 3}));
}

TEST(RenderRange, FieldsAreTwoTimesInterleavedInTheFieldOrder) {
    ScopedSettings settings;
    TempFolder folder;
    for (bool lowerFirst : {false, true}) {
        MovieJob job = LosslessJob(folder.File(lowerFirst ? "lower.mov" : "upper.mov"), 3, 5, 0, false);
        job.options.fieldMode = kFieldModeFields;
        job.lowerFieldFirst = lowerFirst;
        MovieOutcome outcome = MakeMovieFile(job, SyntheticHooks());
        ASSERT_TRUE(outcome.made);
        MovieFacts facts = ProbeMovie(job.path, true);
        ASSERT_EQ(facts.frames.size(), 2u);
        for (size_t k = 0; k < 2; ++k) {
            std::vector<uint8_t> early = SyntheticPicture(3 + k);
            std::vector<uint8_t> late = SyntheticPicture(3 + k + 0.5);
            ASSERT_NE(early, late);
            size_t row = kWidth * 3;
            for (size_t line = 0; line < kHeight; ++line) {
                bool firstField = (line % 2 == 0) != lowerFirst;
                const std::vector<uint8_t>& expected = firstField ? early : late;
                EXPECT_TRUE(std::equal(expected.begin() + line * row, expected.begin() + (line + 1) * row,
                                       facts.frames[k].begin() + line * row))
                    << "frame " << k << " line " << line << (lowerFirst ? " lower first" : " upper first");
            }
        }
    }
}

TEST(RenderRange, ReversePassRendersItsSecondFieldsBackwardsInTime) {
    ScopedSettings settings;
    TempFolder folder;
    MovieJob job = LosslessJob(folder.File("rf.mov"), 3, 5, 0, true);
    job.options.fieldMode = kFieldModeFields;
    std::vector<double> grabbed;
    ASSERT_TRUE(MakeMovieFile(job, SyntheticHooks(&grabbed)).made);
    EXPECT_EQ(grabbed, (std::vector<double>{3, 3.5, 3, 3.5, 4, 4.5, 5, 4.5, 5, 4.5, 4, 3.5}));
}

TEST(RenderRange, CancellingEndsThePassAndTheMovieIsStillComplete) {
    ScopedSettings settings;
    TempFolder folder;
    MovieJob job = LosslessJob(folder.File("c.mov"), 0, 20, 2, false);
    RenderRangeHooks hooks = SyntheticHooks();
    int polls = 0;
    hooks.cancelled = [&polls] { return ++polls == 5; };  // frame 2 is grabbed, not written; no tail hold follows
    MovieOutcome outcome = MakeMovieFile(job, hooks);
    EXPECT_TRUE(outcome.cancelled);
    EXPECT_TRUE(outcome.made);
    MovieFacts facts = ProbeMovie(job.path, true);
    EXPECT_EQ(facts.packets, outcome.framesWritten);
    EXPECT_EQ(RenderedTimes(facts), (std::vector<double>{0, 0, 0, 1}));
    EXPECT_EQ(outcome.message, "Movie file made with 4 of 24 frames: rendering was cancelled");
}

// Esc ends the whole render: with "Reverse too?" the reverse pass does not
// start, and the file holds the frames made before the key.
TEST(RenderRange, CancellingWithReverseStopsAtOnce) {
    ScopedSettings settings;
    TempFolder folder;
    MovieJob job = LosslessJob(folder.File("cr.mov"), 0, 10, 1, true);
    std::vector<double> grabbed;
    RenderRangeHooks hooks = SyntheticHooks(&grabbed);
    int polls = 0;
    hooks.cancelled = [&polls] { return ++polls == 4; };  // at the grab of frame 2
    MovieOutcome outcome = MakeMovieFile(job, hooks);
    EXPECT_TRUE(outcome.made);
    EXPECT_TRUE(outcome.cancelled);
    EXPECT_EQ(grabbed, (std::vector<double>{0, 0, 1, 2}));
    EXPECT_EQ(outcome.framesWritten, 3);
    EXPECT_EQ(RenderedTimes(ProbeMovie(job.path, true)), (std::vector<double>{0, 0, 1}));
    EXPECT_EQ(outcome.message, "Movie file made with 3 of 24 frames: rendering was cancelled");
}

// A cancel before the first frame is written leaves no empty movie behind,
// and a file the movie would have replaced stays as it was.
TEST(RenderRange, CancellingBeforeTheFirstFrameKeepsThePreviousFile) {
    ScopedSettings settings;
    TempFolder folder;
    MovieJob job = LosslessJob(folder.File("early.mov"), 0, 10, 0, true);
    {
        std::ofstream previous(job.path);
        previous << "the movie before";
    }
    RenderRangeHooks hooks = SyntheticHooks();
    hooks.cancelled = [] { return true; };
    MovieOutcome outcome = MakeMovieFile(job, hooks);
    EXPECT_FALSE(outcome.made);
    EXPECT_TRUE(outcome.cancelled);
    EXPECT_EQ(outcome.framesWritten, 0);
    EXPECT_EQ(outcome.message,
              "Rendering was cancelled before the first frame was written. " + job.path + " was left as it was.");
    std::ifstream kept(job.path);
    std::string text;
    std::getline(kept, text);
    EXPECT_EQ(text, "the movie before");
    EXPECT_EQ(FilesIn(folder.Path()), 1u);
}

TEST(RenderRange, AKeyInAHoldIsReportedAsACutShortMovie) {
    ScopedSettings settings;
    TempFolder folder;
    MovieJob job = LosslessJob(folder.File("h.mov"), 0, 4, 3, false);
    RenderRangeHooks hooks = SyntheticHooks();
    int polls = 0;
    hooks.cancelled = [&polls] { return ++polls == 2; };  // the head hold's first poll
    MovieOutcome outcome = MakeMovieFile(job, hooks);
    EXPECT_TRUE(outcome.made);
    EXPECT_TRUE(outcome.cancelled);
    EXPECT_EQ(outcome.framesWritten, 1);  // the hold's first copy, then nothing more
    EXPECT_EQ(outcome.message, "Movie file made with 1 of 10 frames: rendering was cancelled");
    // Left alone the same movie is complete.
    MovieOutcome whole = MakeMovieFile(job, SyntheticHooks());
    EXPECT_FALSE(whole.cancelled);
    EXPECT_EQ(whole.framesWritten, 10);
    EXPECT_EQ(whole.message, "Movie file successfully made");
}

TEST(RenderRange, ProgressAndFrameHooksFollowEveryFrame) {
    ScopedSettings settings;
    TempFolder folder;
    MovieJob job = LosslessJob(folder.File("p.mov"), 10, 14, 1, false);
    RenderRangeHooks hooks = SyntheticHooks();
    std::vector<int32_t> shown;
    std::vector<std::string> messages;
    std::vector<double> fractions;
    hooks.showFrame = [&shown](int32_t frame) { shown.push_back(frame); };
    hooks.progress = [&](double fraction, const char* message, uint32_t startTick) {
        messages.emplace_back(message);
        fractions.push_back(fraction);
        if (messages.back() == kRenderingMessage) {
            EXPECT_NE(startTick, 0u);
        } else {
            EXPECT_EQ(startTick, 0u);
        }
    };
    ASSERT_TRUE(MakeMovieFile(job, hooks).made);
    EXPECT_EQ(shown, (std::vector<int32_t>{10, 11, 12, 13}));
    ASSERT_EQ(messages.size(), 6u);
    EXPECT_EQ(messages[0], "Rendering... (Hit Esc key to cancel)");
    EXPECT_EQ(messages[1], "Rendering Hold... (Hit any key to cancel)");
    EXPECT_EQ(fractions, (std::vector<double>{0.0, 0.0, 0.25, 0.5, 0.75, 0.0}));
}

TEST(MakeMovieFile, AFrameThatCannotBeWrittenEndsTheMovieWithAMessage) {
    ScopedSettings settings;
    TempFolder folder;
    for (const char* name : {"full.mov", "full.avi", "full.rtv"}) {
        std::string path = folder.File(name);
        MovieJob job = LosslessJob(path, 0, 200, 0, true);
        job.options.width = 320;
        job.options.height = 240;
        job.writer.codec = "";
        std::vector<double> grabbed;
        MovieOutcome outcome;
        {
            // As on a full disk: writing beyond the limit fails.
            FileSizeLimit limit(400 * 1024);
            ASSERT_TRUE(limit.Active());
            outcome = MakeMovieFile(job, SyntheticHooks(&grabbed));
        }
        EXPECT_FALSE(outcome.made) << name;
        EXPECT_NE(outcome.message, "Movie file successfully made");
        // Either the header already met the full disk, or a frame did and the
        // message says how many frames made it.
        bool atOpen = outcome.message.find("could not be made") != std::string::npos;
        bool counted = outcome.message.find(std::to_string(outcome.framesWritten) + " frame") != std::string::npos;
        EXPECT_TRUE(atOpen || counted) << outcome.message;
        EXPECT_NE(outcome.message.find("File too large"), std::string::npos) << name << ": " << outcome.message;
        // The movie ended at the failure: no reverse pass was rendered.
        EXPECT_LT(grabbed.size(), 200u) << name;
    }
}

TEST(MakeMovieFile, ASizeBelowOnePixelIsRefusedWithItsReason) {
    ScopedSettings settings;
    TempFolder folder;
    MovieJob job = LosslessJob(folder.File("z.mov"), 0, 5, 0, false);
    job.options.width = 0;
    MovieOutcome outcome = MakeMovieFile(job, SyntheticHooks());
    EXPECT_FALSE(outcome.made);
    EXPECT_NE(outcome.message.find("at least 1 pixel"), std::string::npos);
    EXPECT_TRUE(ReadBytes(job.path).empty());
}

TEST(MakeMovieFile, AFileThatCannotBeCreatedSaysSo) {
    ScopedSettings settings;
    ResetHeadless();
    MovieJob job = LosslessJob("/nonexistent-folder/x.mov", 0, 5, 0, false);
    MovieOutcome outcome = MakeMovieFile(job, SyntheticHooks());
    EXPECT_FALSE(outcome.made);
    EXPECT_FALSE(outcome.opened);
    // The message names the movie file; opening it shows nothing itself.
    EXPECT_EQ(outcome.message.rfind("The movie file \"/nonexistent-folder/x.mov\" could not be made: ", 0), 0u)
        << outcome.message;
    EXPECT_TRUE(Headless().messages.empty());

    MovieWriter writer;
    CDib image(16, 16, 8);
    MovieOutcome opening;
    Result opened = OpenMovieWriter(job, writer, image, 5, opening);
    EXPECT_EQ(opened.Message(), outcome.message);
    EXPECT_FALSE(writer.IsOpen());
    job.options.height = 0;
    EXPECT_NE(OpenMovieWriter(job, writer, image, 5, opening).Message().find("at least 1 pixel"), std::string::npos);
    EXPECT_TRUE(Headless().messages.empty());
}

TEST(MakeMovieFile, ARendererFailureEndsTheMovieWithAMessage) {
    ScopedSettings settings;
    TempFolder folder;
    MovieJob job = LosslessJob(folder.File("g.mov"), 0, 10, 0, false);
    RenderRangeHooks hooks;
    hooks.grab = [](double frame, CDib& image) {
        FillSyntheticFrame(image, frame);
        return frame < 4;
    };
    MovieOutcome outcome = MakeMovieFile(job, hooks);
    EXPECT_FALSE(outcome.made);
    EXPECT_EQ(outcome.framesWritten, 4);
    EXPECT_NE(outcome.message.find("frame 4 could not be rendered"), std::string::npos) << outcome.message;
    EXPECT_NE(outcome.message.find("4 frames were written. No file was made."), std::string::npos) << outcome.message;
    // A failed movie leaves nothing half-made behind.
    EXPECT_FALSE(std::filesystem::exists(job.path));
    EXPECT_EQ(FilesIn(folder.Path()), 0u);
}

}  // namespace

TEST(MakeMovieFile, AMovieThatFailsPartWayKeepsThePreviousFile) {
    ScopedSettings settings;
    TempFolder folder;
    for (const char* name : {"old.avi", "old.mov", "old.dps", "old.rtv"}) {
        std::string path = folder.File(name);
        ASSERT_TRUE(WriteText(path, "the movie the user had"));
        MovieJob job = LosslessJob(path, 0, 120, 0, false);
        job.options.width = 720;
        job.options.height = 486;
        job.options.framesPerSecond = 29.97;
        job.writer.codec = "";
        MovieOutcome outcome;
        {
            FileSizeLimit limit(1024 * 1024);
            ASSERT_TRUE(limit.Active());
            outcome = MakeMovieFile(job, SyntheticHooks());
        }
        EXPECT_FALSE(outcome.made) << name;
        EXPECT_NE(outcome.message.find("File too large"), std::string::npos) << name << ": " << outcome.message;
        EXPECT_NE(outcome.message.find(std::to_string(outcome.framesWritten) + " frame"), std::string::npos)
            << outcome.message;
        EXPECT_NE(outcome.message.find("was left as it was"), std::string::npos) << outcome.message;
        std::vector<uint8_t> bytes = ReadBytes(path);
        EXPECT_EQ(std::string(bytes.begin(), bytes.end()), "the movie the user had") << name;
    }
    EXPECT_EQ(FilesIn(folder.Path()), 4u);  // no temporary file left beside them
}

TEST(MakeMovieFile, ACancelledMovieReplacesTheFileThroughItsLink) {
    ScopedSettings settings;
    TempFolder folder;
    std::filesystem::create_directories(folder.File("real"));
    std::string target = folder.File("real/clip.mov");
    std::string link = folder.File("clip.mov");
    ASSERT_TRUE(WriteText(target, "previous"));
    ASSERT_EQ(symlink(target.c_str(), link.c_str()), 0);
    MovieJob job = LosslessJob(link, 0, 20, 0, false);
    RenderRangeHooks hooks = SyntheticHooks();
    int asked = 0;
    hooks.cancelled = [&asked] { return ++asked > 5; };
    MovieOutcome outcome = MakeMovieFile(job, hooks);
    EXPECT_TRUE(outcome.made) << outcome.message;
    EXPECT_TRUE(outcome.cancelled);
    EXPECT_TRUE(std::filesystem::is_symlink(link));
    EXPECT_EQ(ProbeMovie(target, false).packets, outcome.framesWritten);
    EXPECT_GT(outcome.framesWritten, 0);
    EXPECT_EQ(FilesIn(folder.File("real")), 1u);
}

// A movie that got no frame is no movie: the file it would replace stays.
TEST(MakeMovieFile, AMovieWithoutFramesReplacesNothingAndSaysSo) {
    ScopedSettings settings;
    TempFolder folder;
    std::string path = folder.File("keep.mov");
    ASSERT_TRUE(WriteText(path, "thirty good frames"));
    RenderRangeHooks hooks = SyntheticHooks();
    hooks.cancelled = [] { return true; };  // Esc before the first frame
    MovieOutcome cancelled = MakeMovieFile(LosslessJob(path, 0, 20, 0, false), hooks);
    EXPECT_FALSE(cancelled.made);
    EXPECT_TRUE(cancelled.cancelled);
    EXPECT_EQ(cancelled.framesWritten, 0);
    EXPECT_EQ(cancelled.message,
              "Rendering was cancelled before the first frame was written. " + path + " was left as it was.");
    MovieOutcome empty = MakeMovieFile(LosslessJob(path, 100, 100, 0, false), SyntheticHooks());
    EXPECT_FALSE(empty.made);
    EXPECT_FALSE(empty.cancelled);
    EXPECT_EQ(empty.message, "The movie has no frames to render. " + path + " was left as it was.");
    std::vector<uint8_t> bytes = ReadBytes(path);
    EXPECT_EQ(std::string(bytes.begin(), bytes.end()), "thirty good frames");
    EXPECT_EQ(FilesIn(folder.Path()), 1u);
    MovieOutcome none = MakeMovieFile(LosslessJob(folder.File("new.mov"), 5, 5, 0, false), SyntheticHooks());
    EXPECT_EQ(none.message, "The movie has no frames to render. No file was made.");
    EXPECT_EQ(FilesIn(folder.Path()), 1u);
}

// While one run writes a movie, a second run of the same movie is refused
// at once, naming the first one's file; the first finishes undisturbed.
TEST(MakeMovieFile, ASecondWriterOfTheSameMovieIsRefusedWhileTheFirstWrites) {
    ScopedSettings settings;
    TempFolder folder;
    std::string path = folder.File("news.mov");
    ASSERT_TRUE(WriteText(path, "yesterday's news"));
    MovieOutcome second;
    RenderRangeHooks hooks = SyntheticHooks();
    int grabs = 0;
    RenderRangeHooks firstHooks = hooks;
    firstHooks.grab = [&](double frame, CDib& image) {
        if (++grabs == 4) {
            second = MakeMovieFile(LosslessJob(path, 0, 3, 0, false), SyntheticHooks());
        }
        return hooks.grab(frame, image);
    };
    MovieOutcome first = MakeMovieFile(LosslessJob(path, 0, 10, 0, false), firstHooks);
    EXPECT_TRUE(first.made) << first.message;
    EXPECT_FALSE(second.opened);
    EXPECT_FALSE(second.made);
    EXPECT_EQ(second.message.rfind(
                  "The movie file \"" + path + "\" could not be made: " + path + " is being written by another run", 0),
              0u)
        << second.message;
    EXPECT_NE(second.message.find(path + ".making~" + std::to_string(getpid())), std::string::npos) << second.message;
    EXPECT_EQ(RenderedTimes(ProbeMovie(path, true)), (std::vector<double>{0, 1, 2, 3, 4, 5, 6, 7, 8, 9}));
    EXPECT_EQ(FilesIn(folder.Path()), 1u);
}

// The command line names the writer by the name's last suffix; the desktop
// keeps its rule of the first of ".mov", ".dps", ".rtv" anywhere in it.
TEST(MakeMovieFile, TheWriterTheJobNamesWinsOverThePath) {
    ScopedSettings settings;
    TempFolder folder;
    std::filesystem::create_directories(folder.File("my.movies"));
    std::string path = folder.File("my.movies/x.avi");
    MovieJob job = LosslessJob(path, 0, 3, 0, false);
    job.writer.codec = "";
    ASSERT_TRUE(MakeMovieFile(job, SyntheticHooks()).made);
    std::vector<uint8_t> bytes = ReadBytes(path);
    ASSERT_GE(bytes.size(), 12u);
    EXPECT_EQ(std::string(bytes.begin() + 4, bytes.begin() + 8), "ftyp");  // QuickTime by the desktop's rule
    job.writer.kind = kWriterAvi;
    ASSERT_TRUE(MakeMovieFile(job, SyntheticHooks()).made);
    bytes = ReadBytes(path);
    EXPECT_EQ(std::string(bytes.begin(), bytes.begin() + 4), "RIFF");
    EXPECT_EQ(std::string(bytes.begin() + 8, bytes.begin() + 12), "AVI ");
    EXPECT_EQ(ProbeMovie(path, false).codecName, "mjpeg");  // the AVI default
}
