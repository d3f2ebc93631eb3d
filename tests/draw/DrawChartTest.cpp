// The chart geometry as a viewer sees it: bars, areas, lines, markers and
// pies in their colours and places, walls, grid lines and opacity.
#include <vector>

#include "DrawTestSupport.h"

namespace {

const float kU = 25 * 0.0033333334f;  // depth unit at barDepth 25
const float kFront = 1.25f * kU;

void SetRow(Show& show, int row, std::initializer_list<float> values) {
    int j = 0;
    for (float v : values)
        show.values[row][j++] = v;
}

}  // namespace

TEST_F(DrawTest, BarsAsideStandSideBySideInTheirSetColours) {
    show->barWidth = 100;  // slot 0.375, no gap, bars 0.1875 wide
    SetRow(*show, 0, {1, 2, 3, 4});
    SetRow(*show, 1, {4, 3, 2, 1});
    show->setColors[0] = kRed;
    show->setColors[1] = kGreen;
    Render();
    for (int j = 0; j < 4; ++j) {
        float x0 = -0.75f + j * 0.375f;
        EXPECT_EQ(At(x0 + 0.09f, -0.45f, kFront), ColorOf(kRed)) << "bar " << j;
        EXPECT_EQ(At(x0 + 0.28f, -0.45f, kFront), ColorOf(kGreen)) << "bar " << j;
    }
    // Set 0's first bar reaches 1/4 of the range, set 1's the top.
    EXPECT_EQ(At(-0.75f + 0.09f, -0.2f, kFront), ColorOf(kBlue));
    EXPECT_EQ(At(-0.75f + 0.28f, 0.45f, kFront), ColorOf(kGreen));
}

TEST_F(DrawTest, StackedBarsPutLaterSetsOnTop) {
    show->barWidth = 100;
    show->placement = 1;
    SetRow(*show, 0, {1, 1});
    SetRow(*show, 1, {1, 2});
    show->setColors[0] = kRed;
    show->setColors[1] = kGreen;
    Render();
    // Two values: slot 0.75, bars from -0.75 and 0 (no gap).
    EXPECT_EQ(At(-0.375f, -0.4f, kFront), ColorOf(kRed));
    EXPECT_EQ(At(-0.375f, -0.1f, kFront), ColorOf(kGreen));  // 1 + 1 of 4: up to y = 0
    EXPECT_EQ(At(-0.375f, 0.1f, kFront), ColorOf(kBlue));
    EXPECT_EQ(At(0.375f, 0.2f, kFront), ColorOf(kGreen));  // 1 + 2 of 4: up to 0.25
}

// Data typed under Data Min (the default range is 100 to 104) stand at the
// floor: no bar, area, line or marker reaches below the chart.
TEST_F(DrawTest, DataBelowTheFloorDrawAtTheFloor) {
    show->barWidth = 100;
    show->seeBottom = 0;
    show->dataMin = 2;
    show->dataMax = 6;
    SetRow(*show, 0, {1, 4});  // 1 is under the floor, 4 half way up
    show->setColors[0] = kRed;
    for (ChartStyle style : {ChartStyle::Bar, ChartStyle::Area, ChartStyle::Line, ChartStyle::Marker}) {
        SCOPED_TRACE(static_cast<int>(style));
        show->style = style;
        Render();
        // A marker is a cube centred on its value: at the floor its lower
        // half hangs below it (100 x 0.0133 / 2 values = 0.667 high).
        const float floor = style == ChartStyle::Marker ? -0.5f - 0.34f : -0.52f;
        int below = 0;
        const Pixel floorLeft = Project(-0.75f, floor, kFront);
        const Pixel floorRight = Project(0.75f, floor, kFront);
        const Pixel deep = Project(0.0f, floor - 0.3f, kFront);
        for (int y = floorLeft.y + 2; y <= deep.y; ++y) {
            for (int x = floorLeft.x; x < floorRight.x; ++x) {
                below += PixelAt(frame, x, y).red > 100 ? 1 : 0;
            }
        }
        EXPECT_EQ(below, 0);
    }
    // The value above the floor still stands where it did.
    show->style = ChartStyle::Bar;
    Render();
    EXPECT_EQ(At(0.375f, -0.1f, kFront), ColorOf(kRed));
    EXPECT_NE(At(-0.375f, -0.1f, kFront), ColorOf(kRed));
}

TEST_F(DrawTest, AreaFillsUnderItsValues) {
    show->style = ChartStyle::Area;
    SetRow(*show, 0, {1, 3});
    show->setColors[0] = kRed;
    Render();
    // S = 1.125 at barWidth 50: from -0.5625 to 0.5625; heights -0.25 and 0.25.
    EXPECT_EQ(At(-0.5f, -0.4f, kFront), ColorOf(kRed));
    EXPECT_EQ(At(0.5f, 0.15f, kFront), ColorOf(kRed));
    EXPECT_EQ(At(-0.5f, 0.15f, kFront), ColorOf(kBlue));
    EXPECT_EQ(At(0.65f, -0.4f, kFront), ColorOf(kBlue));
}

TEST_F(DrawTest, LineIsARibbonAlongItsValues) {
    show->style = ChartStyle::Line;
    SetRow(*show, 0, {1, 3});
    show->setColors[0] = kGreen;
    Render();
    // The ribbon is 0.025 high below the line from (-0.5625, -0.25) to (0.5625, 0.25).
    EXPECT_EQ(At(0.0f, -0.0125f, kFront), ColorOf(kGreen));
    EXPECT_EQ(At(0.0f, -0.1f, kFront), ColorOf(kBlue));
    EXPECT_EQ(At(0.0f, 0.1f, kFront), ColorOf(kBlue));
}

TEST_F(DrawTest, MarkersAreCubesCentredOnTheirValues) {
    show->style = ChartStyle::Marker;
    SetRow(*show, 0, {2, 3});
    show->setColors[0] = kYellow;
    Render();
    // Centres at x -0.5 and 0.5, heights 0 and 0.25; size 50 x 0.0133 / 2.
    EXPECT_EQ(At(-0.5f, 0.0f, kFront), ColorOf(kYellow));
    EXPECT_EQ(At(0.5f, 0.25f, kFront), ColorOf(kYellow));
    EXPECT_EQ(At(0.0f, 0.1f, kFront), ColorOf(kBlue));
    EXPECT_EQ(At(-0.5f, 0.3f, kFront), ColorOf(kBlue));
}

TEST_F(DrawTest, PieSlicesFollowTheValuesClockwise) {
    show->style = ChartStyle::Pie;
    show->barWidth = 0;  // no explode
    SetRow(*show, 0, {1, 1, 2});
    show->setColors[0] = kRed;
    show->setColors[1] = kGreen;
    show->setColors[2] = kBlue;
    Render();
    float z = 0.625f * kU;                           // top face
    EXPECT_EQ(At(0.2f, 0.2f, z), ColorOf(kRed));     // 0-90: upper right
    EXPECT_EQ(At(0.2f, -0.2f, z), ColorOf(kGreen));  // 90-180: lower right
    EXPECT_EQ(At(-0.2f, -0.2f, z), ColorOf(kBlue));  // 180-360: the left half
    EXPECT_EQ(At(-0.2f, 0.2f, z), ColorOf(kBlue));
    EXPECT_EQ(At(0.6f, 0.0f, z), (Rgb{0, 0, 0}));  // outside the radius
    // No walls for a pie.
    EXPECT_EQ(At(-0.7f, 0.45f, 0), (Rgb{0, 0, 0}));
}

TEST_F(DrawTest, PieSlicesMoveOutwardAndRepeatColoursAtHalf) {
    show->style = ChartStyle::Pie;
    show->barWidth = 100;  // 0.25 outward along each bisector
    SetRow(*show, 0, {1, 1, 1, 1, 4});
    for (int i = 0; i < 4; ++i)
        show->setColors[i] = kBlue;
    show->setColors[0] = kRed;
    Render();
    float z = 0.625f * kU;
    // The centre is empty once the slices move apart.
    EXPECT_EQ(At(0.0f, 0.0f, z), (Rgb{0, 0, 0}));
    // The fifth slice (180-360) takes set 0's colour at half intensity.
    EXPECT_EQ(At(-0.45f, 0.0f, z), (Rgb{127, 0, 0}));
}

TEST_F(DrawTest, PieOfValuesAllAtDataMinDrawsNothing) {
    show->style = ChartStyle::Pie;
    show->tickLength = 25;  // slice labels would follow the slices
    show->dataMin = 2;
    SetRow(*show, 0, {2, 2, 2});
    Render();
    for (int y = 0; y < kH; y += 9) {
        for (int x = 0; x < kW; x += 9) {
            ASSERT_EQ(PixelAt(frame, x, y), (Rgb{0, 0, 0})) << x << "," << y;
        }
    }
}

TEST_F(DrawTest, WallsAndGridLinesWithoutData) {
    show->gridColor = kYellow;
    show->gridLines = 25;  // lines at 0.25, 0, -0.25
    Render();
    EXPECT_EQ(At(0.3f, 0.12f, 0), ColorOf(kBlue));
    for (float y : {0.25f, 0.0f, -0.25f}) {
        Pixel p = Project(-0.3f, y, 0.005f);
        Rgb line = PixelAt(frame, p.x, p.y);
        Rgb above = PixelAt(frame, p.x, p.y - 1);
        EXPECT_TRUE(line.red > 200 || above.red > 200) << "grid line at " << y;
    }
    EXPECT_EQ(At(0.3f, 0.37f, 0), ColorOf(kBlue));
    // The floor is drawn in front of the back wall.
    EXPECT_EQ(At(0.0f, -0.5f, 0.06f), ColorOf(kBlue));
}

TEST_F(DrawTest, FewGridLinesDrawNone) {
    show->gridColor = kYellow;
    show->gridLines = 11;
    Render();
    for (int y = 0; y < kH; ++y) {
        ASSERT_LT(PixelAt(frame, 360, y).red, 100) << y;
    }
}

TEST_F(DrawTest, HiddenWallsAreNotDrawn) {
    show->seeBack = 0;
    show->seeBottom = 0;
    show->gridLines = 0;
    Render();
    EXPECT_EQ(At(0.3f, 0.12f, 0), (Rgb{0, 0, 0}));
    show->seeLeft = 1;
    show->seeBack = 1;
    Render();
    EXPECT_EQ(At(0.3f, 0.12f, 0), ColorOf(kBlue));
    EXPECT_EQ(At(-0.75f, 0.0f, 0.06f), ColorOf(kBlue));  // the left wall
}

TEST_F(DrawTest, LightingShadesWhatLightingOffShowsFlat) {
    SetRow(*show, 0, {2});
    show->setColors[0] = kRed;
    Rgb flatBar = (Render(), At(0.0f, -0.4f, kFront));
    EXPECT_EQ(flatBar, ColorOf(kRed));
    show->lighting = 100;
    Rgb litBar = (Render(), At(0.0f, -0.4f, kFront));
    Rgb litWall = At(0.7f, 0.3f, 0);
    EXPECT_NE(litBar, ColorOf(kRed));
    EXPECT_GT(litBar.red, litBar.green + 50);
    EXPECT_NE(litWall, ColorOf(kBlue));
    show->lighting = 49;
    Rgb dimBar = (Render(), At(0.0f, -0.4f, kFront));
    EXPECT_LT(dimBar.red, litBar.red);
}

TEST_F(DrawTest, VisibilityTenHidesDataWithLightingOff) {
    SetRow(*show, 0, {2});
    show->setColors[0] = kRed;
    show->visibility = 10;
    EXPECT_EQ((Render(), At(0.0f, -0.4f, kFront)), ColorOf(kBlue));
    show->visibility = 50;
    Rgb half = (Render(), At(0.0f, -0.4f, kFront));
    EXPECT_NEAR(half.red, 128, 3);
    EXPECT_NEAR(half.blue, 127, 3);
}

TEST_F(DrawTest, WallTextureShowsItsColoursWithoutOutline) {
    // A red picture already in the texture cache under the walls' name.
    CDib picture(8, 8, 24);
    for (int y = 0; y < 8; ++y) {
        for (int x = 0; x < 8; ++x)
            picture.Row(y)[x * 3 + 2] = 255;
    }
    show->wallsTexture = MakeFileSpec("/pictures/red.bmp");
    uint32_t slot = UploadTexture(*show->renderer, picture, false);
    ASSERT_EQ(slot, 0u);
    show->renderer->textures[slot] = show->wallsTexture;
    show->lighting = 100;  // white material: the texture's own colour
    Render();
    Rgb wall = At(0.3f, 0.12f, 0);
    EXPECT_GT(wall.red, 150);
    EXPECT_LT(wall.blue, 30);
    EXPECT_EQ(show->renderer->textureOn, 0);  // switched off after the walls
}

TEST_F(DrawTest, BackgroundPictureOnlyWithSeeVideoAndNotFast) {
    show->backgroundImage.Create(64, 64, 24);
    for (int y = 0; y < 64; ++y) {
        for (int x = 0; x < 64; ++x)
            show->backgroundImage.Row(y)[x * 3 + 1] = 200;
    }
    show->seeVideo = 1;
    Render();
    EXPECT_TRUE(Near(PixelAt(frame, 5, 5), (Rgb{0, 200, 0}), 2));
    EXPECT_EQ(At(0.3f, 0.12f, 0), ColorOf(kBlue));  // the chart stands in front
    Render(0, true);
    EXPECT_EQ(PixelAt(frame, 5, 5), (Rgb{0, 0, 0}));
    show->seeVideo = 0;
    Render();
    EXPECT_EQ(PixelAt(frame, 5, 5), (Rgb{0, 0, 0}));
}

TEST_F(DrawTest, WideAspectNarrowsTheChart) {
    auto wallWidth = [&] {
        int lit = 0;
        for (int x = 0; x < kW; ++x)
            lit += PixelAt(frame, x, kH / 2).blue > 200;
        return lit;
    };
    show->gridLines = 0;
    Render();
    int standard = wallWidth();
    SetFrameAspect(*show, 0.5625f);
    Render();
    int wide = wallWidth();
    EXPECT_NEAR(standard, 1.5 * kW * 0.75 / (4 * 0.267932) / 2, 3);
    EXPECT_NEAR(static_cast<double>(wide) / standard, 0.5625 / 0.75, 0.01);
}

TEST_F(DrawTest, AntiAliasingChangesEdgePixelsOnly) {
    SetRow(*show, 0, {1, 3, 2});
    show->setColors[0] = kRed;
    show->gridLines = 0;
    CDib plain(16, 16, 8);
    Render(0);
    plain.Swap(frame);
    Render(75);
    int changed = 0;
    for (int y = 1; y < kH - 1; ++y) {
        for (int x = 1; x < kW - 1; ++x) {
            if (PixelAt(frame, x, y) == PixelAt(plain, x, y))
                continue;
            ++changed;
            // A changed pixel lies on an edge of the one-pass picture.
            bool edge = false;
            for (int dy = -1; dy <= 1; ++dy) {
                for (int dx = -1; dx <= 1; ++dx) {
                    edge = edge || !(PixelAt(plain, x + dx, y + dy) == PixelAt(plain, x, y));
                }
            }
            ASSERT_TRUE(edge) << "pixel " << x << "," << y << " changed inside a flat area";
        }
    }
    EXPECT_GT(changed, 100);
}

TEST_F(DrawTest, DataLayoutCountsRowsNotSets) {
    SetRow(*show, 0, {1, 0, 0, 5});
    SetRow(*show, 2, {1});
    DataLayout layout = ComputeDataLayout(*show);
    EXPECT_EQ(layout.count, 4);
    EXPECT_EQ(layout.setsWithData, 2);
    EXPECT_EQ(layout.first, 0);
    EXPECT_EQ(layout.end, 2);  // row 2 is outside the range: only set 0 is drawn
    show->showSet = 3;
    layout = ComputeDataLayout(*show);
    EXPECT_EQ(layout.first, 2);
    EXPECT_EQ(layout.end, 3);
}

TEST_F(DrawTest, NoDataGeometryWithoutARange) {
    SetRow(*show, 0, {2});
    show->setColors[0] = kRed;
    show->dataMax = show->dataMin;
    Render();
    EXPECT_EQ(At(0.0f, -0.4f, kFront), ColorOf(kBlue));
}

TEST_F(DrawTest, TwelveGridLinesDrawOneLineAtTheMiddle) {
    show->gridColor = kYellow;
    show->gridLines = 12;
    Render();
    auto yellowNear = [&](float y) {
        Pixel p = Project(0.3f, y, 0.005f);
        return PixelAt(frame, p.x, p.y).red > 200 || PixelAt(frame, p.x, p.y - 1).red > 200;
    };
    EXPECT_TRUE(yellowNear(0.0f));
    EXPECT_FALSE(yellowNear(0.25f));
    EXPECT_FALSE(yellowNear(-0.25f));
}

TEST_F(DrawTest, ASingleValueMakesABarOrAMarkerButNoAreaOrLine) {
    SetRow(*show, 0, {2});
    show->setColors[0] = kRed;
    // Bar: slot 0.75 with gaps of 0.375, from -0.375 to 0.375, up to y = 0.
    Render();
    EXPECT_EQ(At(0.0f, -0.1f, kFront), ColorOf(kRed));
    EXPECT_EQ(At(-0.5f, -0.1f, kFront), ColorOf(kBlue));
    // Marker: a cube of 0.667 centred at (-0.5, 0) (the grid line runs at 0).
    show->style = ChartStyle::Marker;
    Render();
    EXPECT_EQ(At(-0.5f, 0.1f, kFront), ColorOf(kRed));
    EXPECT_EQ(At(0.2f, 0.1f, kFront), ColorOf(kBlue));
    for (ChartStyle style : {ChartStyle::Area, ChartStyle::Line}) {
        show->style = style;
        Render();
        for (float x : {-0.5f, 0.0f, 0.5f}) {
            for (float y : {-0.4f, -0.1f, 0.1f}) {
                EXPECT_EQ(At(x, y, kFront), ColorOf(kBlue)) << static_cast<int>(style) << " at " << x << "," << y;
            }
        }
    }
}

TEST_F(DrawTest, OneChosenSetTakesTheWholeSlot) {
    show->barWidth = 100;  // two values: slots of 0.75, no gap
    SetRow(*show, 0, {4, 4});
    SetRow(*show, 1, {2, 2});
    show->setColors[0] = kRed;
    show->setColors[1] = kGreen;
    show->showSet = 2;
    Render();
    for (float x : {-0.7f, -0.05f, 0.05f, 0.7f}) {
        EXPECT_EQ(At(x, -0.4f, kFront), ColorOf(kGreen)) << x;
        EXPECT_EQ(At(x, 0.2f, kFront), ColorOf(kBlue)) << x;  // set 0 is not drawn
    }
}

TEST_F(DrawTest, FullDiffuseLightStartsAtFifty) {
    SetRow(*show, 0, {2});
    show->setColors[0] = kRed;
    show->lighting = 100;
    Render();  // the light follows the previous frame's placement: settle it
    Rgb full = (Render(), At(0.0f, -0.4f, kFront));
    show->lighting = 50;
    EXPECT_EQ((Render(), At(0.0f, -0.4f, kFront)), full);
    show->lighting = 49;
    Rgb half = (Render(), At(0.0f, -0.4f, kFront));
    EXPECT_LT(half.red, full.red - 20);
    show->lighting = 1;
    EXPECT_EQ((Render(), At(0.0f, -0.4f, kFront)), half);
}

// Values that nearly cancel above and below dataMin used to turn the slices
// millions of degrees. Only values above dataMin take a share of the pie, so
// the slices stay within one turn: here one whole disc in the first colour.
TEST_F(DrawTest, PieOfNearlyCancellingValuesStaysWithinOneTurn) {
    show->style = ChartStyle::Pie;
    show->barWidth = 0;
    show->tickLength = 25;  // the slice labels follow the same angles
    show->setColors[0] = kRed;
    show->setColors[1] = kGreen;
    struct Case {
        float dataMin, first, second;
    };
    for (Case c : {Case{100, 200, 0.001f}, Case{0, 1e6f, -999990}}) {
        show->dataMin = c.dataMin;
        show->dataMax = c.dataMin + 4;
        SetRow(*show, 0, {c.first, c.second});
        Render();
        float z = 0.625f * kU;
        for (int degrees = 0; degrees < 360; degrees += 30) {
            float angle = degrees * 3.14159265f / 180;
            EXPECT_EQ(At(0.3f * std::sin(angle), 0.3f * std::cos(angle), z), ColorOf(kRed))
                << c.dataMin << " at " << degrees;
        }
    }
    // A value below dataMin takes no share: 1 and 3 above it split the pie.
    show->dataMin = 0;
    show->setColors[2] = kYellow;
    SetRow(*show, 0, {1, -5, 3});
    Render();
    float z = 0.625f * kU;
    EXPECT_EQ(At(0.2f, 0.2f, z), ColorOf(kRed));      // 0-90
    EXPECT_EQ(At(0.2f, -0.2f, z), ColorOf(kYellow));  // 90-360
    EXPECT_EQ(At(-0.2f, 0.2f, z), ColorOf(kYellow));
}

// A 32-bit background covers the frame: where it is transparent the frame is
// black, never what the previous frame left there.
TEST_F(DrawTest, TransparentBackgroundPixelsShowBlack) {
    show->seeBack = show->seeLeft = show->seeBottom = 0;
    show->gridLines = 0;
    show->seeVideo = 1;
    show->backgroundImage.Create(64, 64, 24);
    for (int y = 0; y < 64; ++y) {
        for (int x = 0; x < 64; ++x)
            show->backgroundImage.Row(y)[x * 3 + 1] = 200;
    }
    Render();
    ASSERT_TRUE(Near(PixelAt(frame, 20, kH / 2), (Rgb{0, 200, 0}), 2));
    // Left half transparent white, right half opaque red.
    show->backgroundImage.Create(64, 64, 32);
    for (int y = 0; y < 64; ++y) {
        for (int x = 0; x < 64; ++x) {
            uint8_t* p = show->backgroundImage.Row(y) + x * 4;
            bool left = x < 32;
            p[0] = left ? 255 : 0;
            p[1] = left ? 255 : 0;
            p[2] = 255;
            p[3] = left ? 0 : 255;
        }
    }
    Render();
    EXPECT_TRUE(Near(PixelAt(frame, 20, kH / 2), (Rgb{0, 0, 0}), 2)) << PixelAt(frame, 20, kH / 2);
    EXPECT_TRUE(Near(PixelAt(frame, kW - 20, kH / 2), (Rgb{255, 0, 0}), 2)) << PixelAt(frame, kW - 20, kH / 2);
    // A frame that keeps its alpha is opaque all over its background.
    CDib withAlpha(kW, kH, 32);
    ASSERT_TRUE(RenderShowFrame(*show, 0, kW, kH, 50, withAlpha));
    ASSERT_EQ(withAlpha.BitsPerPixel(), 32);
    for (int x : {20, kW - 20}) {
        const uint8_t* p = withAlpha.Row(kH / 2) + x * 4;
        EXPECT_EQ(p[3], 255) << x;
        EXPECT_EQ(p[2], x < kW / 2 ? 0 : 255) << x;
    }
}

// A negative data set means all sets, laid out exactly as data set 0.
TEST_F(DrawTest, NegativeDataSetDrawsAllSetsAsSetZero) {
    SetRow(*show, 0, {1, 2, 3, 4});
    SetRow(*show, 1, {4, 3, 2, 1});
    SetRow(*show, 2, {2, 2, 2, 2});
    show->setColors[0] = kRed;
    show->setColors[1] = kGreen;
    show->setColors[2] = kYellow;
    auto sample = [this]() {
        std::vector<Rgb> pixels;
        for (int y = 0; y < kH; y += 3) {
            for (int x = 0; x < kW; x += 3)
                pixels.push_back(PixelAt(frame, x, y));
        }
        return pixels;
    };
    for (ChartStyle style : {ChartStyle::Bar, ChartStyle::Area, ChartStyle::Line, ChartStyle::Marker}) {
        show->style = style;
        for (int32_t placement : {0, 1}) {
            show->placement = placement;
            show->showSet = 0;
            Render();
            std::vector<Rgb> expected = sample();
            for (int set : {-1, -7}) {
                show->showSet = set;
                Render();
                EXPECT_TRUE(sample() == expected)
                    << "style " << static_cast<int>(style) << ", placement " << placement << ", set " << set;
            }
        }
    }
}
