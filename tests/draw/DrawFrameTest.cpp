// Whole frames: passes per anti-aliasing level, read-back and the frame of
// a show at a time.
#include "DemoShow.h"
#include "DrawTestSupport.h"
#include "Evaluate.h"

TEST(DrawFrame, PassesPerLevel) {
    EXPECT_EQ(JitterFor(0).passes, 1);
    EXPECT_EQ(JitterFor(24).passes, 1);
    EXPECT_EQ(JitterFor(25).passes, 2);
    EXPECT_EQ(JitterFor(74).passes, 3);
    EXPECT_EQ(JitterFor(75).passes, 4);
    EXPECT_EQ(JitterFor(100).passes, 4);
    EXPECT_EQ(JitterFor(50).x[1], 0.78060162);
    EXPECT_EQ(JitterFor(25).y[0], 0.75);
}

TEST_F(DrawTest, RenderFrameAtGrabsTheEvaluatedFrame) {
    show->keys[0].x = 10;  // far off to the right: nothing in view
    show->keys[0].width = 1;
    show->keys[0].height = 1;
    CDib picture(16, 16, 8);
    SetProjection(*show->renderer, kW, kH, 0, 0);
    RenderFrameAt(*show, 0, &picture);
    ASSERT_EQ(picture.Width(), kW);
    ASSERT_EQ(picture.Height(), kH);
    EXPECT_EQ(PixelAt(picture, kW / 2, kH / 2), (Rgb{0, 0, 0}));
    show->keys[0].x = 0;
    RenderFrameAt(*show, 0, &picture);
    EXPECT_EQ(PixelAt(picture, kW / 2, kH / 2 - 30), ColorOf(kBlue));
}

TEST_F(DrawTest, ShowFramesRenderAtTheirOwnSize) {
    CDib picture(16, 16, 8);
    show->titleFont.color = kYellow;
    show->gridLines = 0;
    std::snprintf(show->title, sizeof(show->title), "Top");
    ASSERT_TRUE(RenderShowFrame(*show, 0, 1920, 1080, 0, picture));
    EXPECT_EQ(picture.Width(), 1920);
    EXPECT_EQ(picture.Height(), 1080);
    // Bottom-up: the title is in the upper rows, stored last.
    int firstYellowRow = -1;
    for (int row = 0; row < picture.Height() && firstYellowRow < 0; ++row) {
        const uint8_t* p = picture.Row(row);
        for (int x = 0; x < picture.Width(); ++x) {
            if (p[x * 3 + 2] > 200 && p[x * 3 + 1] > 200 && p[x * 3] < 50) {
                firstYellowRow = row;
                break;
            }
        }
    }
    EXPECT_GT(firstYellowRow, 1080 / 2);
}

TEST(DrawFrameNoRenderer, RenderFrameAtWithoutRendererStillEvaluates) {
    ScopedSettings settings;
    auto show = CreateShow();
    show->keys[0].x = 0.25f;
    CDib picture(16, 16, 8);
    RenderFrameAt(*show, 0, &picture);
    EXPECT_EQ(float{show->current.x}, 0.25f);
    EXPECT_EQ(picture.Width(), 16);
    DestroyShow(*show);
}

TEST_F(DrawTest, PassesAreReadBackOnlyWhenAveraging) {
    show->renderer->accumulation = AccumulationPath::Cpu;  // the sum kept on the CPU, read back pass by pass
    show->renderer->accumPasses = -1;
    Render(24);
    EXPECT_EQ(show->renderer->accumPasses, -1);  // one pass: no read-back
    Render(74);
    EXPECT_EQ(show->renderer->accumPasses, 3);
    EXPECT_EQ(show->renderer->accumA->Width(), kW);
    EXPECT_EQ(show->renderer->accumA->Height(), kH);
    // The frame is the average: identical to the accumulated picture.
    EXPECT_EQ(std::memcmp(frame.Pixels(), show->renderer->accumA->Pixels(), static_cast<size_t>(frame.Stride()) * kH),
              0);
    Render(100);
    EXPECT_EQ(show->renderer->accumPasses, 4);
}

TEST_F(DrawTest, AttachedTargetReceivesPresentedFrames) {
    int presented = 0;
    Rgb centre;
    GLTarget window;
    window.width = 320;
    window.height = 240;
    window.present = [&](const CDib& picture) {
        ++presented;
        centre = PixelAt(picture, 160, 100);
    };
    ASSERT_TRUE(AttachShowRenderer(*show, window));
    show->current = KeyFrame{};
    show->current.width = 1;
    show->current.height = 1;
    show->gridLines = 0;
    RenderFrame(*show, 0, true, true);
    EXPECT_EQ(presented, 1);
    EXPECT_EQ(centre, ColorOf(kBlue));
    RenderFrame(*show, 0, true, false);  // a movie frame: not presented
    EXPECT_EQ(presented, 1);
}

// The light of a frame is placed through the chart of the frame before it:
// a frame drawn after a jump back or forward, or as the first of a renderer,
// is the same picture as that frame in a run from frame 0.
TEST(DrawFrameLight, AFrameLooksTheSameHoweverItIsReached) {
    ScopedSettings settings;
    auto render = [](Show& show, int32_t frame) {
        CDib picture(16, 16, 8);
        EXPECT_TRUE(RenderShowFrame(show, frame, 160, 120, 0, picture));
        return std::vector<uint8_t>(picture.Pixels(), picture.Pixels() + picture.PixelBytes());
    };
    std::unique_ptr<Show> show = CreateShow();
    gShow = show.get();
    MakeDemoShow(*show);
    std::vector<uint8_t> inRun;
    for (int32_t frame = 0; frame <= 200; frame += 1) {
        std::vector<uint8_t> picture = render(*show, frame);
        if (frame == 120) {
            inRun = picture;
        }
    }
    EXPECT_EQ(render(*show, 120), inRun);  // after frame 200: a jump back
    render(*show, 5);
    EXPECT_EQ(render(*show, 120), inRun);  // after a jump forward
    EXPECT_NE(render(*show, 121), inRun);  // the chart moves: frames differ
    DestroyShow(*show);
    std::unique_ptr<Show> fresh = CreateShow();
    gShow = fresh.get();
    MakeDemoShow(*fresh);
    EXPECT_EQ(render(*fresh, 120), inRun);  // the first frame of a new renderer
    DestroyShow(*fresh);
    gShow = nullptr;
}
