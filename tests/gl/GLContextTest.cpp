// The GL context without a display: framebuffer size, read-back layout,
// present, projection extent and the anti-aliasing accumulation.
#include <GL/gl.h>
#include <gtest/gtest.h>

#include <cstdio>
#include <cstring>

#include "GLTestSupport.h"

namespace {

// Fills the rectangle (pixels, origin bottom-left) with a flat colour.
void FillPixels(GLRenderer& r, int x0, int y0, int x1, int y1, float red, float green, float blue) {
    int w = 0, h = 0;
    ViewportSize(r, w, h);
    glDisable(GL_LIGHTING);
    glDisable(GL_TEXTURE_2D);
    glMatrixMode(GL_PROJECTION);
    glPushMatrix();
    glLoadIdentity();
    glOrtho(0, w, 0, h, -1, 1);
    glMatrixMode(GL_MODELVIEW);
    glPushMatrix();
    glLoadIdentity();
    glColor4f(red, green, blue, 1.0f);
    glBegin(GL_QUADS);
    glVertex2i(x0, y0);
    glVertex2i(x1, y0);
    glVertex2i(x1, y1);
    glVertex2i(x0, y1);
    glEnd();
    glPopMatrix();
    glMatrixMode(GL_PROJECTION);
    glPopMatrix();
    glMatrixMode(GL_MODELVIEW);
}

}  // namespace

TEST(GLContext, MakesAContextWithoutADisplay) {
    GLRendererPtr r = MakeTestRenderer(64, 48);
    ASSERT_EQ(r->ready, 1);
    EXPECT_NE(RendererDescription(*r), "none");
    GLint depthBits = 0;
    glGetIntegerv(GL_DEPTH_BITS, &depthBits);
    EXPECT_GE(depthBits, 16);
    // The fixed state of a bound context.
    EXPECT_TRUE(glIsEnabled(GL_DEPTH_TEST));
    EXPECT_TRUE(glIsEnabled(GL_BLEND));
    EXPECT_TRUE(glIsEnabled(GL_ALPHA_TEST));
    EXPECT_TRUE(glIsEnabled(GL_LINE_SMOOTH));
}

TEST(GLContext, GrabFrameIsBottomUpBgr) {
    GLRendererPtr r = MakeTestRenderer(720, 486);
    ASSERT_EQ(r->ready, 1);
    ClearBuffers(*r, true);
    // Red along the bottom 10 lines, blue in the top-left corner.
    FillPixels(*r, 0, 0, 720, 10, 1, 0, 0);
    FillPixels(*r, 0, 476, 5, 486, 0, 0, 1);
    CDib frame(16, 16, 8);
    ASSERT_TRUE(GrabFrame(*r, frame));
    EXPECT_EQ(frame.Width(), 720);
    EXPECT_EQ(frame.Height(), 486);
    EXPECT_EQ(frame.BitsPerPixel(), 24);
    const uint8_t* bottom = frame.Row(0);
    EXPECT_EQ(bottom[0], 0);    // blue
    EXPECT_EQ(bottom[1], 0);    // green
    EXPECT_EQ(bottom[2], 255);  // red
    const uint8_t* top = frame.Row(485);
    EXPECT_EQ(top[0], 255);
    EXPECT_EQ(top[2], 0);
    EXPECT_EQ(top[5 * 3], 0);  // beside the corner: black
}

TEST(GLContext, LargeFramesRenderWhole) {
    GLRendererPtr r = MakeTestRenderer(320, 240);
    ASSERT_EQ(r->ready, 1);
    SetProjection(*r, 4096, 4096, 0, 0);
    ClearBuffers(*r, true);
    FillPixels(*r, 4090, 4090, 4096, 4096, 0, 1, 0);
    CDib frame(16, 16, 8);
    ASSERT_TRUE(GrabFrame(*r, frame));
    ASSERT_EQ(frame.Width(), 4096);
    ASSERT_EQ(frame.Height(), 4096);
    EXPECT_EQ(PixelAt(frame, 4095, 0).green, 255);
    EXPECT_EQ(PixelAt(frame, 0, 4095).green, 0);
    // Back to the window's size.
    SetProjection(*r, 320, 240, 0, 0);
    ASSERT_TRUE(GrabFrame(*r, frame));
    EXPECT_EQ(frame.Width(), 320);
}

TEST(GLContext, PresentHandsThePictureToTheTarget) {
    int presented = 0;
    int width = 0;
    GLTarget target;
    target.width = 40;
    target.height = 30;
    target.present = [&](const CDib& picture) {
        ++presented;
        width = picture.Width();
    };
    GLRendererPtr r = CreateGLRenderer(target, 0.75f);
    ASSERT_EQ(r->ready, 1);
    Present(*r, false);
    EXPECT_EQ(presented, 0);
    Present(*r, true);
    EXPECT_EQ(presented, 1);
    EXPECT_EQ(width, 40);
}

TEST(GLContext, AttachBitmapRendersIntoThePicture) {
    GLRendererPtr r = MakeTestRenderer(64, 48);
    ASSERT_EQ(r->ready, 1);
    CDib bitmap(16, 16, 8);
    uint8_t* bits = AttachBitmap(*r, 30, 20, 24, bitmap);
    ASSERT_NE(bits, nullptr);
    EXPECT_EQ(bits[0], 255);  // starts white
    SetProjection(*r, 30, 20, 0, 0);
    ClearBuffers(*r, true);
    FillPixels(*r, 0, 0, 30, 20, 0, 1, 0);
    Present(*r, true);
    EXPECT_EQ(bitmap.Width(), 30);
    EXPECT_EQ(PixelAt(bitmap, 10, 10).green, 255);
    EXPECT_EQ(AttachBitmap(*r, -1, 0, 0, bitmap), nullptr);
    GLTarget target;
    target.width = 64;
    target.height = 48;
    EXPECT_TRUE(Attach(*r, &target));
}

TEST(GLContext, AccumulationIsTheRoundedMean) {
    GLRendererPtr r = MakeTestRenderer(32, 32);
    ASSERT_EQ(r->ready, 1);
    // Three passes of 100, 101 and 101: the mean 100.67 rounds to 101
    // (truncating each weighted pass would give 99).
    const float levels[3] = {100 / 255.0f, 101 / 255.0f, 101 / 255.0f};
    Accumulate(*r, AccumStep::Begin, 3);
    for (int i = 0; i < 3; ++i) {
        ClearBuffers(*r, true);
        FillPixels(*r, 0, 0, 32, 32, levels[i], levels[i], 0);
        Accumulate(*r, i == 0 ? AccumStep::First : AccumStep::Next, 3);
    }
    ClearBuffers(*r, true);
    Accumulate(*r, AccumStep::Finish, 3);
    CDib frame(16, 16, 8);
    ASSERT_TRUE(GrabFrame(*r, frame));
    for (int y : {0, 16, 31}) {
        for (int x : {0, 16, 31}) {
            EXPECT_EQ(PixelAt(frame, x, y).red, 101) << x << "," << y;
            EXPECT_EQ(PixelAt(frame, x, y).blue, 0);
        }
    }
}

TEST(GLContext, OnePassDoesNotAccumulate) {
    GLRendererPtr r = MakeTestRenderer(32, 32);
    ASSERT_EQ(r->ready, 1);
    Accumulate(*r, AccumStep::Begin, 1);
    EXPECT_EQ(r->accumA->Width(), 16);  // untouched 16 x 16 bitmap
    ClearBuffers(*r, true);
    FillPixels(*r, 0, 0, 32, 32, 0, 0, 1);
    Accumulate(*r, AccumStep::Finish, 1);
    CDib frame(16, 16, 8);
    ASSERT_TRUE(GrabFrame(*r, frame));
    EXPECT_EQ(PixelAt(frame, 5, 5).blue, 255);
}

TEST(GLContext, ProjectionExtentFollowsTheFrameAspect) {
    // A quad at the near plane's horizontal edge for 4:3 lies inside a 16:9
    // frustum, so the same scene covers less of a 16:9 frame's width.
    auto coverage = [](float aspect) {
        GLRendererPtr r = MakeTestRenderer(160, 90, aspect);
        ClearBuffers(*r, true);
        SetChartTransform(*r, 0, 0, 1, 1, 0, 0);
        glDisable(GL_LIGHTING);
        glColor4f(1, 1, 1, 1);
        glBegin(GL_QUADS);
        glVertex3f(-1, -0.5f, 0);
        glVertex3f(1, -0.5f, 0);
        glVertex3f(1, 0.5f, 0);
        glVertex3f(-1, 0.5f, 0);
        glEnd();
        CDib frame(16, 16, 8);
        GrabFrame(*r, frame);
        int lit = 0;
        for (int x = 0; x < 160; ++x)
            lit += PixelAt(frame, x, 45).red > 128;
        return lit;
    };
    int wide = coverage(0.5625f);
    int narrow = coverage(0.75f);
    // Half-width 1 at distance 4 against 4 x 0.267932 / aspect.
    EXPECT_NEAR(wide, 160 * 1.0 / (4 * 0.267932 / 0.5625), 2);
    EXPECT_NEAR(narrow, 160 * 1.0 / (4 * 0.267932 / 0.75), 2);
}

// Mesa's EGL library brings its own xcb helpers along; what must not come
// in is GLX or Xlib itself.
TEST(GLContext, NoGlxOrXlibIsLoaded) {
    GLRendererPtr r = MakeTestRenderer(16, 16);
    ASSERT_EQ(r->ready, 1);
    FILE* maps = std::fopen("/proc/self/maps", "r");
    ASSERT_NE(maps, nullptr);
    char line[512];
    bool windowSystem = false;
    while (std::fgets(line, sizeof(line), maps)) {
        windowSystem = windowSystem || std::strstr(line, "/libX11.so") || std::strstr(line, "libGLX");
    }
    std::fclose(maps);
    EXPECT_FALSE(windowSystem);
}

TEST(GLContext, EveryOperationIsSilentWhileNotReady) {
    GLRenderer idle;
    CDib picture(8, 8, 24);
    SetProjection(idle, 10, 10, 0, 0);
    SetLighting(idle, 100);
    ClearBuffers(idle, true);
    Accumulate(idle, AccumStep::Begin, 4);
    DrawBackground(idle, picture);
    Present(idle, true);
    EXPECT_EQ(UploadTexture(idle, picture, false), kNoTexture);
    EXPECT_FALSE(GrabFrame(idle, picture));
    EXPECT_EQ(picture.Width(), 8);
    int w = -1, h = -1;
    ViewportSize(idle, w, h);
    EXPECT_EQ(w, 0);
}
