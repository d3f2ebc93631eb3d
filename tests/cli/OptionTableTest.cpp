// The option table: the usage lists every option the parser takes, values
// are taken after the option or joined with "=", flags take none, and a
// file's kind comes from the last suffix of its name.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "OptionTable.h"
#include "Options.h"

namespace {

bool Parse(std::vector<std::string> args, RenderOptions& options, std::string& error) {
    args.insert(args.begin(), "tavrilo-render");
    std::vector<char*> argv;
    for (std::string& arg : args) {
        argv.push_back(arg.data());
    }
    options = RenderOptions();
    return ParseRenderOptions(static_cast<int>(argv.size()), argv.data(), options, error);
}

TEST(OptionTable, UsageListsEveryOptionWithItsValue) {
    const std::string usage = RenderUsage();
    for (const OptionSpec& option : RenderOptionTable()) {
        std::string shown = std::string(option.name) + (option.value ? std::string(" ") + option.value : "");
        EXPECT_NE(usage.find(shown), std::string::npos) << shown;
        if (option.shortName) {
            EXPECT_NE(usage.find(std::string(option.shortName) + ", " + option.name), std::string::npos);
        }
        EXPECT_EQ(FindRenderOption(option.name), &option);
    }
    EXPECT_NE(usage.find("--bench"), std::string::npos);
    EXPECT_NE(usage.find("-o, --output OUT"), std::string::npos);
    EXPECT_NE(usage.find("--size=1920x1080"), std::string::npos);
    EXPECT_EQ(FindRenderOption("--no-such"), nullptr);
}

TEST(OptionTable, EveryValueOptionTakesItsValueBothWays) {
    const std::vector<std::pair<std::string, std::string>> goodValues = {
        {"--size", "1280x720"}, {"--aa", "50"}, {"--start", "00:00:01:00"}, {"--codec", "avc1"}, {"--fps", "25"}};
    for (const auto& [name, value] : goodValues) {
        RenderOptions separate;
        RenderOptions joined;
        std::string error;
        ASSERT_TRUE(Parse({"-o", "x.mov", name, value}, separate, error)) << error;
        ASSERT_TRUE(Parse({"-o", "x.mov", name + "=" + value}, joined, error)) << error;
        EXPECT_EQ(separate.width, joined.width);
        EXPECT_EQ(separate.antiAliasing, joined.antiAliasing);
        EXPECT_EQ(separate.start, joined.start);
        EXPECT_EQ(separate.codec, joined.codec);
        EXPECT_EQ(separate.fps, joined.fps);
    }
    RenderOptions options;
    std::string error;
    EXPECT_FALSE(Parse({"--info=yes"}, options, error));
    EXPECT_EQ(error, "--info takes no value");
    EXPECT_FALSE(Parse({"-o"}, options, error));
    EXPECT_EQ(error, "-o needs a value");
    ASSERT_TRUE(Parse({"-h"}, options, error)) << error;
    EXPECT_TRUE(options.help);
}

TEST(OptionTable, UserValuesInMessagesAreEscaped) {
    RenderOptions options;
    std::string error;
    EXPECT_FALSE(Parse({"-o", "x.mov", "--field-order", "up\x1b[2Jper"}, options, error));
    EXPECT_EQ(error.find('\x1b'), std::string::npos) << error;
    EXPECT_FALSE(Parse({"-o", "x.mov", "--part", "1\n/2"}, options, error));
    EXPECT_EQ(error.find('\n'), std::string::npos) << error;
    EXPECT_FALSE(Parse({"--join", "out\x07.mkv", "a.mov"}, options, error));
    EXPECT_EQ(error.find('\x07'), std::string::npos) << error;
}

TEST(FileKind, TheLastSuffixOfTheNameDecides) {
    EXPECT_EQ(FileKindOf("show.mov"), FileKind::QuickTime);
    EXPECT_EQ(FileKindOf("x.mov.avi"), FileKind::Avi);
    EXPECT_EQ(FileKindOf("my.movies/x.avi"), FileKind::Avi);
    EXPECT_EQ(FileKindOf("news.dps.d/y.avi"), FileKind::Avi);
    EXPECT_EQ(FileKindOf("my.movies/x"), FileKind::Unknown);
    EXPECT_EQ(FileKindOf("shot####.PNG"), FileKind::Png);
    EXPECT_EQ(FileKindOf("a.tga.bmp"), FileKind::Bmp);
    EXPECT_EQ(FileKindOf("show.tvr"), FileKind::Show);
    EXPECT_EQ(FileKindOf("movie.MOV"), FileKind::Unknown);  // movies are named as the writers name them
    EXPECT_TRUE(IsPictureKind(FileKind::Tga));
    EXPECT_TRUE(IsMovieKind(FileKind::Rtv));
    EXPECT_FALSE(IsMovieKind(FileKind::Show));
}

}  // namespace
