// Windows bitmap and Targa fixtures written by PIL and ImageMagick.
#include <gtest/gtest.h>

#include <cstring>

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
    EXPECT_EQ(ReadPicture(PicturePath("bmp_1bit.bmp"), dib), kDibTooFewColors);
    // Masks that share bits say nothing sure about the colours.
    EXPECT_EQ(ReadPicture(PicturePath("bmp_badmasks32.bmp"), dib), kDibUnreadable);
}

// ImageMagick's 32-bit bitmap with alpha: a V5 header and bit fields in the
// usual order are kept as they are, alpha included.
TEST(BitmapFixtures, BitFieldsWithAV5HeaderKeepTheirAlpha) {
    CDib dib;
    ASSERT_EQ(ReadPicture(PicturePath("bmp_v5_argb32.bmp"), dib), kDibReadOk);
    ExpectFixtureColours(dib);
    ExpectFixtureAlphas(dib);
}

// Masks in another order (red in the low byte, as in a V4 header from other
// writers) are honoured; a 32-bit pixel without an alpha mask is opaque, its
// unused byte ignored.
TEST(BitmapFixtures, ThirtyTwoBitMasksAreHonoured) {
    CDib dib;
    ASSERT_EQ(ReadPicture(PicturePath("bmp_v4_abgr32.bmp"), dib), kDibReadOk);
    ExpectFixtureColours(dib);
    ExpectFixtureAlphas(dib);
    ASSERT_EQ(ReadPicture(PicturePath("bmp_xrgb32.bmp"), dib), kDibReadOk);
    EXPECT_EQ(dib.BitsPerPixel(), 24);
    ExpectFixtureColours(dib);
}

// 16-bit bit fields: 5-6-5 becomes 24 bits; with an alpha mask (4-4-4-4,
// 1-5-5-5, or four masks after a 40-byte header) 32 bits; the plain 5-5-5
// layout stays 16 bits as the uncompressed file is (ImageMagick's BMP3 file
// says bit fields but stores no masks: the plain ones). Colours are within
// one step of their channel's depth: writers round or cut.
TEST(BitmapFixtures, SixteenBitMasksAreHonouredAndAlphaKept) {
    CDib dib;
    ASSERT_EQ(ReadPicture(PicturePath("bmp_v5_rgb565.bmp"), dib), kDibReadOk);
    EXPECT_EQ(dib.BitsPerPixel(), 24);
    ExpectFixtureColours(dib, 8);
    for (const char* name : {"bmp_v5_argb4444.bmp", "bmp_alphabitfields16.bmp"}) {
        SCOPED_TRACE(name);
        ASSERT_EQ(ReadPicture(PicturePath(name), dib), kDibReadOk);
        ASSERT_EQ(dib.BitsPerPixel(), 32);
        ExpectFixtureColours(dib, 17);
        for (int y = 0; y < 3; ++y) {
            for (int x = 0; x < 5; ++x) {
                EXPECT_NEAR(PixelAt(dib, x, y)[3], kFixtureAlphas[y][x], 17) << x << "," << y;
            }
        }
    }
    ASSERT_EQ(ReadPicture(PicturePath("bmp_v5_argb1555.bmp"), dib), kDibReadOk);
    ASSERT_EQ(dib.BitsPerPixel(), 32);
    ExpectFixtureColours(dib, 8);
    EXPECT_EQ(PixelAt(dib, 0, 0)[3], 255);  // alpha 255: the bit is set
    for (int y = 0; y < 3; ++y) {
        for (int x = 0; x < 5; ++x) {
            const int alpha = PixelAt(dib, x, y)[3];
            EXPECT_TRUE(alpha == 0 || alpha == 255) << x << "," << y;
        }
    }
    CDib plain;
    ASSERT_EQ(ReadPicture(PicturePath("bmp_bitfields16.bmp"), dib), kDibReadOk);
    ASSERT_EQ(ReadPicture(PicturePath("bmp_rgb555.bmp"), plain), kDibReadOk);
    ASSERT_EQ(dib.BitsPerPixel(), 16);
    EXPECT_EQ(0, std::memcmp(dib.Pixels(), plain.Pixels(), plain.PixelBytes()));
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
