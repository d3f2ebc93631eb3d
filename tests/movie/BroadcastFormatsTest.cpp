// The broadcast rasters: which size and rate pairs are interlaced formats,
// which pictures are 16:9 by their square pixels, and the pixel shape of
// pictures outside Apple's table.
#include <gtest/gtest.h>

#include "BroadcastFormats.h"
#include "MakeMovie.h"

namespace {

TEST(BroadcastFormats, OnlyTheInterlacedFormatsHaveFieldsByDefault) {
    struct Case {
        int width;
        int height;
        double fps;
        bool interlaced;
    };
    for (Case c : {Case{720, 486, 29.97, true}, Case{720, 480, 29.97, true}, Case{720, 576, 25, true},
                   Case{1920, 1080, 29.97, true}, Case{1920, 1080, 25, true}, Case{720, 486, 23.976, false},
                   Case{720, 486, 25, false}, Case{720, 576, 29.97, false}, Case{1280, 720, 29.97, false},
                   Case{1280, 720, 59.94, false}, Case{1920, 1080, 59.94, false}, Case{1920, 1080, 50, false},
                   Case{1920, 1080, 23.976, false}, Case{1920, 1080, 24, false}, Case{1920, 1080, 30, false},
                   Case{640, 480, 29.97, false}, Case{720, 486, 30, false}}) {
        EXPECT_EQ(IsInterlacedFormat(c.width, c.height, c.fps), c.interlaced)
            << c.width << "x" << c.height << " " << c.fps;
        MovieOptions o;
        o.width = c.width;
        o.height = c.height;
        o.framesPerSecond = c.fps;
        o.fieldMode = kFieldModeFields;
        EXPECT_EQ(DefaultFieldMode(o), c.interlaced ? kFieldModeFields : 0) << c.width << " " << c.fps;
        o.fieldMode = 0;  // the setting off: no fields anywhere
        EXPECT_EQ(DefaultFieldMode(o), 0);
    }
    // 29.97 is 30000/1001 only: 29.9 and 29.98 are other rates.
    EXPECT_FALSE(IsInterlacedFormat(720, 486, 29.9));
    EXPECT_TRUE(IsInterlacedFormat(720, 576, 25.0004));  // 25 to the thousandth, as DPS judges
}

TEST(BroadcastFormats, SquarePixelsOfSixteenByNineMakeHd) {
    EXPECT_TRUE(IsSquarePixelWide(1920, 1080));
    EXPECT_TRUE(IsSquarePixelWide(1280, 720));
    EXPECT_TRUE(IsSquarePixelWide(1024, 576));
    EXPECT_FALSE(IsSquarePixelWide(720, 576));
    EXPECT_FALSE(IsSquarePixelWide(720, 486));
    EXPECT_FALSE(IsSquarePixelWide(0, 0));
    EXPECT_DOUBLE_EQ(MovieFrameAspect(1920, 1080, kAspect43), kAspect169);
    EXPECT_DOUBLE_EQ(MovieFrameAspect(720, 486, kAspect43), kAspect43);
    EXPECT_DOUBLE_EQ(MovieFrameAspect(720, 486, kAspect169), kAspect169);
}

TEST(BroadcastFormats, PicturesOutsideTheTableFillTheirFrame) {
    // 360 x 243 shown 4:3: pixels 9:10 wide, Table E-1 has no such code.
    PixelShape half = PixelShapeFor(360, 243, kAspect43);
    EXPECT_EQ(half.quickTime, (Ratio{9, 10}));
    EXPECT_EQ(half.coded, (Ratio{9, 10}));
    EXPECT_EQ(half.h264Code, 255);
    EXPECT_EQ(half.cleanWidth, 360);
    EXPECT_EQ(half.cleanHeight, 243);
    EXPECT_FALSE(half.standard);
    // The standard rasters: Apple's pixel aspect, the H.264 table's own, the
    // whole frame 4:3 for AVI.
    PixelShape pal = PixelShapeFor(720, 576, kAspect43);
    EXPECT_TRUE(pal.standard);
    EXPECT_EQ(pal.quickTime, (Ratio{59, 54}));
    EXPECT_EQ(pal.coded, (Ratio{12, 11}));
    EXPECT_EQ(pal.h264Code, 2);
    EXPECT_EQ(pal.wholeFrame, (Ratio{16, 15}));  // 720 x 16/15 = 768 = 576 x 4/3
    // No shape: square pixels.
    PixelShape square = PixelShapeFor(720, 486, 0.0);
    EXPECT_EQ(square.quickTime, (Ratio{1, 1}));
    EXPECT_EQ(square.cleanWidth, 720);
}

}  // namespace
