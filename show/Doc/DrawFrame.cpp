// A frame of the show: camera, chart placement and light, the background
// or black, the chart drawn once per anti-aliasing pass with a sub-pixel
// jitter, the average of the passes, and presenting or reading back.
#include <algorithm>
#include <cmath>

#include "Background.h"
#include "Draw.h"
#include "DrawInternal.h"
#include "Evaluate.h"
#include "OpenGL.h"

namespace {

const double kNoJitter[1] = {0.0};
const double kTwoX[2] = {0.25, 0.75};
const double kTwoY[2] = {0.75, 0.25};
const double kThreeX[3] = {0.50339226, 0.78060162, 0.22618289};
const double kThreeY[3] = {0.83179672, 0.25043808, 0.41315536};
const double kFourX[4] = {0.375, 0.125, 0.875, 0.625};
const double kFourY[4] = {0.25, 0.75, 0.25, 0.75};

// The chart's placement channels at a frame, whole or not, as evaluation
// and the half frames of fields give them, without changing the show.
KeyFrame PlacementAt(const Show& show, double frame) {
    const int count = std::clamp(show.keyCount, 1, kMaxKeys);
    auto at = [&](double whole, int channel) {
        const int32_t f = static_cast<int32_t>(std::clamp(whole, 0.0, static_cast<double>(show.lengthFrames)));
        return Interpolate(show.keys, count, channel, f, true);
    };
    const double whole = std::floor(frame);
    const double t = frame - whole;
    KeyFrame placement{};
    for (int channel : {0, 2, 3, 4, 5, 6}) {
        const float earlier = at(whole, channel);
        const float value = t > 0.0 ? static_cast<float>(earlier + (at(whole + 1, channel) - earlier) * t) : earlier;
        SetKeyChannel(placement, channel, value);
    }
    return placement;
}

// The light is placed through the model-view matrix in force when it is
// set: the chart placement of the frame before the one drawn (frame 0's own
// for frame 0), as in a movie made from frame 0. So a frame is lit the same
// however it is reached: in a run, after a jump, as a still, in a movie that
// starts later or in the reverse pass.
void PlaceLight(Show& show, GLRenderer& r, double frame) {
    const KeyFrame k = PlacementAt(show, std::max(frame - 1.0, 0.0));
    SetChartTransform(r, k.x, k.y, k.width, k.height, k.spin, k.tilt);
    SetLighting(r, show.lighting);
}

void DrawChart(Show& show) {
    DrawWalls(show);
    DrawGrid(show);
    DrawData(show);
    DrawValueAxis(show);
    DrawCategoryAxis(show);
    DrawTitle(show);
}

}  // namespace

JitterTable JitterFor(int level) {
    if (level >= 75)
        return JitterTable{4, kFourX, kFourY};
    if (level >= 50)
        return JitterTable{3, kThreeX, kThreeY};
    if (level >= 25)
        return JitterTable{2, kTwoX, kTwoY};
    return JitterTable{1, kNoJitter, kNoJitter};
}

bool EnsureShowRenderer(Show& show, int width, int height) {
    if (!show.renderer) {
        GLTarget target;
        target.width = width;
        target.height = height;
        show.renderer = RendererOwner(CreateGLRenderer(target, show.frameAspect).release(), DestroyGLRenderer);
    }
    return show.renderer->ready != 0;
}

bool AttachShowRenderer(Show& show, const GLTarget& target) {
    if (!show.renderer) {
        show.renderer = RendererOwner(CreateGLRenderer(target, show.frameAspect).release(), DestroyGLRenderer);
        return show.renderer->ready != 0;
    }
    return show.renderer->ready && Attach(*show.renderer, &target);
}

void RenderFrame(Show& show, int antiAliasing, bool fast, bool swap) {
    RenderFrame(show, antiAliasing, fast, swap, gCurrentFrame);
}

void RenderFrame(Show& show, int antiAliasing, bool fast, bool swap, double frame) {
    GLRenderer* r = ShowRenderer(show);
    if (!r)
        return;
    JitterTable jitter = JitterFor(antiAliasing);
    // The aspect is the show's: the menu changes it there.
    SetRendererFrameAspect(*r, show.frameAspect);
    SelectTexture(*r, nullptr);
    PlaceLight(show, *r, frame);
    const KeyFrame& k = show.current;
    SetChartTransform(*r, k.x, k.y, k.width, k.height, k.spin, k.tilt);
    Accumulate(*r, AccumStep::Begin, jitter.passes);
    bool available = BackgroundFrame(show, gCurrentFrame);
    for (int i = 0; i < jitter.passes; ++i) {
        if (show.seeVideo && !fast && available) {
            DrawBackground(*r, show.backgroundImage);
        } else {
            ClearBuffers(*r, true);
        }
        SetProjection(*r, -1, -1, jitter.x[i], jitter.y[i]);
        DrawChart(show);
        Accumulate(*r, i == 0 ? AccumStep::First : AccumStep::Next, jitter.passes);
    }
    Accumulate(*r, AccumStep::Finish, jitter.passes);
    Present(*r, swap);
}

void RenderFrameAt(Show& show, int32_t frame, CDib* destination) {
    Evaluate(show, frame);
    if (ShowRenderer(show)) {
        RenderFrame(show, show.antiAliasing, false, false);
        if (destination) {
            GrabFrame(*show.renderer, *destination);
        }
    }
}

bool RenderShowFrame(Show& show, int32_t frame, int width, int height, int antiAliasing, CDib& out) {
    if (!EnsureShowRenderer(show, width, height)) {
        return false;
    }
    SetRendererAlpha(*show.renderer, out.BitsPerPixel() == 32);
    SetProjection(*show.renderer, width, height, 0.0, 0.0);
    Evaluate(show, frame);
    RenderFrame(show, antiAliasing, false, false);
    bool grabbed = GrabFrame(*show.renderer, out);
    SetRendererAlpha(*show.renderer, false);
    return grabbed;
}
