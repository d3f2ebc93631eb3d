// Rendering movie frames and half frames.
#include "MovieFrames.h"

#include <cmath>
#include <cstring>

#include "Draw.h"
#include "Evaluate.h"
#include "OpenGL.h"

namespace {

float Between(float a, float b, double t) {
    return static_cast<float>(a + (b - a) * t);
}

}  // namespace

void EvaluateBetween(Show& show, double frame) {
    double whole = std::floor(frame);
    double t = frame - whole;
    int32_t earlier = static_cast<int32_t>(whole);
    if (t <= 0.0) {
        Evaluate(show, earlier);
        return;
    }
    Evaluate(show, earlier + 1);
    KeyFrame later = show.current;
    float laterValues[kCategories];
    std::memcpy(laterValues, show.currentValues, sizeof(laterValues));
    Evaluate(show, earlier);
    // Channels 0..7 move smoothly; slow (8) and the data set (9) step.
    for (int channel = 0; channel < 8; ++channel) {
        SetKeyChannel(show.current, channel, Between(KeyChannel(show.current, channel), KeyChannel(later, channel), t));
    }
    show.chartWidth = static_cast<int32_t>(std::trunc(200.0 * (static_cast<double>(show.current.width) - 0.5)));
    show.chartHeight = static_cast<int32_t>(std::trunc(200.0 * (static_cast<double>(show.current.height) - 0.5)));
    if (show.animateData) {
        for (int i = 0; i < kCategories; ++i) {
            show.currentValues[i] = Between(show.currentValues[i], laterValues[i], t);
        }
    }
}

bool RenderMovieFrame(Show& show, double frame, int width, int height, int antiAliasing, CDib& out) {
    double whole = std::floor(frame);
    if (frame == whole) {
        return RenderShowFrame(show, static_cast<int32_t>(whole), width, height, antiAliasing, out);
    }
    if (!EnsureShowRenderer(show, width, height)) {
        return false;
    }
    SetRendererAlpha(*show.renderer, out.BitsPerPixel() == 32);
    SetProjection(*show.renderer, width, height, 0.0, 0.0);
    EvaluateBetween(show, frame);
    RenderFrame(show, antiAliasing, false, false, frame);
    bool grabbed = GrabFrame(*show.renderer, out);
    SetRendererAlpha(*show.renderer, false);
    return grabbed;
}
