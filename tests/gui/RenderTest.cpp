// The preview through the show's renderer: the chart reaches the window's
// port, the viewport follows the window, and the off-screen check rebinds.
#include "Draw.h"
#include "ProgramFixture.h"

namespace {

int ChartPixels(PreviewWindow& preview) {
    const Rect client = GetClientRect(preview);
    return CountOtherPixels(WindowPort(preview), Rect{0, 0, client.right, client.bottom}, 0x000000);
}

TEST_F(ProgramTest, PreviewShowsTheRenderedChart) {
    ASSERT_TRUE(Preview().glAvailable);
    ASSERT_TRUE(TheShow().renderer);
    MakeDemoShow(TheShow());
    Evaluate(TheShow(), 0, true);
    const int drawn = ChartPixels(Preview());
    const Rect client = GetClientRect(Preview());
    EXPECT_GT(drawn, client.right * client.bottom / 20);  // the walls and bars cover a good part
    int width = 0;
    int height = 0;
    ViewportSize(*TheShow().renderer, width, height);
    EXPECT_EQ(width, client.right);
    EXPECT_EQ(height, client.bottom);
}

TEST_F(ProgramTest, TheViewportFollowsTheAspect) {
    Choose(kCmdAspect169);
    DispatchPending();
    const Rect client = GetClientRect(Preview());
    int width = 0;
    int height = 0;
    ViewportSize(*TheShow().renderer, width, height);
    EXPECT_EQ(width, client.right);
    EXPECT_EQ(height, client.bottom);
}

TEST_F(ProgramTest, SlowDrawingWithAntiAliasingStillShowsTheChart) {
    MakeDemoShow(TheShow());
    TheShow().antiAliasing = 25;
    Choose(kCmdDrawFast);
    ASSERT_EQ(Preview().drawFast, 0);
    Evaluate(TheShow(), 100, true);
    EXPECT_GT(ChartPixels(Preview()), 1000);
}

TEST_F(ProgramTest, OffscreenCheckDrawsAndRebindsThePreview) {
    MakeDemoShow(TheShow());
    Evaluate(TheShow(), 150, true);
    {
        PortScope scope(Preview());
        FillRect(0x000000, GetClientRect(Preview()));
    }
    Press(Qt::Key_D);
    // The 320 x 240 picture sits at the top left; the rest is untouched.
    EXPECT_GT(CountOtherPixels(WindowPort(Preview()), Rect{0, 0, 320, 240}, 0x000000), 1000);
    const Rect client = GetClientRect(Preview());
    EXPECT_EQ(CountOtherPixels(WindowPort(Preview()), Rect{330, 250, client.right, client.bottom}, 0x000000), 0);
    Preview().Paint();
    int width = 0;
    int height = 0;
    ViewportSize(*TheShow().renderer, width, height);
    EXPECT_EQ(width, client.right);
    EXPECT_GT(ChartPixels(Preview()), 1000);
}

}  // namespace
