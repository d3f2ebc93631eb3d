// Background movies: show frame n shows movie frame n, for movies made by
// our writers and by the ffmpeg command.
#include <gtest/gtest.h>
#include <unistd.h>

#include <cstdlib>
#include <cstring>
#include <filesystem>

#include "Background.h"
#include "Doc.h"
#include "HeadlessPlatform.h"
#include "MakeMovieAVI.h"
#include "MovieProbe.h"
#include "ShowRecord.h"
#include "TestSupport.h"

namespace {

// A lossless movie of `count` synthetic frames; their pictures in `fed`.
void MakeLosslessMovie(const std::string& path, const char* code, int count, std::vector<std::vector<uint8_t>>& fed) {
    MovieWriter writer;
    writer.options.codec = code;
    writer.options.storeCodec = false;
    CDib image(40, 24, 24);
    ASSERT_TRUE(writer.Open(MakeFileSpec(path.c_str()), image, 29.97, 100, count));
    for (int i = 0; i < count; ++i) {
        FillSyntheticFrame(image, i);
        fed.push_back(TopDownBgr(image));
        ASSERT_TRUE(writer.WriteFrame(-1, image));
    }
    ASSERT_TRUE(writer.Close());
}

int OpenDescriptorsFor(const std::string& path) {
    int count = 0;
    std::error_code ignored;
    for (const auto& entry : std::filesystem::directory_iterator("/proc/self/fd", ignored)) {
        std::error_code error;
        auto target = std::filesystem::read_symlink(entry.path(), error);
        count += !error && target == std::filesystem::path(path);
    }
    return count;
}

class LosslessBackground : public testing::TestWithParam<std::pair<const char*, const char*>> {};

TEST_P(LosslessBackground, ShowFrameNIsMovieFrameN) {
    ScopedSettings settings;
    TempFolder folder;
    std::string path = folder.File(GetParam().first);
    std::vector<std::vector<uint8_t>> fed;
    MakeLosslessMovie(path, GetParam().second, 12, fed);
    Show show;
    ASSERT_TRUE(SetBackground(show, MakeFileSpec(path.c_str())));
    EXPECT_STREQ(show.background.name, path.c_str());
    EXPECT_EQ(TopDownBgr(show.backgroundImage), fed[0]);
    EXPECT_EQ(show.backgroundImage.BitsPerPixel(), 24);
    for (int frame : {5, 2, 9, 10, 11, 0, 6, 6, 3}) {
        ASSERT_TRUE(BackgroundFrame(show, frame)) << frame;
        EXPECT_EQ(TopDownBgr(show.backgroundImage), fed[static_cast<size_t>(frame)]) << frame;
    }
    EXPECT_FALSE(BackgroundFrame(show, 12));
    // Back from past the end (a reverse pass): the last frame shows again.
    ASSERT_TRUE(BackgroundFrame(show, 11));
    EXPECT_EQ(TopDownBgr(show.backgroundImage), fed[11]);
    EXPECT_FALSE(BackgroundFrame(show, 13));
    EXPECT_FALSE(BackgroundFrame(show, 400));
    ASSERT_TRUE(BackgroundFrame(show, 11));
    EXPECT_EQ(TopDownBgr(show.backgroundImage), fed[11]);
    ASSERT_TRUE(BackgroundFrame(show, 4));
    EXPECT_EQ(TopDownBgr(show.backgroundImage), fed[4]);
}

INSTANTIATE_TEST_SUITE_P(Movies, LosslessBackground,
                         testing::Values(std::make_pair("back.mov", "png "), std::make_pair("back.avi", "DIB "),
                                         std::make_pair("rle.mov", "rle ")));

TEST(BackgroundMovie, MovieMadeByTheFfmpegCommand) {
    if (std::system("ffmpeg -version > /dev/null 2>&1") != 0) {
        GTEST_SKIP() << "no ffmpeg command";
    }
    ScopedSettings settings;
    TempFolder folder;
    std::string path = folder.File("count.avi");
    // Frame n is a flat grey of video level 16 + 4 n.
    std::string command =
        "ffmpeg -v error -y -f lavfi -i color=c=black:s=64x48:r=25:d=2 -vf "
        "\"geq=lum='16+4*N':cb=128:cr=128\" -c:v mjpeg -q:v 2 " +
        path;
    ASSERT_EQ(std::system(command.c_str()), 0);
    Show show;
    ASSERT_TRUE(SetBackground(show, MakeFileSpec(path.c_str())));
    for (int frame : {0, 17, 3, 30, 49, 12}) {
        ASSERT_TRUE(BackgroundFrame(show, frame)) << frame;
        const uint8_t* middle = show.backgroundImage.Row(24) + 32 * 3;
        EXPECT_NEAR(middle[1], 4 * frame * 255 / 219, 3) << frame;
    }
}

TEST(BackgroundMovie, UnreadableMovieKeepsThePreviousBackground) {
    ScopedSettings settings;
    TempFolder folder;
    std::vector<std::vector<uint8_t>> fed;
    std::string good = folder.File("good.mov");
    MakeLosslessMovie(good, "png ", 3, fed);
    std::string bad = folder.File("bad.avi");
    ASSERT_TRUE(WriteText(bad, "not a movie at all"));
    Show show;
    ASSERT_TRUE(SetBackground(show, MakeFileSpec(good.c_str())));
    EXPECT_EQ(SetBackground(show, MakeFileSpec(bad.c_str())).Message(),
              "Can't open background movie \"" + bad + "\": not a movie the program reads");
    EXPECT_STREQ(show.background.name, good.c_str());
    // A missing picture is refused by its name too, and the movie stays.
    const std::string absent = folder.File("absent.png");
    EXPECT_EQ(SetBackground(show, MakeFileSpec(absent.c_str())).Message(),
              "Can't read image file \"" + absent + "\": No such file or directory");
    EXPECT_STREQ(show.background.name, good.c_str());
    ASSERT_TRUE(BackgroundFrame(show, 2));
    EXPECT_EQ(TopDownBgr(show.backgroundImage), fed[2]);
}

TEST(BackgroundMovie, SettingAnotherBackgroundReleasesThePreviousMovie) {
    ScopedSettings settings;
    TempFolder folder;
    std::vector<std::vector<uint8_t>> fed;
    std::string first = folder.File("first.mov");
    std::string second = folder.File("second.avi");
    MakeLosslessMovie(first, "png ", 2, fed);
    MakeLosslessMovie(second, "DIB ", 2, fed);
    Show show;
    ASSERT_TRUE(SetBackground(show, MakeFileSpec(first.c_str())));
    EXPECT_EQ(OpenDescriptorsFor(first), 1);
    ASSERT_TRUE(SetBackground(show, MakeFileSpec(second.c_str())));
    EXPECT_EQ(OpenDescriptorsFor(first), 0);
    EXPECT_EQ(OpenDescriptorsFor(second), 1);
    // An empty name removes the background; that works.
    EXPECT_TRUE(SetBackground(show, MakeFileSpec("")));
    EXPECT_EQ(OpenDescriptorsFor(second), 0);
    EXPECT_EQ(show.backgroundImage.Width(), 8);
}

// Loading a show whose background movie cannot be opened leaves no
// background movie: the previous show's movie is not drawn behind it.
TEST(BackgroundMovie, LoadedShowWithAMissingMovieHasNoBackgroundMovie) {
    ScopedSettings settings;
    TempFolder folder;
    std::vector<std::vector<uint8_t>> fed;
    std::string good = folder.File("good.mov");
    MakeLosslessMovie(good, "png ", 3, fed);
    std::string missing = folder.File("gone.avi");
    std::string path = folder.File("other.tvr");
    {
        auto other = CreateShow();
        std::strcpy(other->background.name, missing.c_str());
        ASSERT_TRUE(SaveShowFile(*other, MakeFileSpec(path.c_str())));
    }
    auto show = CreateShow();
    ASSERT_TRUE(SetBackground(*show, MakeFileSpec(good.c_str())));
    ASSERT_TRUE(BackgroundFrame(*show, 1));
    ResetHeadless();
    Result loaded = LoadShowFile(*show, MakeFileSpec(path.c_str()));
    ASSERT_TRUE(loaded);
    // The show loads, with a note naming it and the background that failed;
    // the load shows nothing, the desktop shows the note.
    ASSERT_EQ(loaded.Notes().size(), 1u);
    EXPECT_EQ(loaded.Notes()[0], "Show file \"" + path + "\" is loaded without its background: " +
                                     "Can't open background movie \"" + missing + "\": No such file or directory");
    EXPECT_TRUE(Headless().messages.empty());
    Headless().quiet = true;
    ShowFailure(loaded);
    EXPECT_EQ(Headless().messages, loaded.Notes());
    EXPECT_STREQ(show->background.name, missing.c_str());
    EXPECT_FALSE(BackgroundFrame(*show, 1));
    EXPECT_EQ(show->backgroundMovie, nullptr);
    EXPECT_EQ(OpenDescriptorsFor(good), 0);
}

}  // namespace
