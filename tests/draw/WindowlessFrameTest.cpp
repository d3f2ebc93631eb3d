// A frame is drawn from the show alone: the desktop's views installed
// change no pixel, and a placement edited in the show (as
// the preview's drags edit it) is drawn as it stands.
#include <vector>

#include "DemoShow.h"
#include "DrawTestSupport.h"
#include "Evaluate.h"

namespace {

constexpr int kPictureWidth = 320;
constexpr int kPictureHeight = 240;
constexpr int kAntiAliasing = 25;
constexpr int32_t kFrame = 90;

class CountingViews : public FrameViews {
public:
    int told = 0;
    void FrameChanged() override { ++told; }
};

std::vector<uint8_t> Bytes(const CDib& picture) {
    std::vector<uint8_t> bytes;
    const size_t rowBytes = static_cast<size_t>(picture.Width()) * picture.BitsPerPixel() / 8;
    for (int row = 0; row < picture.Height(); ++row) {
        const uint8_t* p = picture.Row(row);
        bytes.insert(bytes.end(), p, p + rowBytes);
    }
    return bytes;
}

class WindowlessFrame : public ::testing::Test {
protected:
    void SetUp() override {
        show = CreateShow();
        gShow = show.get();
        MakeDemoShow(*show);
    }
    void TearDown() override {
        show->views = nullptr;
        DestroyShow(*show);
        gShow = nullptr;
    }
    // Renders the frame, then draws it again with the show's current
    // keyframe turned as a spin drag in the preview would turn it.
    std::vector<uint8_t> TurnedFrame() {
        CDib picture(16, 16, 8);
        EXPECT_TRUE(RenderShowFrame(*show, kFrame, kPictureWidth, kPictureHeight, 0, picture));
        Evaluate(*show, kFrame);
        show->current.spin += 40.0f;
        RenderFrame(*show, 0, false, false);
        EXPECT_TRUE(GrabFrame(*show->renderer, picture));
        return Bytes(picture);
    }

    ScopedSettings settings;
    std::unique_ptr<Show> show;
};

}  // namespace

TEST_F(WindowlessFrame, ViewsChangeNoPixel) {
    CDib alone(16, 16, 8);
    ASSERT_TRUE(RenderShowFrame(*show, kFrame, kPictureWidth, kPictureHeight, kAntiAliasing, alone));
    CountingViews views;
    show->views = &views;
    ShowFrame(*show, 30);  // the desktop showed another frame before
    CDib withWindows(16, 16, 8);
    ASSERT_TRUE(RenderShowFrame(*show, kFrame, kPictureWidth, kPictureHeight, kAntiAliasing, withWindows));
    ASSERT_EQ(withWindows.Width(), kPictureWidth);
    EXPECT_TRUE(Bytes(alone) == Bytes(withWindows));
    EXPECT_EQ(views.told, 1);  // rendering told no window
}

TEST_F(WindowlessFrame, TheEditedPlacementIsDrawnWithOrWithoutViews) {
    CDib plain(16, 16, 8);
    ASSERT_TRUE(RenderShowFrame(*show, kFrame, kPictureWidth, kPictureHeight, 0, plain));
    const std::vector<uint8_t> turnedAlone = TurnedFrame();
    EXPECT_FALSE(Bytes(plain) == turnedAlone);  // the turn shows
    CountingViews views;
    show->views = &views;
    EXPECT_TRUE(TurnedFrame() == turnedAlone);
}
