// TIFF and Photoshop fixtures written by PIL and ImageMagick.
#include <gtest/gtest.h>

#include "PictureReaders.h"
#include "PictureTestSupport.h"

TEST(TiffFixtures, BothByteOrdersOneStripOrSeveral) {
    for (const char* name : {"tiff_rgb_le.tif", "tiff_rgb_be.tif", "tiff_strips_le.tif", "tiff_strips_be.tif"}) {
        SCOPED_TRACE(name);
        CDib dib;
        ASSERT_EQ(ReadPicture(PicturePath(name), dib), kDibReadOk);
        EXPECT_EQ(dib.BitsPerPixel(), 24);
        ExpectFixtureColours(dib);
    }
}

TEST(TiffFixtures, RgbaTiffKeepsAlphaInTheFourthByte) {
    CDib dib;
    ASSERT_EQ(ReadPicture(PicturePath("tiff_rgba32.tif"), dib), kDibReadOk);
    ASSERT_EQ(dib.BitsPerPixel(), 32);
    ExpectFixtureColours(dib);
    EXPECT_EQ(PixelAt(dib, 0, 0)[3], kFixtureAlphas[0][0]);
    EXPECT_EQ(PixelAt(dib, 4, 2)[3], kFixtureAlphas[2][4]);
}

TEST(TiffFixtures, GreyTiffKeepsItsValues) {
    CDib dib;
    ASSERT_EQ(ReadPicture(PicturePath("tiff_grey8.tif"), dib), kDibReadOk);
    ASSERT_EQ(dib.BitsPerPixel(), 8);
    for (int y = 0; y < 3; ++y) {
        for (int x = 0; x < 5; ++x) {
            EXPECT_EQ(*PixelAt(dib, x, y), kFixtureGreys[y][x]);
        }
    }
}

TEST(TiffFixtures, DirectoryPastTheFirstBlock) {
    CDib dib;
    ASSERT_EQ(ReadPicture(PicturePath("tiff_far_directory.tif"), dib), kDibReadOk);
    ASSERT_EQ(dib.Width(), 40);
    ASSERT_EQ(dib.Height(), 40);
    const uint8_t* topLeft = PixelAt(dib, 5, 5);
    const uint8_t* bottomLeft = PixelAt(dib, 5, 35);
    const uint8_t* topRight = PixelAt(dib, 35, 5);
    EXPECT_EQ(topLeft[2], 255);  // red
    EXPECT_EQ(topLeft[0], 0);
    EXPECT_EQ(topRight[1], 255);    // green
    EXPECT_EQ(bottomLeft[0], 255);  // blue
    EXPECT_EQ(bottomLeft[2], 0);
}

TEST(TiffFixtures, CompressedTiffGivesCodeOne) {
    CDib dib;
    EXPECT_EQ(ReadPicture(PicturePath("tiff_lzw.tif"), dib), kDibCompressed);
}

TEST(PhotoshopFixtures, RgbRawAndRunLength) {
    for (const char* name : {"psd_rgb_raw.psd", "psd_rgb_rle.psd"}) {
        SCOPED_TRACE(name);
        CDib dib;
        ASSERT_EQ(ReadPicture(PicturePath(name), dib), kDibReadOk);
        EXPECT_EQ(dib.BitsPerPixel(), 24);
        ExpectFixtureColours(dib);
    }
}

TEST(PhotoshopFixtures, RgbaRawAndRunLengthKeepAlpha) {
    for (const char* name : {"psd_rgba_raw.psd", "psd_rgba_rle.psd"}) {
        SCOPED_TRACE(name);
        CDib dib;
        ASSERT_EQ(ReadPicture(PicturePath(name), dib), kDibReadOk);
        ASSERT_EQ(dib.BitsPerPixel(), 32);
        ExpectFixtureColours(dib);
        for (int y = 0; y < 3; ++y) {
            for (int x = 0; x < 5; ++x) {
                EXPECT_EQ(PixelAt(dib, x, y)[3], kFixtureAlphas[y][x]);
            }
        }
    }
}

TEST(PhotoshopFixtures, GreyscaleBecomesGreyTrueColour) {
    for (const char* name : {"psd_grey_raw.psd", "psd_grey_rle.psd"}) {
        SCOPED_TRACE(name);
        CDib dib;
        ASSERT_EQ(ReadPicture(PicturePath(name), dib), kDibReadOk);
        ASSERT_EQ(dib.BitsPerPixel(), 24);
        for (int y = 0; y < 3; ++y) {
            for (int x = 0; x < 5; ++x) {
                const uint8_t* pixel = PixelAt(dib, x, y);
                EXPECT_EQ(pixel[0], kFixtureGreys[y][x]);
                EXPECT_EQ(pixel[1], kFixtureGreys[y][x]);
                EXPECT_EQ(pixel[2], kFixtureGreys[y][x]);
            }
        }
    }
}

TEST(PhotoshopFixtures, TwoChannelFileShowsItsSecondChannelAsGrey) {
    CDib dib;
    ASSERT_EQ(ReadPicture(PicturePath("psd_grey_alpha.psd"), dib), kDibReadOk);
    ASSERT_EQ(dib.BitsPerPixel(), 24);
    for (int y = 0; y < 3; ++y) {
        for (int x = 0; x < 5; ++x) {
            EXPECT_EQ(PixelAt(dib, x, y)[1], kFixtureAlphas[y][x]) << x << "," << y;
        }
    }
}

TEST(PhotoshopFixtures, IndexedFileLooksUpItsPalette) {
    CDib dib;
    ASSERT_EQ(ReadPicture(PicturePath("psd_indexed.psd"), dib), kDibReadOk);
    EXPECT_EQ(dib.BitsPerPixel(), 24);
    ExpectFixtureColours(dib);
}
