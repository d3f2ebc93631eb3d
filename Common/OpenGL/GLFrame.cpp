// Frame set-up of the renderer: viewport and perspective with jitter, the
// chart's placement, the light, clearing, the anti-aliasing accumulation,
// the background picture and the read-back of the finished frame.
#include <cmath>
#include <cstring>
#include <vector>

#include "GLInternal.h"
#include "OpenGL.h"

namespace {

constexpr double kNear = 1.0;
constexpr double kFar = 20.0;
constexpr double kHalfFieldOfView = 0.261783333333333;
constexpr float kEyeDistance = 4.0f;
// Movie frames are rendered whole up to this size.
constexpr int kLargestFrame = 4096;

// Reads the viewport's pixels as bottom-up BGR rows padded to 4 bytes:
// GL's own row order and, with a 4-byte pack alignment, the picture's
// layout, so GL writes straight into the picture.
void ReadViewport(GLRenderer& r, int width, int height, CDib& picture) {
    glPixelStorei(GL_PACK_ALIGNMENT, 4);
    if (picture.Stride() == (width * 3 + 3) / 4 * 4) {
        glReadPixels(0, 0, width, height, GL_BGR, GL_UNSIGNED_BYTE, picture.Pixels());
        return;
    }
    std::vector<uint8_t>& rgba = r.context->readBuffer;
    rgba.resize(static_cast<size_t>(width) * static_cast<size_t>(height) * 4);
    glReadPixels(0, 0, width, height, GL_RGBA, GL_UNSIGNED_BYTE, rgba.data());
    for (int y = 0; y < height; ++y) {
        const uint8_t* in = rgba.data() + static_cast<size_t>(y) * width * 4;
        uint8_t* out = picture.Row(y);
        for (int x = 0; x < width; ++x) {
            out[3 * x] = in[4 * x + 2];
            out[3 * x + 1] = in[4 * x + 1];
            out[3 * x + 2] = in[4 * x];
        }
    }
}

// Reads the viewport as bottom-up BGRA rows. The framebuffer holds colour
// multiplied by coverage (drawn over transparent black); the picture gets
// the straight colour back, rounded, so that it composites as drawn. Most
// pixels of a chart are opaque or empty and stay as read.
void ReadViewportWithAlpha(int width, int height, CDib& picture) {
    glPixelStorei(GL_PACK_ALIGNMENT, 4);
    glReadPixels(0, 0, width, height, GL_BGRA, GL_UNSIGNED_BYTE, picture.Pixels());
    for (int y = 0; y < height; ++y) {
        uint8_t* pixel = picture.Row(y);
        for (int x = 0; x < width; ++x, pixel += 4) {
            const int alpha = pixel[3];
            if (alpha == 255) {
                continue;
            }
            for (int c = 0; c < 3; ++c) {
                pixel[c] = alpha == 0 ? 0 : static_cast<uint8_t>(std::min(255, (pixel[c] * 255 + alpha / 2) / alpha));
            }
        }
    }
}

}  // namespace

void ViewportSize(GLRenderer& r, int& width, int& height) {
    width = 0;
    height = 0;
    if (!MakeRendererCurrent(r)) {
        return;
    }
    GLint viewport[4] = {0, 0, 0, 0};
    glGetIntegerv(GL_VIEWPORT, viewport);
    width = viewport[2];
    height = viewport[3];
}

void SetProjection(GLRenderer& r, int width, int height, double jitterX, double jitterY) {
    if (!MakeRendererCurrent(r)) {
        return;
    }
    if (height <= 0) {
        ViewportSize(r, width, height);
    } else {
        width = std::clamp(width, 1, kLargestFrame);
        height = std::clamp(height, 1, kLargestFrame);
        // The framebuffer follows the picture size, so a frame larger than
        // the window it is bound to is still drawn whole.
        ResizeFramebuffer(*r.context, width, height);
        glViewport(0, 0, width, height);
    }
    double top = kNear * (std::sin(kHalfFieldOfView) / std::cos(kHalfFieldOfView));
    double bottom = -top;
    double right = top * kNear / r.frameAspect;
    double left = -right;
    double dx = -((right - left) * jitterX / width);
    double dy = -((top - bottom) * (jitterY + r.rowShift) / height);
    glMatrixMode(GL_PROJECTION);
    glLoadIdentity();
    glFrustum(left + dx, right + dx, bottom + dy, top + dy, kNear, kFar);
    glTranslatef(0.0f, 0.0f, -kEyeDistance);
    glMatrixMode(GL_MODELVIEW);
}

void SetChartTransform(GLRenderer& r, float x, float y, float width, float height, float spin, float tilt) {
    if (!MakeRendererCurrent(r)) {
        return;
    }
    glMatrixMode(GL_MODELVIEW);
    glLoadIdentity();
    glScalef(width, height, 0.5f * height + width);
    glTranslatef(x, y, 0.0f);
    glRotatef(spin, 0.0f, 1.0f, 0.0f);
    glRotatef(tilt, 1.0f, 0.0f, 0.0f);
}

void SetLighting(GLRenderer& r, int level) {
    if (!MakeRendererCurrent(r)) {
        return;
    }
    if (level == 0) {
        glDisable(GL_LIGHTING);
        return;
    }
    const GLfloat full[4] = {1.0f, 1.0f, 1.0f, 0.0f};
    const GLfloat half[4] = {0.5f, 0.5f, 0.5f, 0.0f};
    const GLfloat position[4] = {-0.5f, 0.5f, 0.5f, 1.0f};
    glLightfv(GL_LIGHT0, GL_DIFFUSE, level >= 50 ? full : half);
    glLightfv(GL_LIGHT0, GL_AMBIENT, half);
    glLightfv(GL_LIGHT0, GL_POSITION, position);
    glEnable(GL_LIGHTING);
    glEnable(GL_LIGHT0);
}

void ClearBuffers(GLRenderer& r, bool withDepth) {
    if (!MakeRendererCurrent(r)) {
        return;
    }
    glClear(withDepth ? GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT : GL_COLOR_BUFFER_BIT);
}

namespace {

// Adds (or, for the first pass, stores) the viewport's pixels to the
// running sum, kept in GL's RGBA order so that the sum is one plain loop.
void AddPass(GLRenderer& r, size_t bytes, int width, int height, bool first) {
    std::vector<uint8_t>& rgba = r.context->readBuffer;
    rgba.resize(bytes);
    glPixelStorei(GL_PACK_ALIGNMENT, 4);
    glReadPixels(0, 0, width, height, GL_RGBA, GL_UNSIGNED_BYTE, rgba.data());
    const uint8_t* in = rgba.data();
    uint16_t* sum = r.accumSum.data();
    if (first) {
        for (size_t i = 0; i < bytes; ++i)
            sum[i] = in[i];
    } else {
        for (size_t i = 0; i < bytes; ++i)
            sum[i] = static_cast<uint16_t>(sum[i] + in[i]);
    }
}

// The rounded mean of the passes into A (bottom-up BGR) and into the RGBA
// picture that replaces the framebuffer's.
void Average(GLRenderer& r, int width, int height, int count) {
    const int largest = count * 255;
    std::vector<uint8_t> mean(static_cast<size_t>(largest) + 1);
    for (int total = 0; total <= largest; ++total) {
        mean[static_cast<size_t>(total)] = static_cast<uint8_t>((total + count / 2) / count);
    }
    std::vector<uint8_t>& rgba = r.context->readBuffer;
    const uint16_t* sum = r.accumSum.data();
    for (int y = 0; y < height; ++y) {
        uint8_t* bgr = r.accumA->Row(y);
        const uint16_t* s = sum + static_cast<size_t>(y) * width * 4;
        uint8_t* out = rgba.data() + static_cast<size_t>(y) * width * 4;
        for (int x = 0; x < width; ++x) {
            uint8_t red = mean[std::min<int>(s[4 * x], largest)];
            uint8_t green = mean[std::min<int>(s[4 * x + 1], largest)];
            uint8_t blue = mean[std::min<int>(s[4 * x + 2], largest)];
            bgr[3 * x] = blue;
            bgr[3 * x + 1] = green;
            bgr[3 * x + 2] = red;
            out[4 * x] = red;
            out[4 * x + 1] = green;
            out[4 * x + 2] = blue;
            out[4 * x + 3] = r.keepAlpha ? mean[std::min<int>(s[4 * x + 3], largest)] : 255;
        }
    }
}

}  // namespace

// The passes are summed exactly and divided once with rounding, so the
// average is the true mean of the passes (no darkening from truncation).
// The average then replaces the framebuffer's picture pixel for pixel. GL
// keeps the sum where it can; otherwise each pass is read back and summed
// here, with the same result.
void Accumulate(GLRenderer& r, AccumStep step, int passes) {
    if (passes < 2 || !MakeRendererCurrent(r)) {
        return;
    }
    int width = 0;
    int height = 0;
    ViewportSize(r, width, height);
    size_t bytes = static_cast<size_t>(width) * static_cast<size_t>(height) * 4;
    if (step == AccumStep::Begin) {
        r.accumPasses = 0;
        r.gpuSumActive = r.accumulation == AccumulationPath::Gpu && BeginGLSum(*r.context, width, height, passes);
        if (!r.gpuSumActive) {
            r.accumA->Create(width, height, 24);
            r.accumB->Create(width, height, 24);
            r.accumSum.resize(bytes);
        }
        return;
    }
    if (r.gpuSumActive) {
        if (step == AccumStep::First || step == AccumStep::Next) {
            r.accumPasses = step == AccumStep::First ? 1 : std::min(r.accumPasses + 1, passes);
            NextGLSumPass(*r.context, r.accumPasses);
        } else {
            FinishGLSum(*r.context, std::max(1, r.accumPasses), r.keepAlpha);
        }
        return;
    }
    if (r.accumA->Width() != width || r.accumA->Height() != height || r.accumA->BitsPerPixel() != 24 ||
        r.accumSum.size() != bytes) {
        return;
    }
    if (step == AccumStep::First || step == AccumStep::Next) {
        AddPass(r, bytes, width, height, step == AccumStep::First);
        // The 16-bit sum holds 257 passes of 255.
        r.accumPasses = step == AccumStep::First ? 1 : std::min(r.accumPasses + 1, 257);
        return;
    }
    Average(r, width, height, std::max(1, r.accumPasses));
    WriteFramebufferPicture(*r.context, r.context->readBuffer.data(), width, height);
}

namespace {

// The states the background changes, restored when it is drawn.
struct BackgroundStates {
    GLboolean lighting = glIsEnabled(GL_LIGHTING);
    GLboolean blend = glIsEnabled(GL_BLEND);
    GLboolean alphaTest = glIsEnabled(GL_ALPHA_TEST);
    ~BackgroundStates() {
        Restore(GL_LIGHTING, lighting);
        Restore(GL_BLEND, blend);
        Restore(GL_ALPHA_TEST, alphaTest);
    }
    static void Restore(GLenum state, GLboolean on) {
        if (on) {
            glEnable(state);
        } else {
            glDisable(state);
        }
    }
};

// Clears colour and depth to opaque black: under a background the frame
// has no transparent pixel, also where it keeps its alpha.
void ClearToOpaqueBlack() {
    GLfloat saved[4] = {0.0f, 0.0f, 0.0f, 0.0f};
    glGetFloatv(GL_COLOR_CLEAR_VALUE, saved);
    glClearColor(0.0f, 0.0f, 0.0f, 1.0f);
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    glClearColor(saved[0], saved[1], saved[2], saved[3]);
}

void BackgroundQuad(int w, int h, float s, float t) {
    glBegin(GL_QUADS);
    glColor4f(1.0f, 1.0f, 1.0f, 1.0f);
    glTexCoord2f(0.0f, t);
    glVertex3f(0.0f, static_cast<float>(h), -9.0f);
    glTexCoord2f(s, t);
    glVertex3f(static_cast<float>(w), static_cast<float>(h), -9.0f);
    glTexCoord2f(s, 0.0f);
    glVertex3f(static_cast<float>(w), 0.0f, -9.0f);
    glTexCoord2f(0.0f, 0.0f);
    glVertex3f(0.0f, 0.0f, -9.0f);
    glEnd();
}

}  // namespace

// The background covers the whole frame. The frame is cleared to opaque
// black first and, with the alpha test off, the picture drawn over it: a
// 32-bit picture is blended by its alpha, so its transparent pixels show
// black, never what an earlier frame left in the framebuffer.
void DrawBackground(GLRenderer& r, const CDib& picture) {
    if (!MakeRendererCurrent(r)) {
        return;
    }
    BackgroundStates states;
    glDisable(GL_LIGHTING);
    glDisable(GL_BLEND);
    int w = 0;
    int h = 0;
    ViewportSize(r, w, h);
    ClearToOpaqueBlack();
    if (UploadTexture(r, picture, true) == kNoTexture) {
        return;
    }
    float s = r.context->uploadedS;
    float t = r.context->uploadedT;
    glMatrixMode(GL_PROJECTION);
    glPushMatrix();
    glLoadIdentity();
    glOrtho(0, w, 0, h, -10, 10);
    glMatrixMode(GL_MODELVIEW);
    glPushMatrix();
    glLoadIdentity();
    glDisable(GL_ALPHA_TEST);
    if (picture.BitsPerPixel() == 32) {
        glEnable(GL_BLEND);
    }
    glEnable(GL_TEXTURE_2D);
    glBindTexture(GL_TEXTURE_2D, kBackgroundTexture);
    BackgroundQuad(w, h, s, t);
    glDisable(GL_TEXTURE_2D);
    glMatrixMode(GL_PROJECTION);
    glPopMatrix();
    glMatrixMode(GL_MODELVIEW);
    glPopMatrix();
    glClear(GL_DEPTH_BUFFER_BIT);
}

bool GrabFrame(GLRenderer& r, CDib& picture) {
    if (!MakeRendererCurrent(r)) {
        return false;
    }
    int width = 0;
    int height = 0;
    ViewportSize(r, width, height);
    if (!picture.Create(width, height, r.keepAlpha ? 32 : 24)) {
        return false;
    }
    if (r.keepAlpha) {
        ReadViewportWithAlpha(width, height, picture);
    } else {
        ReadViewport(r, width, height, picture);
    }
    return true;
}
