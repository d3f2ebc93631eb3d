// Frames with alpha: the chart's coverage over a transparent background,
// summed by the anti-aliasing passes like colour, and the colour of the
// ordinary frame wherever the chart is opaque.
#include "DemoShow.h"
#include "DrawTestSupport.h"

namespace {

// Renders frame 60 of the demo show, in a show of its own so that both
// renders start from the same renderer state.
std::unique_ptr<CDib> RenderDemoFrame(int bitsPerPixel, int antiAliasing) {
    auto show = CreateShow();
    MakeDemoShow(*show);
    auto picture = std::make_unique<CDib>(16, 16, bitsPerPixel);
    EXPECT_TRUE(RenderShowFrame(*show, 60, 360, 243, antiAliasing, *picture));
    DestroyShow(*show);
    return picture;
}

}  // namespace

TEST(AlphaFrame, CoverageIsTheAlphaAndOpaqueColourIsTheOrdinaryFrame) {
    ScopedSettings settings;
    for (int level : {0, 75}) {
        std::unique_ptr<CDib> plainOwner = RenderDemoFrame(24, level);
        std::unique_ptr<CDib> alphaOwner = RenderDemoFrame(32, level);
        const CDib& plain = *plainOwner;
        const CDib& alpha = *alphaOwner;
        ASSERT_EQ(plain.BitsPerPixel(), 24);
        ASSERT_EQ(alpha.BitsPerPixel(), 32);
        ASSERT_EQ(alpha.Width(), plain.Width());
        int opaque = 0;
        int empty = 0;
        int partial = 0;
        for (int row = 0; row < alpha.Height(); ++row) {
            const uint8_t* a = alpha.Row(row);
            const uint8_t* p = plain.Row(row);
            for (int x = 0; x < alpha.Width(); ++x) {
                uint8_t coverage = a[4 * x + 3];
                if (coverage == 255) {
                    ++opaque;
                    // Straight colour of an opaque pixel: the frame over black.
                    ASSERT_EQ(std::memcmp(a + 4 * x, p + 3 * x, 3), 0) << level << " " << x << "," << row;
                } else if (coverage == 0) {
                    ++empty;
                    ASSERT_EQ(p[3 * x] | p[3 * x + 1] | p[3 * x + 2], 0) << level << " " << x << "," << row;
                } else {
                    ++partial;
                    // Over black, the ordinary frame is the colour times the coverage.
                    for (int c = 0; c < 3; ++c) {
                        int premultiplied = (a[4 * x + c] * coverage + 127) / 255;
                        ASSERT_LE(std::abs(premultiplied - p[3 * x + c]), 1) << level << " " << x << "," << row;
                    }
                }
            }
        }
        EXPECT_GT(opaque, 10000) << level;
        EXPECT_GT(empty, 10000) << level;
        // Anti-aliased edges (and smooth lines) lie in between.
        EXPECT_GT(partial, level == 0 ? 0 : 500) << level;
    }
    // Corners are empty.
    std::unique_ptr<CDib> alpha = RenderDemoFrame(32, 75);
    EXPECT_EQ(alpha->Row(0)[3], 0);
    EXPECT_EQ(alpha->Row(alpha->Height() - 1)[4 * (alpha->Width() - 1) + 3], 0);
}
