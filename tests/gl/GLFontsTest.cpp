// Outline fonts: face matching, measuring, drawing and the four-slot cache.
#include <GL/gl.h>
#include <gtest/gtest.h>

#include <cstring>

#include "GLTestSupport.h"
#include "HeadlessPlatform.h"

namespace {

ChartFont Font(const char* face, int32_t style, float size) {
    ChartFont font;
    std::strncpy(font.face, face, sizeof(font.face) - 1);
    font.style = style;
    font.size = size;
    font.color = 0x00FFFF;
    return font;
}

int LitPixels(const CDib& frame) {
    int lit = 0;
    for (int y = 0; y < frame.Height(); ++y) {
        for (int x = 0; x < frame.Width(); ++x) {
            lit += PixelAt(frame, x, y).red > 100;
        }
    }
    return lit;
}

}  // namespace

TEST(GLFonts, ArialResolvesToAnInstalledFaceWithItsStyles) {
    std::string regular = MatchFontFile("Arial", 0, nullptr);
    std::string bold = MatchFontFile("Arial", 1, nullptr);
    std::string italic = MatchFontFile("Arial", 2, nullptr);
    ASSERT_FALSE(regular.empty());
    EXPECT_NE(regular.find("Liberation"), std::string::npos) << regular;
    EXPECT_NE(bold, regular);
    EXPECT_NE(italic, regular);
    EXPECT_NE(bold.find("Bold"), std::string::npos) << bold;
    EXPECT_NE(italic.find("Italic"), std::string::npos) << italic;
}

TEST(GLFonts, WidthIsMeasuredAtTwelvePixelsAndScaled) {
    GLRendererPtr r = MakeTestRenderer(16, 16);
    ASSERT_EQ(r->ready, 1);
    ChartFont font = Font("Arial", 0, 12.0f);
    EXPECT_EQ(TextWidth3D(*r, "", font), 0.0f);
    float wide = TextWidth3D(*r, "WWW", font);
    float narrow = TextWidth3D(*r, "iii", font);
    EXPECT_GT(wide, 2 * narrow);
    // At 12 points a 12-pixel advance is 12 x 0.005 chart units: "W" of
    // Liberation Sans is 11 pixels wide at 12 pixels.
    EXPECT_NEAR(TextWidth3D(*r, "W", font), 11 * 0.005f, 0.0051f);
    ChartFont big = Font("Arial", 0, 24.0f);
    EXPECT_FLOAT_EQ(TextWidth3D(*r, "WWW", big), 2 * wide);
    ChartFont bold = Font("Arial", 1, 12.0f);
    EXPECT_GT(TextWidth3D(*r, "Mean values", bold), TextWidth3D(*r, "Mean values", font));
}

TEST(GLFonts, DrawnTextAppearsWhereAligned) {
    GLRendererPtr r = MakeTestRenderer(200, 150);
    ASSERT_EQ(r->ready, 1);
    SetChartTransform(*r, 0, 0, 1, 1, 0, 0);
    ChartFont font = Font("Arial", 0, 80.0f);
    ChartVertex anchor = MakeVertex(0x0000FF, 0.0f, 0.0f, 0.0f, 1.0f);
    auto render = [&](int alignment) {
        ClearBuffers(*r, true);
        DrawText3D(*r, "Hello", anchor, font, alignment, 0.0f);
        CDib frame(16, 16, 8);
        GrabFrame(*r, frame);
        int left = 0, right = 0;
        for (int y = 0; y < 150; ++y) {
            for (int x = 0; x < 200; ++x) {
                if (PixelAt(frame, x, y).red > 100)
                    (x < 100 ? left : right)++;
            }
        }
        return std::make_pair(left, right);
    };
    auto start = render(kAlignStart);
    auto end = render(kAlignEnd);
    auto centre = render(kAlignCenter);
    EXPECT_GT(start.second, 100);
    EXPECT_LT(start.first, 5);
    EXPECT_GT(end.first, 100);
    EXPECT_LT(end.second, 5);
    EXPECT_GT(centre.first, 50);
    EXPECT_GT(centre.second, 50);
}

TEST(GLFonts, GlyphsHaveHolesAndAdvance) {
    GLRendererPtr r = MakeTestRenderer(200, 150);
    ASSERT_EQ(r->ready, 1);
    SetChartTransform(*r, 0, 0, 1, 1, 0, 0);
    ChartVertex anchor = MakeVertex(0x0000FF, -0.5f, -0.2f, 0.0f, 1.0f);
    ChartFont font = Font("Arial", 0, 100.0f);
    CDib frame(16, 16, 8);
    ClearBuffers(*r, true);
    DrawText3D(*r, "o", anchor, font, kAlignStart, 0.0f);
    GrabFrame(*r, frame);
    int one = LitPixels(frame);
    EXPECT_GT(one, 100);
    ClearBuffers(*r, true);
    DrawText3D(*r, "oo", anchor, font, kAlignStart, 0.0f);
    GrabFrame(*r, frame);
    EXPECT_NEAR(LitPixels(frame), 2 * one, one / 5);  // the second glyph stands beside the first
    // The counter of the "o" stays empty: find a dark pixel enclosed left and
    // right by lit ones on the glyph's middle row.
    ClearBuffers(*r, true);
    DrawText3D(*r, "o", anchor, font, kAlignStart, 0.0f);
    GrabFrame(*r, frame);
    int litRuns = 0;
    int rowY = -1;
    for (int y = 0; y < 150 && rowY < 0; ++y) {
        int runs = 0;
        bool inside = false;
        for (int x = 0; x < 200; ++x) {
            bool lit = PixelAt(frame, x, y).red > 100;
            if (lit && !inside)
                ++runs;
            inside = lit;
        }
        if (runs == 2)
            rowY = y, litRuns = runs;
    }
    EXPECT_EQ(litRuns, 2);
}

TEST(GLFonts, AFifthFontRebuildsSlotZeroThenOne) {
    GLRendererPtr r = MakeTestRenderer(64, 64);
    ASSERT_EQ(r->ready, 1);
    const ChartFont fonts[6] = {Font("Arial", 0, 12),           Font("Arial", 1, 12),
                                Font("Arial", 2, 12),           Font("Liberation Serif", 0, 12),
                                Font("Liberation Mono", 0, 12), Font("Arial", 3, 12)};
    for (int i = 0; i < 4; ++i) {
        EXPECT_EQ(LookupFont(*r, fonts[i]), i);
    }
    EXPECT_EQ(LookupFont(*r, fonts[1]), 1);  // cached
    EXPECT_EQ(LookupFont(*r, fonts[4]), 0);
    EXPECT_STREQ(r->fonts[0].face, "Liberation Mono");
    EXPECT_EQ(LookupFont(*r, fonts[5]), 1);
    EXPECT_EQ(int32_t{r->fonts[1].flags}, 3);
    EXPECT_EQ(LookupFont(*r, fonts[0]), 2);
    EXPECT_EQ(r->nextFont, 3);
    // Every text is still drawn in its own font after the rebuilds.
    ChartVertex anchor = MakeVertex(0x0000FF, -0.7f, -0.2f, 0.0f, 1.0f);
    SetChartTransform(*r, 0, 0, 1, 1, 0, 0);
    ClearBuffers(*r, true);
    ChartFont large = fonts[3];
    large.size = 100.0f;  // the size is not part of a font's identity
    DrawText3D(*r, "Ag", anchor, large, kAlignStart, 0.0f);
    CDib frame(16, 16, 8);
    GrabFrame(*r, frame);
    EXPECT_GT(LitPixels(frame), 0);
    EXPECT_STREQ(r->fonts[3].face, "Liberation Serif");
}

TEST(GLFonts, NotReadyRendererDrawsAndMeasuresNothing) {
    GLRenderer idle;
    ChartFont font = Font("Arial", 0, 12);
    EXPECT_EQ(TextWidth3D(idle, "abc", font), 0.0f);
    EXPECT_EQ(LookupFont(idle, font), -1);
    DrawText3D(idle, "abc", MakeVertex(0, 0, 0, 0, 1), font, 0, 0);
    CDib frame(16, 16, 8);
    EXPECT_FALSE(GrabFrame(idle, frame));
}

TEST(GLPrimitives, VerticesAndNormals) {
    ChartVertex v = MakeVertex(0x00FF8000, 1, 2, 3, 0.5f);
    EXPECT_FLOAT_EQ(v.red, 0.0f);
    EXPECT_NEAR(v.green, 128 / 255.0, 1e-6);
    EXPECT_NEAR(v.blue, 1.0, 1e-6);
    EXPECT_EQ(v.alpha, 0.5f);
    ChartVertex p0 = MakeVertex(0, 0, 1, 0, 1), p1 = MakeVertex(0, 0, 0, 0, 1), p2 = MakeVertex(0, 1, 0, 0, 1);
    float n[3];
    FaceNormal(p0, p1, p2, n);
    EXPECT_FLOAT_EQ(n[0], 0);
    EXPECT_FLOAT_EQ(n[1], 0);
    EXPECT_FLOAT_EQ(n[2], -1);
    FaceNormal(p1, p1, p2, n);  // degenerate: zero stays zero
    EXPECT_FLOAT_EQ(n[0] * n[0] + n[1] * n[1] + n[2] * n[2], 0);
}

// Text is Windows-1252: the bytes 0x80-0x9F are the euro sign, quotes,
// dashes, the trade mark and their neighbours, measured and drawn as such.
TEST(GLFonts, Windows1252PunctuationIsDrawn) {
    GLRendererPtr r = MakeTestRenderer(200, 150);
    ASSERT_EQ(r->ready, 1);
    SetChartTransform(*r, 0, 0, 1, 1, 0, 0);
    ChartFont font = Font("Arial", 0, 80.0f);
    ChartVertex anchor = MakeVertex(0x0000FF, 0.0f, 0.0f, 0.0f, 1.0f);
    for (const char* text : {"\x80", "\x92", "\x96", "\x99", "\x93\x94", "\x85"}) {
        EXPECT_GT(TextWidth3D(*r, text, font), 0.0f) << static_cast<int>(static_cast<uint8_t>(text[0]));
        ClearBuffers(*r, true);
        DrawText3D(*r, text, anchor, font, kAlignCenter, 0.0f);
        CDib frame(16, 16, 8);
        GrabFrame(*r, frame);
        EXPECT_GT(LitPixels(frame), 10) << static_cast<int>(static_cast<uint8_t>(text[0]));
    }
    // The euro sign is as wide as the face's own euro glyph, not a blank.
    EXPECT_NEAR(TextWidth3D(*r, "\x80", font), TextWidth3D(*r, "0", font), 0.05f);
}

// A family chosen with its foundry ("Nimbus Sans Narrow [urw]", as font
// choosers list families that several foundries make) is that family: the
// name to store has no foundry and the chart measures and draws that face,
// not a wide fallback.
TEST(GLFonts, AFamilyWithItsFoundryIsThatFamily) {
    EXPECT_EQ(FontFamilyFor("Nimbus Sans Narrow [urw]"), "Nimbus Sans Narrow");
    EXPECT_EQ(FontFamilyFor("Nimbus Sans Narrow"), "Nimbus Sans Narrow");
    EXPECT_EQ(FontFamilyFor("DejaVu Sans Condensed"), "DejaVu Sans Condensed");
    const FontFaceMatch narrow = MatchFontFace("Nimbus Sans Narrow [urw]", 0);
    EXPECT_TRUE(narrow.present);
    EXPECT_NE(narrow.file.find("NimbusSansNarrow"), std::string::npos) << narrow.file;
    GLRendererPtr r = MakeTestRenderer(16, 16);
    ASSERT_EQ(r->ready, 1);
    const float chosen = TextWidth3D(*r, "Regional Sales", Font("Nimbus Sans Narrow [urw]", 0, 12.0f));
    EXPECT_FLOAT_EQ(chosen, TextWidth3D(*r, "Regional Sales", Font("Nimbus Sans Narrow", 0, 12.0f)));
    EXPECT_LT(chosen, 0.9f * TextWidth3D(*r, "Regional Sales", Font("DejaVu Sans", 0, 12.0f)));
}

// A face this machine lacks is drawn in the nearest one, with one message
// naming both; a face with a configured equivalent (Arial: Liberation Sans)
// is no stand-in and says nothing.
TEST(GLFonts, AMissingFaceIsDrawnInTheNearestWithOneMessage) {
    Headless().quiet = true;
    Headless().messages.clear();
    EXPECT_TRUE(MatchFontFace("Arial", 0).present);
    const FontFaceMatch missing = MatchFontFace("Quillon Display Nonexistent", 0);
    EXPECT_FALSE(missing.present);
    EXPECT_FALSE(missing.family.empty());
    GLRendererPtr r = MakeTestRenderer(64, 64);
    ASSERT_EQ(r->ready, 1);
    TextWidth3D(*r, "Arial", Font("Arial", 0, 12.0f));
    EXPECT_TRUE(Headless().messages.empty());
    const ChartFont font = Font("Quillon Display Nonexistent", 0, 12.0f);
    EXPECT_GT(TextWidth3D(*r, "Sales", font), 0.0f);
    ChartVertex anchor{};
    DrawText3D(*r, "Sales", anchor, font, kAlignStart, 0.0f);
    DrawText3D(*r, "Sales", anchor, Font("Quillon Display Nonexistent", 1, 12.0f), kAlignStart, 0.0f);
    ASSERT_EQ(Headless().messages.size(), 1u);
    EXPECT_EQ(Headless().messages[0],
              "The font \"Quillon Display Nonexistent\" is not on this machine: the chart is "
              "drawn in \"" +
                  missing.family + "\", the nearest face.");
    Headless().messages.clear();
}
