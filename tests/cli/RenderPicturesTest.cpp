// Pictures from the command line: sequence names, PNG files read back with
// libpng, frame ranges from timecodes, and errors for bad requests.
#include <gtest/gtest.h>
#include <png.h>

#include <cstring>
#include <filesystem>
#include <random>

#include "Doc.h"
#include "Draw.h"
#include "RenderPictures.h"
#include "Settings.h"
#include "TestSupport.h"
#include "Utilities.h"

namespace {

// A PNG read back as top-down RGB rows.
struct PngPicture {
    int width = 0;
    int height = 0;
    std::vector<uint8_t> rgb;
    const uint8_t* At(int x, int y) const { return rgb.data() + (static_cast<size_t>(y) * width + x) * 3; }
};

bool ReadPng(const std::string& path, PngPicture& out) {
    png_image image;
    std::memset(&image, 0, sizeof(image));
    image.version = PNG_IMAGE_VERSION;
    if (!png_image_begin_read_from_file(&image, path.c_str()))
        return false;
    image.format = PNG_FORMAT_RGB;
    out.width = static_cast<int>(image.width);
    out.height = static_cast<int>(image.height);
    out.rgb.resize(PNG_IMAGE_SIZE(image));
    return png_image_finish_read(&image, nullptr, out.rgb.data(), 0, nullptr) != 0;
}

class RenderPictures : public ::testing::Test {
protected:
    void SetUp() override {
        show = CreateShow();
        gShow = show.get();
        MakeDemoShow(*show);
    }
    void TearDown() override {
        DestroyShow(*show);
        gShow = nullptr;
    }
    ScopedSettings settings;
    std::unique_ptr<Show> show;
};

}  // namespace

TEST(SequenceName, ReplacesTheRunOfHashesWithTheFrame) {
    EXPECT_EQ(SequenceName("out####.png", 7), "out0007.png");
    EXPECT_EQ(SequenceName("out##.png", 1234), "out1234.png");
    EXPECT_EQ(SequenceName("#.bmp", 3), "3.bmp");
    EXPECT_EQ(SequenceName("/a/b_###_c.tga", 42), "/a/b_042_c.tga");
    EXPECT_EQ(SequenceName("plain.png", 5), "plain.png");
}

TEST_F(RenderPictures, OneFrameAsAnUprightPng) {
    RenderOptions options;
    options.outPath = settings.Folder().File("frame.png");
    options.frame = 299;
    options.width = 360;
    options.height = 243;
    options.antiAliasing = 0;
    ASSERT_EQ(RenderPicturesCommand(*show, options).status, 0);
    PngPicture png;
    ASSERT_TRUE(ReadPng(options.outPath, png));
    EXPECT_EQ(png.width, 360);
    EXPECT_EQ(png.height, 243);
    // The yellow title is in the upper part of the picture.
    int firstYellow = -1;
    for (int y = 0; y < png.height && firstYellow < 0; ++y) {
        for (int x = 0; x < png.width; ++x) {
            const uint8_t* p = png.At(x, y);
            if (p[0] > 200 && p[1] > 200 && p[2] < 80) {
                firstYellow = y;
                break;
            }
        }
    }
    EXPECT_GE(firstYellow, 0);
    EXPECT_LT(firstYellow, png.height / 4);
    EXPECT_EQ(png.At(0, png.height - 1)[0], 0);  // black corner
}

TEST_F(RenderPictures, SequenceFromStartUpToEnd) {
    show->frameRate = kRateNtsc;
    RenderOptions options;
    options.outPath = settings.Folder().File("seq####.png");
    options.start = "00:00:00:28";
    options.end = "00:00:01:01";  // 31: frames 28, 29 and 30
    options.width = 64;
    options.height = 48;
    ASSERT_EQ(RenderPicturesCommand(*show, options).status, 0);
    namespace fs = std::filesystem;
    EXPECT_FALSE(fs::exists(settings.Folder().File("seq0027.png")));
    EXPECT_TRUE(fs::exists(settings.Folder().File("seq0028.png")));
    EXPECT_TRUE(fs::exists(settings.Folder().File("seq0030.png")));
    EXPECT_FALSE(fs::exists(settings.Folder().File("seq0031.png")));
    PngPicture png;
    ASSERT_TRUE(ReadPng(settings.Folder().File("seq0029.png"), png));
    EXPECT_EQ(png.width, 64);
}

// The light of a frame is placed through the chart of the frame before it:
// a still, or a run that starts later, looks as the same frame does in a run
// from frame 0.
TEST_F(RenderPictures, AFrameLooksTheSameWhereverTheRunStarts) {
    show->frameRate = kRateNtsc;
    RenderOptions options;
    options.width = 160;
    options.height = 120;
    options.antiAliasing = 0;
    options.outPath = settings.Folder().File("run####.png");
    options.end = "00:00:00:11";
    ASSERT_EQ(RenderPicturesCommand(*show, options).status, 0);
    options.outPath = settings.Folder().File("still.png");
    options.frame = 10;
    ASSERT_EQ(RenderPicturesCommand(*show, options).status, 0);
    options.outPath = settings.Folder().File("late####.png");
    options.start = "00:00:00:10";
    ASSERT_EQ(RenderPicturesCommand(*show, options).status, 0);
    PngPicture run;
    PngPicture still;
    PngPicture late;
    ASSERT_TRUE(ReadPng(settings.Folder().File("run0010.png"), run));
    ASSERT_TRUE(ReadPng(settings.Folder().File("still.png"), still));
    ASSERT_TRUE(ReadPng(settings.Folder().File("late0010.png"), late));
    EXPECT_EQ(still.rgb, run.rgb);
    EXPECT_EQ(late.rgb, run.rgb);
}

TEST_F(RenderPictures, EndDefaultsToTheLastKeyframe) {
    show->keys[2].frame = 3;
    RenderOptions options;
    options.outPath = settings.Folder().File("k##.png");
    options.width = 32;
    options.height = 24;
    ASSERT_EQ(RenderPicturesCommand(*show, options).status, 0);
    EXPECT_TRUE(std::filesystem::exists(settings.Folder().File("k02.png")));
    EXPECT_FALSE(std::filesystem::exists(settings.Folder().File("k03.png")));
}

TEST_F(RenderPictures, PalFramesDefaultTo576Lines) {
    show->frameRate = kRatePal;
    RenderOptions options;
    options.outPath = settings.Folder().File("pal.png");
    ASSERT_EQ(RenderPicturesCommand(*show, options).status, 0);
    PngPicture png;
    ASSERT_TRUE(ReadPng(options.outPath, png));
    EXPECT_EQ(png.width, 720);
    EXPECT_EQ(png.height, 576);
}

TEST_F(RenderPictures, AspectOptionSetsTheShowAspect) {
    RenderOptions options;
    options.outPath = settings.Folder().File("wide.png");
    options.aspect = 0.5625f;
    options.width = 32;
    options.height = 18;
    ASSERT_EQ(RenderPicturesCommand(*show, options).status, 0);
    EXPECT_EQ(show->frameAspect, 0.5625f);
}

// HD pictures are 16:9 whatever the stored shape, and cannot be made 4:3.
TEST_F(RenderPictures, HdPicturesAreSixteenByNine) {
    WriteSettingInt("AspectMode", 7500);
    RenderOptions options;
    options.outPath = settings.Folder().File("hd.png");
    options.width = 1280;
    options.height = 720;
    options.frame = 0;
    options.antiAliasing = 0;
    ASSERT_EQ(RenderPicturesCommand(*show, options).status, 0);
    EXPECT_EQ(show->frameAspect, 0.5625f);
    options.outPath = settings.Folder().File("hd43.png");
    options.aspect = 0.75f;
    StepResult refused = RenderPicturesCommand(*show, options);
    EXPECT_EQ(refused.status, 1);
    EXPECT_NE(refused.error.find("16:9 picture of square pixels"), std::string::npos) << refused.error;
    EXPECT_FALSE(std::filesystem::exists(options.outPath));
}

TEST_F(RenderPictures, BadRequestsFailWithoutWriting) {
    RenderOptions options;
    EXPECT_EQ(RenderPicturesCommand(*show, options).status, 1);  // no -o
    options.outPath = settings.Folder().File("x.gif");
    EXPECT_EQ(RenderPicturesCommand(*show, options).status, 1);
    options.outPath = settings.Folder().File("x.png");
    options.antiAliasing = 101;
    EXPECT_EQ(RenderPicturesCommand(*show, options).status, 1);
    options.antiAliasing = 0;
    options.width = 5000;
    options.height = 10;
    EXPECT_EQ(RenderPicturesCommand(*show, options).status, 1);
    options.width.reset();
    options.height.reset();
    options.outPath = settings.Folder().File("s##.png");
    options.start = "200";  // two seconds
    options.end = "100";    // one second
    EXPECT_EQ(RenderPicturesCommand(*show, options).status, 1);
    options.outPath = "/nonexistent-folder/x.png";
    options.start.reset();
    options.end.reset();
    EXPECT_EQ(RenderPicturesCommand(*show, options).status, 1);
    options.outPath = "/nonexistent-folder/s##.png";  // a sequence stops at the first failed write
    options.start = "0";
    options.end = "3";
    options.width = 16;
    options.height = 12;
    EXPECT_EQ(RenderPicturesCommand(*show, options).status, 1);
    EXPECT_FALSE(std::filesystem::exists(settings.Folder().File("x.png")));
    EXPECT_FALSE(std::filesystem::exists(settings.Folder().File("s00.png")));
}

// The demo show against the reviewed reference pictures (each frame lit as
// in a run from frame 0, though rendered here after jumps), with a
// tolerance for differences of rasterisation.
TEST_F(RenderPictures, DemoFramesMatchTheReferencePictures) {
    for (int frame : {0, 150, 299}) {
        PngPicture reference;
        ASSERT_TRUE(ReadPng(TestDataPath("reference/demo-frame" + std::to_string(frame) + ".png"), reference));
        CDib picture(16, 16, 8);
        ASSERT_TRUE(RenderShowFrame(*show, frame, reference.width, reference.height, show->antiAliasing, picture));
        int different = 0;
        for (int y = 0; y < reference.height; ++y) {
            const uint8_t* row = picture.Row(reference.height - 1 - y);
            for (int x = 0; x < reference.width; ++x) {
                const uint8_t* want = reference.At(x, y);
                int delta = std::abs(row[x * 3 + 2] - want[0]) + std::abs(row[x * 3 + 1] - want[1]) +
                            std::abs(row[x * 3] - want[2]);
                different += delta > 96;
            }
        }
        EXPECT_LT(different, reference.width * reference.height / 100) << "frame " << frame;
    }
}

TEST_F(RenderPictures, BenchReportsEveryLevel) {
    RenderOptions options;
    options.width = 64;
    options.height = 48;
    testing::internal::CaptureStdout();
    EXPECT_EQ(RenderBenchCommand(*show, options).status, 0);
    std::string out = testing::internal::GetCapturedStdout();
    for (const char* level : {"anti-aliasing 0:", "anti-aliasing 25:", "anti-aliasing 50:", "anti-aliasing 75:"}) {
        EXPECT_NE(out.find(level), std::string::npos) << out;
    }
    options.antiAliasing = 200;
    EXPECT_EQ(RenderBenchCommand(*show, options).status, 1);
}

// Pictures written as PNG read back pixel for pixel: chart-like ones (the
// run encoder), noisy ones (the general encoder), with and without alpha,
// one pixel, and rows too long for the encoder to refer to the row above.
namespace {

std::unique_ptr<CDib> MakePicture(int width, int height, int bits, bool noisy, std::mt19937& random) {
    auto made = std::make_unique<CDib>(width, height, bits);
    CDib& picture = *made;
    EXPECT_EQ(picture.Width(), width);
    const int channels = bits / 8;
    for (int y = 0; y < height; ++y) {
        uint8_t* row = picture.Row(y);
        for (int x = 0; x < width * channels; ++x) {
            row[x] = noisy ? static_cast<uint8_t>(random()) : static_cast<uint8_t>(x / 40 * 30 + y / 20);
        }
    }
    return made;
}

void ExpectPngReadsBack(const CDib& picture, const std::string& path) {
    ASSERT_TRUE(WritePng(picture, path));
    const bool alpha = picture.BitsPerPixel() == 32;
    png_image image;
    std::memset(&image, 0, sizeof(image));
    image.version = PNG_IMAGE_VERSION;
    ASSERT_TRUE(png_image_begin_read_from_file(&image, path.c_str()));
    image.format = alpha ? PNG_FORMAT_BGRA : PNG_FORMAT_BGR;
    std::vector<uint8_t> pixels(PNG_IMAGE_SIZE(image));
    ASSERT_TRUE(png_image_finish_read(&image, nullptr, pixels.data(), 0, nullptr));
    ASSERT_EQ(image.width, static_cast<uint32_t>(picture.Width()));
    ASSERT_EQ(image.height, static_cast<uint32_t>(picture.Height()));
    const size_t rowBytes = static_cast<size_t>(picture.Width()) * (alpha ? 4 : 3);
    for (int y = 0; y < picture.Height(); ++y) {
        const uint8_t* stored = picture.Row(picture.Height() - 1 - y);  // PNG rows run top down
        ASSERT_TRUE(std::equal(stored, stored + rowBytes, pixels.data() + y * rowBytes)) << path << ", row " << y;
    }
}

}  // namespace

TEST(WritePng, ReadsBackExactlyWhicheverEncoderTakesIt) {
    TempFolder folder;
    std::mt19937 random(3);
    for (int bits : {24, 32}) {
        for (bool noisy : {false, true}) {
            std::string name = "p" + std::to_string(bits) + (noisy ? "n" : "f") + ".png";
            ExpectPngReadsBack(*MakePicture(301, 97, bits, noisy, random), folder.File(name));
        }
    }
    ExpectPngReadsBack(*MakePicture(1, 1, 24, false, random), folder.File("one.png"));
    ExpectPngReadsBack(*MakePicture(kDibMaxSize, 4, 32, false, random), folder.File("wide.png"));
}
