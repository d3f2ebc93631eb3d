// The preview through the show's renderer: the chart reaches the window's
// port, the viewport follows the window, and the off-screen check rebinds.
#include <algorithm>
#include <vector>

#include "DemoShow.h"
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
    ShowFrame(TheShow(), 0);
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
    ShowFrame(TheShow(), 100);
    EXPECT_GT(ChartPixels(Preview()), 1000);
}

TEST_F(ProgramTest, OffscreenCheckDrawsAndRebindsThePreview) {
    MakeDemoShow(TheShow());
    ShowFrame(TheShow(), 150);
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

std::vector<uint8_t> PictureBytes(const CDib& picture) {
    std::vector<uint8_t> bytes;
    for (int row = 0; row < picture.Height(); ++row) {
        const uint8_t* p = picture.Row(row);
        bytes.insert(bytes.end(), p, p + static_cast<size_t>(picture.Width()) * 3);
    }
    return bytes;
}

// The same frame with the preview open (after the desktop showed another
// one) and, once the windows are gone, from a renderer of its own.
TEST_F(ProgramTest, AFrameRendersTheSameWithAndWithoutThePreview) {
    MakeDemoShow(TheShow());
    ShowFrame(TheShow(), 40);
    CDib withPreview(16, 16, 8);
    ASSERT_TRUE(RenderShowFrame(TheShow(), 90, 320, 240, 25, withPreview));
    Window().Destroy();
    ASSERT_EQ(TheShow().views, nullptr);
    TheShow().renderer.reset();  // a fresh off-screen renderer, as the command line has
    CDib withoutPreview(16, 16, 8);
    ASSERT_TRUE(RenderShowFrame(TheShow(), 90, 320, 240, 25, withoutPreview));
    ASSERT_EQ(withoutPreview.Width(), 320);
    const std::vector<uint8_t> bytes = PictureBytes(withoutPreview);
    EXPECT_TRUE(PictureBytes(withPreview) == bytes);
    EXPECT_GT(std::count_if(bytes.begin(), bytes.end(), [](uint8_t b) { return b != 0; }), 1000);  // a chart
}

TEST_F(ProgramTest, ProgressPanelShowsTheShareDone) {
    Preview().DrawProgress(0.25, "Rendering... (Hit Esc key to cancel)", "Time to go: 00:12");
    const Rect p = Preview().ProgressPanelRect();
    const Rect bar{p.left + 8, p.top + 34, p.right - 48, p.bottom - 8};
    const int32_t split = bar.left + (bar.right - bar.left) / 4;
    PlatformPort port = WindowPort(Preview());
    EXPECT_EQ(PortPixel(port, bar.left + 2, bar.top + 3), 0x00FF00u);
    EXPECT_EQ(PortPixel(port, split - 2, bar.top + 3), 0x00FF00u);
    EXPECT_EQ(PortPixel(port, split + 2, bar.top + 3), 0x0000FFu);
    EXPECT_EQ(PortPixel(port, bar.left, bar.top), 0x000000u);
    EXPECT_EQ(PortPixel(port, p.left, p.top), 0xFFFFFFu);              // bevel: light top left
    EXPECT_EQ(PortPixel(port, p.right - 1, p.bottom - 1), 0x404040u);  // dark bottom right
    EXPECT_GT(CountOtherPixels(port, Rect{bar.left, bar.top - 30, bar.right, bar.top - 2}, 0xC0C0C0), 30);
}

}  // namespace
