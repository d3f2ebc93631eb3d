// Windows bitmap and Targa fixtures written by PIL and ImageMagick.
#include <gtest/gtest.h>

#include "PictureReaders.h"
#include "PictureTestSupport.h"

namespace {

// The five-bit level of an eight-bit value; writers round it one way or the other.
int Level(int value) {
    return (value * 31 + 127) / 255;
}

void ExpectFixtureGreyIndexes(const CDib& dib) {
    ASSERT_EQ(dib.BitsPerPixel(), 8);
    for (int y = 0; y < 3; ++y) {
        for (int x = 0; x < 5; ++x) {
            EXPECT_EQ(*PixelAt(dib, x, y), kFixtureGreys[y][x]) << x << "," << y;
        }
    }
}

void ExpectFixtureAlphas(const CDib& dib) {
    ASSERT_EQ(dib.BitsPerPixel(), 32);
    for (int y = 0; y < 3; ++y) {
        for (int x = 0; x < 5; ++x) {
            EXPECT_EQ(PixelAt(dib, x, y)[3], kFixtureAlphas[y][x]) << x << "," << y;
        }
    }
}

}  // namespace

TEST(BitmapFixtures, TrueColourBitmapsKeepRowsChannelsAndPadding) {
    CDib dib;
    ASSERT_EQ(ReadPicture(PicturePath("bmp_rgb24.bmp"), dib), kDibReadOk);
    EXPECT_EQ(dib.BitsPerPixel(), 24);
    EXPECT_EQ(dib.Stride(), 16);
    ExpectFixtureColours(dib);

    ASSERT_EQ(ReadPicture(PicturePath("bmp_rgba32.bmp"), dib), kDibReadOk);
    ExpectFixtureColours(dib);
    ExpectFixtureAlphas(dib);
}

TEST(BitmapFixtures, TopDownBitmapIsStoredBottomUp) {
    CDib dib;
    ASSERT_EQ(ReadPicture(PicturePath("bmp_topdown24.bmp"), dib), kDibReadOk);
    ExpectFixtureColours(dib);
    EXPECT_EQ(dib.Height(), 3);
}

TEST(BitmapFixtures, SixteenBitBitmapKeepsItsFiveFiveFivePixels) {
    CDib dib;
    ASSERT_EQ(ReadPicture(PicturePath("bmp_rgb555.bmp"), dib), kDibReadOk);
    ASSERT_EQ(dib.BitsPerPixel(), 16);
    EXPECT_EQ(dib.Stride(), 12);
    for (int y = 0; y < 3; ++y) {
        for (int x = 0; x < 5; ++x) {
            const uint8_t* pixel = PixelAt(dib, x, y);
            int value = pixel[0] | (pixel[1] << 8);
            const Rgb& want = kFixtureColours[y][x];
            EXPECT_EQ(value >> 15, 0);
            EXPECT_NEAR((value >> 10) & 31, Level(want.red), 1) << x << "," << y;
            EXPECT_NEAR((value >> 5) & 31, Level(want.green), 1) << x << "," << y;
            EXPECT_NEAR(value & 31, Level(want.blue), 1) << x << "," << y;
        }
    }
}

TEST(BitmapFixtures, EightBitBitmapsReadTheirPalette) {
    CDib dib;
    ASSERT_EQ(ReadPicture(PicturePath("bmp_grey8.bmp"), dib), kDibReadOk);
    ExpectFixtureGreyIndexes(dib);
    EXPECT_EQ(dib.Palette()[200].red, 200);

    ASSERT_EQ(ReadPicture(PicturePath("bmp_palette8.bmp"), dib), kDibReadOk);
    for (int y = 0; y < 3; ++y) {
        for (int x = 0; x < 5; ++x) {
            int index = *PixelAt(dib, x, y);
            EXPECT_EQ(index, y * 5 + x);
            const PaletteEntry& entry = dib.Palette()[index];
            EXPECT_EQ(entry.red, kFixtureColours[y][x].red);
            EXPECT_EQ(entry.green, kFixtureColours[y][x].green);
            EXPECT_EQ(entry.blue, kFixtureColours[y][x].blue);
        }
    }
}

TEST(BitmapFixtures, UnsupportedBitmapsGiveTheirCodes) {
    CDib dib;
    EXPECT_EQ(ReadPicture(PicturePath("bmp_rle8.bmp"), dib), kDibCompressed);
    EXPECT_EQ(ReadPicture(PicturePath("bmp_bitfields16.bmp"), dib), kDibCompressed);
    EXPECT_EQ(ReadPicture(PicturePath("bmp_1bit.bmp"), dib), kDibTooFewColors);
}

TEST(TargaFixtures, BothOriginsGiveTheSameUprightPicture) {
    for (const char* name : {"tga_bottom.tga", "tga_top.tga", "tga_id.tga"}) {
        SCOPED_TRACE(name);
        CDib dib;
        ASSERT_EQ(ReadPicture(PicturePath(name), dib), kDibReadOk);
        EXPECT_EQ(dib.BitsPerPixel(), 24);
        ExpectFixtureColours(dib);
    }
}

TEST(TargaFixtures, ThirtyTwoBitTargaKeepsAlpha) {
    CDib dib;
    ASSERT_EQ(ReadPicture(PicturePath("tga_rgba32.tga"), dib), kDibReadOk);
    ExpectFixtureColours(dib);
    ExpectFixtureAlphas(dib);
}

TEST(TargaFixtures, EightBitTargasKeepTheGreyRamp) {
    CDib dib;
    ASSERT_EQ(ReadPicture(PicturePath("tga_grey8.tga"), dib), kDibReadOk);
    ExpectFixtureGreyIndexes(dib);

    // The colour map is skipped, not used: the indexes stay, on a grey ramp.
    ASSERT_EQ(ReadPicture(PicturePath("tga_colormap.tga"), dib), kDibReadOk);
    ASSERT_EQ(dib.BitsPerPixel(), 8);
    for (int y = 0; y < 3; ++y) {
        for (int x = 0; x < 5; ++x) {
            EXPECT_EQ(*PixelAt(dib, x, y), y * 5 + x);
        }
    }
    EXPECT_EQ(dib.Palette()[7].red, 7);
    EXPECT_EQ(dib.Palette()[7].blue, 7);
}

TEST(TargaFixtures, RunLengthTargaIsCompressed) {
    CDib dib;
    EXPECT_EQ(ReadPicture(PicturePath("tga_rle.tga"), dib), kDibCompressed);
}
